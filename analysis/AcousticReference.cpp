#include "AcousticReference.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "Deconvolution.h"
#include "Fft.h"
#include "Resampled.h"
#include "Sweep.h"

namespace caraudio::analysis {
namespace {

// Short and wide: a tweeter or a mid plays it, and its correlation peak is
// a few samples wide.
constexpr double kChirpLowHz = 500, kChirpHighHz = 16000, kChirpSeconds = 0.04;
// Below the sweep: a tweeter plays all its energy at once.
constexpr double kChirpBelowSweepDb = 6;
// Before the first chirp: more than a sound server takes to start recording.
constexpr double kLeadSeconds = 0.25;
// After a chirp, before the sweep: the cabin's echoes of it die away.
constexpr double kChirpGapSeconds = 0.2;
// After the sweep, before the second chirp; and after that.
constexpr double kSweepTailSeconds = 0.75, kEndSeconds = 0.1;
// Where the first chirp may be heard past where it was played: the path.
constexpr double kLongestPathSeconds = 0.1;
// Sound cards' clocks agree far better than this.
constexpr double kLargestDrift = 1e-3;
// A chirp heard stands this far above the correlation's noise.
constexpr double kHeardAboveNoise = 10;
// The second chirp is the same sound again: at least this much of the first.
constexpr double kSecondAtLeast = 0.5;
// Kept before the sweep's start and before the second chirp: a speaker
// nearer than the reference, and the chirp's own onset.
constexpr double kGateSeconds = 0.02;
// Drift this small moves nothing by a hundredth of a sample over a take.
constexpr double kNegligibleDrift = 1e-8;

// The envelope of the recording's correlation with the chirp, by where the
// chirp would start: its analytic signal's magnitude, so a speaker's phase
// turns do not move the peak.
std::vector<double> CorrelationEnvelope(const std::vector<double>& recorded,
                                        const std::vector<double>& chirp) {
    const size_t size = FftSizeFor(recorded.size() + chirp.size());
    const std::vector<std::complex<double>> r = RealSpectrum(recorded, size), c = RealSpectrum(chirp, size);
    std::vector<std::complex<double>> inPhase(r.size()), quadrature(r.size());
    for (size_t k = 0; k < r.size(); ++k) {
        inPhase[k] = r[k] * std::conj(c[k]);
        quadrature[k] = inPhase[k] * std::complex<double>(0, -1);
    }
    quadrature.front() = quadrature.back() = 0;
    const std::vector<double> a = RealSamples(inPhase, size), b = RealSamples(quadrature, size);
    std::vector<double> envelope(recorded.size());
    for (size_t n = 0; n < envelope.size(); ++n) envelope[n] = std::hypot(a[n], b[n]);
    return envelope;
}

struct Peak {
    double at = 0, height = 0;
};

// The envelope's highest point in [from, to), placed between samples by a
// parabola through the logarithms of it and its neighbours (a correlation
// peak is near Gaussian).
Peak HighestIn(const std::vector<double>& envelope, double from, double to) {
    const auto lo = static_cast<size_t>(std::clamp(from, 0.0, static_cast<double>(envelope.size())));
    const auto hi = static_cast<size_t>(std::clamp(to, 0.0, static_cast<double>(envelope.size())));
    if (lo >= hi) return {};
    const size_t at = static_cast<size_t>(
        std::max_element(envelope.begin() + static_cast<long>(lo), envelope.begin() + static_cast<long>(hi)) -
        envelope.begin());
    Peak peak{static_cast<double>(at), envelope[at]};
    if (at == 0 || at + 1 >= envelope.size() || !(envelope[at - 1] > 0) || !(envelope[at + 1] > 0))
        return peak;
    const double l = std::log(envelope[at - 1]), m = std::log(envelope[at]), r = std::log(envelope[at + 1]);
    const double bend = l - 2 * m + r;
    if (bend < 0) peak.at += std::clamp(0.5 * (l - r) / bend, -0.5, 0.5);
    return peak;
}

double Median(std::vector<double> x) {
    if (x.empty()) return 0;
    std::nth_element(x.begin(), x.begin() + static_cast<long>(x.size() / 2), x.end());
    return x[x.size() / 2];
}

// The chirp's strongest start within [from, to) of the recording, from the
// correlation of that stretch alone (and a chirp's length past it); and
// the median of the envelope there, the noise it stands out of.
struct Heard {
    Peak peak;
    double median = 0;
};
Heard HeardIn(const std::vector<double>& recorded, const std::vector<double>& chirp, double from, double to) {
    const auto size = static_cast<double>(recorded.size());
    const auto lo = static_cast<size_t>(std::clamp(std::floor(from), 0.0, size));
    const auto hi = static_cast<size_t>(std::clamp(std::ceil(to), 0.0, size));
    if (lo >= hi) return {};
    const std::vector<double> stretch(
        recorded.begin() + static_cast<long>(lo),
        recorded.begin() + static_cast<long>(std::min(recorded.size(), hi + chirp.size())));
    std::vector<double> envelope = CorrelationEnvelope(stretch, chirp);
    envelope.resize(hi - lo);
    Heard heard{HighestIn(envelope, 0, static_cast<double>(envelope.size())), 0};
    heard.peak.at += static_cast<double>(lo);
    heard.median = Median(std::move(envelope));
    return heard;
}

}  // namespace

AcousticTake LayOutAcousticTake(const std::vector<double>& sweep, double levelDbfs, int rate) {
    SweepSettings s;
    s.lowHz = kChirpLowHz, s.highHz = kChirpHighHz, s.seconds = kChirpSeconds,
    s.levelDbfs = levelDbfs - kChirpBelowSweepDb;
    s.rate = rate;
    AcousticTake take;
    take.chirp = ExponentialSweep(s);
    auto frames = [rate](double seconds) { return static_cast<size_t>(std::lround(seconds * rate)); };
    take.firstChirpAt = frames(kLeadSeconds);
    take.sweepAt = take.firstChirpAt + take.chirp.size() + frames(kChirpGapSeconds);
    take.secondChirpAt = take.sweepAt + sweep.size() + frames(kSweepTailSeconds);
    const size_t total = take.secondChirpAt + take.chirp.size() + frames(kEndSeconds);
    take.sweepChannel.assign(total, 0.0);
    take.referenceChannel.assign(total, 0.0);
    std::copy(sweep.begin(), sweep.end(), take.sweepChannel.begin() + static_cast<long>(take.sweepAt));
    for (const size_t at : {take.firstChirpAt, take.secondChirpAt})
        std::copy(take.chirp.begin(), take.chirp.end(),
                  take.referenceChannel.begin() + static_cast<long>(at));
    return take;
}

AcousticResponse ResponseAgainstAcousticReference(const std::vector<double>& recorded,
                                                  const AcousticTake& take, size_t frames, int rate) {
    AcousticResponse result;
    // The recording starts late, never early: the first chirp is heard at
    // most a path after it was played.
    const Heard first =
        HeardIn(recorded, take.chirp, 0, static_cast<double>(take.firstChirpAt) + kLongestPathSeconds * rate);
    if (!(first.peak.height > kHeardAboveNoise * first.median)) return result;
    const double apart = static_cast<double>(take.secondChirpAt - take.firstChirpAt);
    const double slack = kLargestDrift * apart + 2;
    const Heard second =
        HeardIn(recorded, take.chirp, first.peak.at + apart - slack, first.peak.at + apart + slack + 1);
    if (!(second.peak.height >= kSecondAtLeast * first.peak.height)) {
        result.heard = ReferenceHeard::SecondLost;
        return result;
    }
    const double stretch = (second.peak.at - first.peak.at) / apart;  // input samples per output sample
    result.driftPpm = (stretch - 1) * 1e6;
    // Only the sweep and its echoes, from a little before it (a speaker
    // nearer than the reference) to a little before the second chirp: the
    // chirps' sound would be read as the sweep's.
    const double gate = kGateSeconds * rate;
    const double sweepAfterChirp = static_cast<double>(take.sweepAt - take.firstChirpAt);
    const auto from =
        static_cast<size_t>(std::max(0.0, std::floor(first.peak.at + (sweepAfterChirp - gate) * stretch)));
    const auto to =
        static_cast<size_t>(std::clamp(std::ceil(first.peak.at + (apart - gate) * stretch),
                                       static_cast<double>(from), static_cast<double>(recorded.size())));
    std::vector<double> heard(recorded.begin() + static_cast<long>(from),
                              recorded.begin() + static_cast<long>(to));
    // On the output's clock.
    if (std::fabs(stretch - 1) > kNegligibleDrift)
        heard = Resampled(heard, 1 / stretch,
                          static_cast<size_t>(std::ceil(static_cast<double>(heard.size()) / stretch)),
                          ResampleQuality::GoodEnough);
    // What was heard from `from` on was played from firstChirpAt plus the
    // reference's own path (which becomes time zero) plus its distance from
    // the first chirp on the output's clock; the sweep went out at sweepAt.
    const std::vector<double> sweep(take.sweepChannel.begin() + static_cast<long>(take.sweepAt),
                                    take.sweepChannel.end());
    const double delay = static_cast<double>(take.firstChirpAt) - static_cast<double>(take.sweepAt) +
                         (static_cast<double>(from) - first.peak.at) / stretch +
                         kAcousticTimeZeroMs * rate / 1000;
    result.response = Deconvolve(heard, sweep, frames, delay);
    result.heard = ReferenceHeard::Yes;
    return result;
}

}  // namespace caraudio::analysis
