#include "MeasuringTake.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "Arrival.h"
#include "Deconvolution.h"
#include "EditorGrid.h"
#include "Fft.h"
#include "ImpulseFrequencyResponse.h"

namespace caraudio::measure {
namespace {

// Silence before the sweep: more than a sound server takes to start
// recording, so the loopback always hears the sweep begin.
constexpr double kLeadSeconds = 0.25;
// After it: the cabin's reverberation dies away.
constexpr double kTailSeconds = 0.75;
// A recording this loud has clipped somewhere on its way.
constexpr double kClippedDbfs = -0.1;
// A loopback quieter than this is not connected: the sweep is far louder.
constexpr double kQuietestLoopbackDbfs = -70;
// Where the response's noise floor is read: its last quarter second.
constexpr double kNoiseSeconds = 0.25;
// The quiet test: a short sweep far below any measuring level, whose
// response tells how loud the microphone will hear the real one.
constexpr double kQuietDbfs = -40, kQuietSeconds = 0.5;
// Past the sweep's arrival, the cabin has fallen quiet after this long.
constexpr double kQuietSettleSeconds = 0.3;
// Heard when it stands this far above its noise: noise alone peaks some
// 13 dB above its mean power in a quarter second.
constexpr double kQuietHeardDb = 20;
// The sweep's level is set so the microphone peaks here: room for the
// cabin's noise, a louder channel after the first, and a hand on the gain
// knob.
constexpr double kMicAimDbfs = -10;

size_t Frames(double seconds) {
    return static_cast<size_t>(seconds * audio::kRate);
}

// Lead, sweep and tail on the sweep's output channel.
TakePlan Untimed(const Rig& rig, const std::vector<double>& sweep) {
    TakePlan plan;
    plan.request.outputId = rig.outputId;
    plan.request.inputId = rig.inputId;
    plan.request.inputChannels = rig.InputChannels();
    plan.request.play.assign(static_cast<size_t>(rig.sweepOutput + 1),
                             std::vector<double>(Frames(kLeadSeconds) + sweep.size(), 0.0));
    std::copy(sweep.begin(), sweep.end(),
              plan.request.play.back().begin() + static_cast<long>(Frames(kLeadSeconds)));
    plan.request.recordFrames = plan.request.play.back().size() + Frames(kTailSeconds);
    return plan;
}

// How far the sweep stands out of the recording: the peak of their
// correlation where the speaker's sound lies (the recording starts up to a
// lead late) over its mean power once the cabin is quiet again. A matched
// filter, not the response: that lifts noise where the sweep is faint.
double HeardAboveNoiseDb(const std::vector<double>& recorded, const std::vector<double>& sweep) {
    const size_t size = analysis::FftSizeFor(recorded.size() + sweep.size());
    std::vector<std::complex<double>> y = analysis::RealSpectrum(recorded, size);
    const std::vector<std::complex<double>> x = analysis::RealSpectrum(sweep, size);
    for (size_t k = 0; k < y.size(); ++k) y[k] *= std::conj(x[k]);
    const std::vector<double> c = analysis::RealSamples(y, size);
    const size_t quietFrom = Frames(kLeadSeconds + kQuietSettleSeconds);
    const size_t quietTo = std::min(recorded.size(), quietFrom + Frames(kNoiseSeconds));
    double peak = 0, noise = 0;
    for (size_t lag = 0; lag < quietFrom && lag < c.size(); ++lag) peak = std::max(peak, c[lag] * c[lag]);
    for (size_t lag = quietFrom; lag < quietTo; ++lag) noise += c[lag] * c[lag];
    noise /= static_cast<double>(std::max<size_t>(quietTo - quietFrom, 1));
    return noise > 0 ? 10 * std::log10(peak / noise) : peak > 0 ? INFINITY : -INFINITY;
}

}  // namespace

double PeakDb(const std::vector<double>& x) {
    double peak = 0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    return peak > 0 ? 20 * std::log10(peak) : -INFINITY;
}

double SignalToNoiseDb(const std::vector<double>& h) {
    const size_t tail = std::min(h.size(), Frames(kNoiseSeconds));
    double peak = 0, noise = 0;
    for (double v : h) peak = std::max(peak, v * v);
    for (size_t i = h.size() - tail; i < h.size(); ++i) noise += h[i] * h[i];
    noise /= static_cast<double>(std::max<size_t>(tail, 1));
    return noise > 0 ? 10 * std::log10(peak / noise) : INFINITY;
}

TakePlan PlanTake(const Rig& rig, const std::vector<double>& sweep, double levelDbfs) {
    if (!rig.Acoustic()) return Untimed(rig, sweep);
    TakePlan plan;
    plan.request.outputId = rig.outputId;
    plan.request.inputId = rig.inputId;
    plan.request.inputChannels = rig.InputChannels();
    plan.acoustic = analysis::LayOutAcousticTake(sweep, levelDbfs, audio::kRate);
    plan.request.play.resize(static_cast<size_t>(std::max(rig.sweepOutput, rig.referenceOutput) + 1));
    plan.request.play[static_cast<size_t>(rig.sweepOutput)] = plan.acoustic.sweepChannel;
    plan.request.play[static_cast<size_t>(rig.referenceOutput)] = plan.acoustic.referenceChannel;
    plan.request.recordFrames = plan.acoustic.Frames();
    return plan;
}

TakePlan PlanQuietTake(const Rig& rig, const analysis::SweepSettings& sweep) {
    analysis::SweepSettings quiet = sweep;
    quiet.seconds = kQuietSeconds, quiet.levelDbfs = kQuietDbfs;
    return Untimed(rig, analysis::ExponentialSweep(quiet));
}

TakeOutcome AnalyseTake(const Rig& rig, const TakePlan& plan, const audio::PlayRecordResult& r) {
    TakeOutcome take;
    take.status = r.status;
    if (r.status != audio::AudioStatus::Done ||
        r.recorded.size() < static_cast<size_t>(rig.InputChannels())) {
        take.problem = TakeProblem::Failed;
        take.message = r.message;
        return take;
    }
    const std::vector<double>& mic = r.recorded[static_cast<size_t>(rig.microphone)];
    take.peakDb = PeakDb(mic);
    const double loopDb = rig.Acoustic() ? -INFINITY : PeakDb(r.recorded[static_cast<size_t>(rig.loopback)]);
    if (take.peakDb >= kClippedDbfs || loopDb >= kClippedDbfs) {
        take.problem =
            take.peakDb >= kClippedDbfs ? TakeProblem::MicrophoneClipped : TakeProblem::LoopbackClipped;
        return take;
    }
    const size_t frames = Frames(kResponseSeconds);
    if (!rig.Acoustic()) {
        if (loopDb < kQuietestLoopbackDbfs) {
            take.problem = TakeProblem::LoopbackSilent;
            return take;
        }
        take.response = analysis::Deconvolve(mic, r.recorded[static_cast<size_t>(rig.loopback)], frames);
        return take;
    }
    analysis::AcousticResponse a =
        analysis::ResponseAgainstAcousticReference(mic, plan.acoustic, frames, audio::kRate);
    if (a.heard != analysis::ReferenceHeard::Yes) {
        take.problem = a.heard == analysis::ReferenceHeard::NotHeard ? TakeProblem::ReferenceNotHeard
                                                                     : TakeProblem::ReferenceLost;
        return take;
    }
    take.response = std::move(a.response);
    take.driftPpm = a.driftPpm;
    return take;
}

QuietOutcome LevelFromQuietTest(const Rig& rig, const TakePlan& quiet, const audio::PlayRecordResult& r,
                                const analysis::SweepSettings& asked) {
    QuietOutcome outcome;
    if (r.status != audio::AudioStatus::Done || r.recorded.size() <= static_cast<size_t>(rig.microphone))
        return outcome;
    const std::vector<double>& mic = r.recorded[static_cast<size_t>(rig.microphone)];
    const std::vector<double>& played = quiet.request.play.back();
    const size_t lead = Frames(kLeadSeconds);
    const std::vector<double> sweep(played.begin() + static_cast<long>(lead), played.end());
    if (!(HeardAboveNoiseDb(mic, sweep) >= kQuietHeardDb)) return outcome;
    // Untimed: the recording starts up to a lead late, which would put the
    // response before time zero; moved on by a lead it is whole.
    const std::vector<double> h =
        analysis::Deconvolve(mic, played, lead + Frames(kResponseSeconds), static_cast<double>(lead));
    // What the microphone would record of the sweep at full scale: the
    // response applied to it.
    analysis::SweepSettings full = asked;
    full.levelDbfs = 0;
    const std::vector<double> x0 = analysis::ExponentialSweep(full);
    const size_t size = analysis::FftSizeFor(h.size() + x0.size());
    std::vector<std::complex<double>> y = analysis::RealSpectrum(h, size);
    const std::vector<std::complex<double>> x = analysis::RealSpectrum(x0, size);
    for (size_t k = 0; k < y.size(); ++k) y[k] *= x[k];
    outcome.heard = true;
    outcome.levelDbfs = std::min(asked.levelDbfs, kMicAimDbfs - PeakDb(analysis::RealSamples(y, size)));
    return outcome;
}

ChannelResult FinishChannel(int block, std::vector<double> averaged, double peakDbfs, double driftPpm,
                            const Rig& rig, const std::optional<analysis::MicCalibration>& calibration) {
    ChannelResult c;
    c.block = block;
    c.peakDbfs = peakDbfs, c.driftPpm = driftPpm;
    c.response = std::move(averaged);
    c.snrDb = SignalToNoiseDb(c.response);
    const analysis::ImpulseResponse response{c.response, audio::kRate};
    c.arrivalMs = analysis::DetectArrival(response).ms - (rig.Acoustic() ? analysis::kAcousticTimeZeroMs : 0);
    c.spectrum = analysis::ImpulseFrequencyResponse(response, analysis::EditorGrid());
    if (calibration) c.spectrum = analysis::Calibrated(c.spectrum, *calibration, analysis::EditorGrid());
    return c;
}

}  // namespace caraudio::measure
