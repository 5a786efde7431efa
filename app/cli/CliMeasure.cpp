// `measure`: each channel alone through the box, swept and recorded against
// a timing reference (a loopback, or a speaker's chirp before and after the
// sweep), written as an impulse response and a text export with phase. A
// quiet test first sets a level the microphone has room for; the box's
// mutes and mixer are put back however the command ends.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "AcousticReference.h"
#include "Arrival.h"
#include "AtomicFile.h"
#include "BoxFirmware.h"
#include "CliAudio.h"
#include "CliMeasureArgs.h"
#include "CrossoverPairs.h"
#include "Deconvolution.h"
#include "EditorGrid.h"
#include "Fft.h"
#include "ImpulseFrequencyResponse.h"
#include "MeasurementIndex.h"
#include "MicCalibration.h"
#include "TakeRouting.h"
#include "ValueScales.h"

namespace caraudio::cli {

namespace {

// Silence before the sweep: more than a sound server takes to start
// recording, so the loopback always hears the sweep begin.
constexpr double kLeadSeconds = 0.25;
// After it: the cabin's reverberation dies away.
constexpr double kTailSeconds = 0.75;
constexpr double kResponseSeconds = 1.0;
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
// Heard when its response stands this far above its noise: noise alone
// peaks some 13 dB above its mean power in a quarter second.
constexpr double kQuietHeardDb = 20;
// The sweep's level is set so the microphone peaks here: room for the
// cabin's noise, a louder channel after the first, and a hand on the
// gain knob.
constexpr double kMicAimDbfs = -10;

// Far larger than any calibration file.
constexpr size_t kLargestCalibrationBytes = 4u << 20;

// The microphone's calibration file, or why it cannot be used (on err).
std::optional<analysis::MicCalibration> ReadCalibration(const std::string& path, std::FILE* err) {
    std::string text;
    const storage::ReadResult read = storage::ReadFile(path, text, kLargestCalibrationBytes);
    if (!read.Ok()) {
        std::fprintf(err, "caraudio-cli: %s\n",
                     storage::ReadProblemText(path, read, kLargestCalibrationBytes).c_str());
        return std::nullopt;
    }
    const analysis::MicCalibrationRead c = analysis::ReadMicCalibration(text);
    if (!c.ok) {
        std::fprintf(err, "caraudio-cli: %s is not a microphone calibration file: %s.\n", path.c_str(),
                     c.error.c_str());
        return std::nullopt;
    }
    return c.calibration;
}

// The response as measuring programs export it: frequency, dB, phase.
bool WriteText(const std::filesystem::path& path, const analysis::ComplexResponse& r, const std::string& what,
               const std::string& timing, std::FILE* err) {
    std::ofstream out(path);
    out << "* Measurement data measured by caraudio-cli\n* Measurement: " << what
        << "\n* Measured with: current\n* Timing reference: " << timing
        << "\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    const FrequencyGrid& grid = analysis::EditorGrid();
    char line[64];
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const std::complex<double> v = r[static_cast<size_t>(i)];
        if (std::abs(v) <= 0) continue;
        std::snprintf(line, sizeof line, "%.3f %.3f %.2f\n", grid.Hz(i), 20 * std::log10(std::abs(v)),
                      std::arg(v) * 180 / std::numbers::pi);
        out << line;
    }
    out.close();
    if (!out) std::fprintf(err, "caraudio-cli: cannot write %s.\n", path.c_str());
    return static_cast<bool>(out);
}

// The largest sample's power over the mean power of the response's last
// quarter second, where only noise is left.
double SignalToNoiseDb(const std::vector<double>& h) {
    const auto tail = std::min(h.size(), static_cast<size_t>(kNoiseSeconds * audio::kRate));
    double peak = 0, noise = 0;
    for (double v : h) peak = std::max(peak, v * v);
    for (size_t i = h.size() - tail; i < h.size(); ++i) noise += h[i] * h[i];
    noise /= static_cast<double>(std::max<size_t>(tail, 1));
    return noise > 0 ? 10 * std::log10(peak / noise) : INFINITY;
}

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// The devices, their channels and the timing reference, as one take uses them.
struct Rig {
    std::string outputId, inputId;
    int sweepOutput = 0, microphone = 0;  // channels from 0
    int loopback = -1;                    // the input channel, or -1 for an acoustic reference
    int referenceOutput = 1, referenceBlock = 0;

    bool Acoustic() const { return loopback < 0; }
    int InputChannels() const { return std::max(microphone, loopback) + 1; }
    std::string Timing() const {
        return Acoustic() ? "acoustic, " + ChannelLabel(referenceBlock)
                          : "loopback on input " + std::to_string(loopback + 1);
    }
};

// One take as played: the sweep, and what it is timed by.
struct TakePlan {
    audio::PlayRecordRequest request;
    analysis::AcousticTake acoustic;
};

TakePlan PlanTake(const Rig& rig, const std::vector<double>& sweep, double levelDbfs) {
    TakePlan plan;
    plan.request.outputId = rig.outputId;
    plan.request.inputId = rig.inputId;
    plan.request.inputChannels = rig.InputChannels();
    if (rig.Acoustic()) {
        plan.acoustic = analysis::LayOutAcousticTake(sweep, levelDbfs, audio::kRate);
        plan.request.play.resize(static_cast<size_t>(std::max(rig.sweepOutput, rig.referenceOutput) + 1));
        for (auto& channel : plan.request.play) channel.assign(plan.acoustic.Frames(), 0.0);
        plan.request.play[static_cast<size_t>(rig.sweepOutput)] = plan.acoustic.sweepChannel;
        plan.request.play[static_cast<size_t>(rig.referenceOutput)] = plan.acoustic.referenceChannel;
        plan.request.recordFrames = plan.acoustic.Frames();
        return plan;
    }
    const auto lead = static_cast<size_t>(kLeadSeconds * audio::kRate);
    plan.request.play.assign(static_cast<size_t>(rig.sweepOutput + 1),
                             std::vector<double>(lead + sweep.size(), 0.0));
    std::copy(sweep.begin(), sweep.end(), plan.request.play.back().begin() + static_cast<long>(lead));
    plan.request.recordFrames = lead + sweep.size() + static_cast<size_t>(kTailSeconds * audio::kRate);
    return plan;
}

// What one take measured.
struct Take {
    std::vector<double> response;
    double peakDb = -INFINITY, driftPpm = 0;
};

// One take's response against its reference; nothing (with the reason on
// err) when it failed, clipped or the reference was not heard.
std::optional<Take> TakeResponse(audio::AudioSystem& audio, const Rig& rig, const TakePlan& plan,
                                 const std::string& name, std::FILE* err) {
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r = audio.PlayAndRecord(plan.request, never);
    if (r.status != audio::AudioStatus::Done) {
        std::fprintf(err, "caraudio-cli: %s: the take failed: %s.\n", name.c_str(), r.message.c_str());
        return std::nullopt;
    }
    const std::vector<double>& mic = r.recorded[static_cast<size_t>(rig.microphone)];
    Take take;
    take.peakDb = PeakDb(mic);
    const double loopDb = rig.Acoustic() ? -INFINITY : PeakDb(r.recorded[static_cast<size_t>(rig.loopback)]);
    if (take.peakDb >= kClippedDbfs || loopDb >= kClippedDbfs) {
        std::fprintf(
            err, "caraudio-cli: %s: the %s clipped; lower --level or the input's gain and measure again.\n",
            name.c_str(), take.peakDb >= kClippedDbfs ? "microphone" : "loopback");
        return std::nullopt;
    }
    const auto frames = static_cast<size_t>(kResponseSeconds * audio::kRate);
    if (!rig.Acoustic()) {
        if (loopDb < kQuietestLoopbackDbfs) {
            std::fprintf(err,
                         "caraudio-cli: %s: the loopback on input %d heard nothing; connect output %d to it "
                         "and measure again.\n",
                         name.c_str(), rig.loopback + 1, rig.sweepOutput + 1);
            return std::nullopt;
        }
        take.response = analysis::Deconvolve(mic, r.recorded[static_cast<size_t>(rig.loopback)], frames);
        return take;
    }
    analysis::AcousticResponse a =
        analysis::ResponseAgainstAcousticReference(mic, plan.acoustic, frames, audio::kRate);
    const std::string reference = ChannelLabel(rig.referenceBlock);
    if (a.heard == analysis::ReferenceHeard::NotHeard) {
        std::fprintf(err,
                     "caraudio-cli: %s: the acoustic reference through %s was not heard before the sweep; "
                     "choose a tweeter or a mid for it (it plays 500..16000 Hz) and measure again.\n",
                     name.c_str(), reference.c_str());
        return std::nullopt;
    }
    if (a.heard == analysis::ReferenceHeard::SecondLost) {
        std::fprintf(err,
                     "caraudio-cli: %s: the acoustic reference through %s was heard before the sweep but not "
                     "after it; keep the microphone still and the car quiet, and measure again.\n",
                     name.c_str(), reference.c_str());
        return std::nullopt;
    }
    take.response = std::move(a.response);
    take.driftPpm = a.driftPpm;
    return take;
}

// How far the sweep stands out of the recording: the peak of their
// correlation where the speaker's sound lies (the recording starts up to a
// lead late) over its mean power once the cabin is quiet again. A matched
// filter, not the response: that lifts noise where the sweep is faint.
double HeardAboveNoiseDb(const std::vector<double>& recorded, const std::vector<double>& sweep, size_t lead) {
    const size_t size = analysis::FftSizeFor(recorded.size() + sweep.size());
    std::vector<std::complex<double>> y = analysis::RealSpectrum(recorded, size);
    const std::vector<std::complex<double>> x = analysis::RealSpectrum(sweep, size);
    for (size_t k = 0; k < y.size(); ++k) y[k] *= std::conj(x[k]);
    const std::vector<double> c = analysis::RealSamples(y, size);
    const auto quietFrom = static_cast<size_t>(lead + kQuietSettleSeconds * audio::kRate);
    const auto quietTo =
        std::min(recorded.size(), quietFrom + static_cast<size_t>(kNoiseSeconds * audio::kRate));
    double peak = 0, noise = 0;
    for (size_t lag = 0; lag < quietFrom && lag < c.size(); ++lag) peak = std::max(peak, c[lag] * c[lag]);
    for (size_t lag = quietFrom; lag < quietTo; ++lag) noise += c[lag] * c[lag];
    noise /= static_cast<double>(std::max<size_t>(quietTo - quietFrom, 1));
    return noise > 0 ? 10 * std::log10(peak / noise) : peak > 0 ? INFINITY : -INFINITY;
}

// The quiet test through the first channel: a short sweep far below any
// measuring level, and from its response the level at which the sweep
// itself will peak at kMicAimDbfs in the microphone; never above what was
// asked. Nothing (said on err) when the microphone did not hear it.
std::optional<double> SafeLevel(audio::AudioSystem& audio, const Rig& rig, const MeasureArgs& m,
                                const std::vector<double>& sweepAt0Dbfs, std::FILE* err) {
    analysis::SweepSettings quiet = m.sweep;
    quiet.seconds = kQuietSeconds, quiet.levelDbfs = kQuietDbfs;
    const std::vector<double> played = analysis::ExponentialSweep(quiet);
    TakePlan plan;
    plan.request.outputId = rig.outputId, plan.request.inputId = rig.inputId;
    plan.request.inputChannels = rig.InputChannels();
    const auto lead = static_cast<size_t>(kLeadSeconds * audio::kRate);
    plan.request.play.assign(static_cast<size_t>(rig.sweepOutput + 1),
                             std::vector<double>(lead + played.size(), 0.0));
    std::copy(played.begin(), played.end(), plan.request.play.back().begin() + static_cast<long>(lead));
    plan.request.recordFrames = lead + played.size() + static_cast<size_t>(kTailSeconds * audio::kRate);
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r = audio.PlayAndRecord(plan.request, never);
    const std::string name = ChannelLabel(m.channels.front());
    if (r.status != audio::AudioStatus::Done) {
        std::fprintf(err, "caraudio-cli: %s: the quiet test failed: %s.\n", name.c_str(), r.message.c_str());
        return std::nullopt;
    }
    // Untimed: the recording starts up to a lead late, which would put the
    // response before time zero; moved on by a lead it is whole.
    const std::vector<double> h = analysis::Deconvolve(
        r.recorded[static_cast<size_t>(rig.microphone)], plan.request.play.back(),
        lead + static_cast<size_t>(kResponseSeconds * audio::kRate), static_cast<double>(lead));
    if (!(HeardAboveNoiseDb(r.recorded[static_cast<size_t>(rig.microphone)], played, lead) >=
          kQuietHeardDb)) {
        std::fprintf(err,
                     "caraudio-cli: the microphone did not hear the quiet test through %s; is it connected, "
                     "at the seat, and is the input's gain up? Nothing was measured.\n",
                     name.c_str());
        return std::nullopt;
    }
    // What the microphone would record of the sweep at full scale: the
    // response applied to it.
    const size_t size = analysis::FftSizeFor(h.size() + sweepAt0Dbfs.size());
    std::vector<std::complex<double>> y = analysis::RealSpectrum(h, size);
    const std::vector<std::complex<double>> x = analysis::RealSpectrum(sweepAt0Dbfs, size);
    for (size_t k = 0; k < y.size(); ++k) y[k] *= x[k];
    const double loudestDb = PeakDb(analysis::RealSamples(y, size));
    return std::min(m.sweep.levelDbfs, kMicAimDbfs - loudestDb);
}

// The devices named, with their channels, and the timing reference; false
// (said on err) when they cannot make a measurement.
bool FindRig(audio::AudioSystem& audio, const MeasureArgs& m, Rig& rig, std::FILE* err) {
    const std::vector<audio::AudioDevice> inputs = audio.Inputs(), outputs = audio.Outputs();
    auto named = [](const std::vector<audio::AudioDevice>& devices, const std::string& id) {
        return id.empty() ? devices.begin()
                          : std::find_if(devices.begin(), devices.end(),
                                         [&](const audio::AudioDevice& d) { return d.id == id; });
    };
    const auto output = named(outputs, m.output);
    const auto input = named(inputs, m.input);
    if (output == outputs.end() || input == inputs.end()) {
        std::fprintf(err, "caraudio-cli: there is no %s \"%s\"; audio-devices lists them.\n",
                     output == outputs.end() ? "output" : "input",
                     (output == outputs.end() ? m.output : m.input).c_str());
        return false;
    }
    rig.outputId = output->id, rig.inputId = input->id;
    rig.sweepOutput = m.outputChannel - 1, rig.microphone = m.inputChannel - 1;
    MeasureReference reference = m.reference;
    if (reference.kind == MeasureReference::Default) {
        if (input->channels < 2) {
            std::fprintf(err,
                         "caraudio-cli: %s has one channel, so no loopback; give --reference acoustic:CHn to "
                         "time the measurement by a tweeter or a mid.\n",
                         input->name.c_str());
            return false;
        }
        reference.kind = MeasureReference::Loopback;
        reference.loopbackChannel = rig.microphone == 1 ? 1 : 2;
    }
    if (reference.kind == MeasureReference::Loopback) rig.loopback = reference.loopbackChannel - 1;
    rig.referenceBlock = reference.block;
    // The chirp goes out on the other of the two channels that feed the
    // box's first inputs.
    rig.referenceOutput = rig.sweepOutput == 0 ? 1 : 0;
    const int outputsUsed = rig.Acoustic() ? 2 : 1;
    if (rig.sweepOutput > 1 || output->channels < std::max(outputsUsed, rig.sweepOutput + 1)) {
        std::fprintf(
            err,
            "caraudio-cli: %s: the sweep plays on output 1 or 2, into the box's input of that number%s.\n",
            output->name.c_str(), rig.Acoustic() ? ", and the acoustic reference's chirp on the other" : "");
        return false;
    }
    if (rig.InputChannels() > input->channels || rig.microphone == rig.loopback) {
        std::fprintf(err,
                     "caraudio-cli: %s has %d channel%s; the microphone and the loopback need two of them.\n",
                     input->name.c_str(), input->channels, input->channels == 1 ? "" : "s");
        return false;
    }
    return true;
}

// The channels can be swept: each plays something of the box's inputs,
// and none is a tweeter left without its high-pass (it can be destroyed).
bool ChannelsCanBeSwept(const EffectBlock& image, const MeasureArgs& m, std::FILE* err) {
    for (const int block : m.channels) {
        if (!measure::TakeRouting::HearsAnInput(image, block)) {
            std::fprintf(err,
                         "caraudio-cli: %s plays none of the box's inputs (its mixer is all 0), so it would "
                         "measure silence. Nothing was measured.\n",
                         ChannelLabel(block).c_str());
            return false;
        }
        if (analysis::PassesOf(image, block).highPassHz <= 0 && !m.allowFullRange) {
            std::fprintf(err,
                         "caraudio-cli: %s has no high-pass; a tweeter swept without one can be destroyed. "
                         "Set its crossover first, or give --allow-full-range for a woofer or a sub. Nothing "
                         "was measured.\n",
                         ChannelLabel(block).c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int Measure(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    MeasureArgs m;
    if (!ReadMeasureArgs(args, m, err)) return kExitUsage;
    std::optional<analysis::MicCalibration> calibration;
    if (!m.calibration.empty() && !(calibration = ReadCalibration(m.calibration, err))) return kExitFailed;
    Connected c = ConnectToChange(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    if (!ChannelsCanBeSwept(db.Block(), m, err)) return kExitFailed;
    emulator::BoxFirmware* firmware = c.session->EmulatedFirmware();
    const std::unique_ptr<audio::AudioSystem> audio = OpenAudio(
        options, [firmware] { return firmware ? firmware->CurrentImage() : DefaultEffectBlock(); }, err);
    if (!audio) return kExitFailed;
    Rig rig;
    if (!FindRig(*audio, m, rig, err)) return kExitFailed;
    std::error_code ec;
    std::filesystem::create_directories(m.out, ec);
    if (!std::filesystem::is_directory(m.out)) {
        std::fprintf(err, "caraudio-cli: cannot make the folder %s: %s.\n", m.out.c_str(),
                     ec.message().c_str());
        return kExitFailed;
    }

    measure::TakeRouting routing(db);
    const int sweepInput = rig.sweepOutput;  // output n feeds the box's input n
    std::optional<measure::TakeRouting::Reference> reference;
    if (rig.Acoustic()) reference = measure::TakeRouting::Reference{rig.referenceBlock, rig.referenceOutput};
    if (!routing.Route(m.channels.front(), sweepInput)) {
        std::fprintf(err, "caraudio-cli: the box did not take %s's solo; nothing was measured.\n",
                     ChannelLabel(m.channels.front()).c_str());
        return kExitFailed;
    }
    analysis::SweepSettings full = m.sweep;
    full.levelDbfs = 0;
    const std::optional<double> level = SafeLevel(*audio, rig, m, analysis::ExponentialSweep(full), err);
    if (!level) return kExitFailed;
    analysis::SweepSettings settings = m.sweep;
    settings.levelDbfs = *level;
    const TakePlan plan = PlanTake(rig, analysis::ExponentialSweep(settings), settings.levelDbfs);

    std::fprintf(out, "timing reference: %s%s\n", rig.Timing().c_str(),
                 rig.Acoustic() ? " (arrivals relative to it)" : "");
    std::fprintf(out, "quiet test through %s set the level: sweep %.0f..%.0f Hz, %.1f s at %.1f dBFS\n",
                 ChannelLabel(m.channels.front()).c_str(), settings.lowHz, settings.highHz, settings.seconds,
                 settings.levelDbfs);
    std::fprintf(out,
                 "each channel through its current settings (measured with: current), %d sweep%s averaged\n",
                 m.repeats, m.repeats == 1 ? "" : "s");
    if (calibration)
        std::fprintf(out, "calibration %s (microphone %s): applied to the text exports\n",
                     m.calibration.c_str(),
                     calibration->serial.empty() ? "without a serial number" : calibration->serial.c_str());
    measure::MeasurementIndex index;
    index.when = LocalTime();
    index.timing = rig.Timing();
    index.sweepLowHz = settings.lowHz, index.sweepHighHz = settings.highHz;
    index.sweepSeconds = settings.seconds, index.levelDbfs = settings.levelDbfs;
    index.repeats = m.repeats;
    index.calibration = m.calibration;
    const std::string indexPath = (std::filesystem::path(m.out) / measure::kMeasurementIndexName).string();
    for (const int block : m.channels) {
        const std::string name = ChannelLabel(block);
        if (!routing.Route(block, sweepInput, reference)) {
            std::fprintf(err, "caraudio-cli: the box did not take %s's solo; nothing more was measured.\n",
                         name.c_str());
            return kExitFailed;
        }
        // Takes averaged sample by sample: the reference gives each the same
        // time zero, so the response adds up and the noise does not.
        std::vector<double> h(static_cast<size_t>(kResponseSeconds * audio::kRate), 0.0);
        double peakDb = -INFINITY, driftPpm = 0;
        for (int repeat = 0; repeat < m.repeats; ++repeat) {
            const std::optional<Take> one = TakeResponse(*audio, rig, plan, name, err);
            if (!one) return kExitFailed;
            for (size_t i = 0; i < h.size(); ++i) h[i] += one->response[i] / m.repeats;
            peakDb = std::max(peakDb, one->peakDb);
            driftPpm += one->driftPpm / m.repeats;
        }
        const analysis::ImpulseResponse response{h, audio::kRate};
        const double arrivalMs =
            analysis::DetectArrival(response).ms - (rig.Acoustic() ? analysis::kAcousticTimeZeroMs : 0);
        analysis::ComplexResponse spectrum =
            analysis::ImpulseFrequencyResponse(response, analysis::EditorGrid());
        if (calibration) spectrum = analysis::Calibrated(spectrum, *calibration, analysis::EditorGrid());
        if (!WriteWav((std::filesystem::path(m.out) / (name + ".wav")).string(), {h}, err) ||
            !WriteText(std::filesystem::path(m.out) / (name + ".txt"), spectrum, name, rig.Timing(), err))
            return kExitFailed;
        // After every channel: what was measured is listed even if a later one fails.
        index.channels.push_back(
            {name, name + ".wav", name + ".txt", SignalToNoiseDb(h), peakDb, arrivalMs, driftPpm});
        if (!storage::WriteFileAtomically(indexPath, measure::MeasurementIndexText(index))) {
            std::fprintf(err, "caraudio-cli: cannot write %s.\n", indexPath.c_str());
            return kExitFailed;
        }
        std::fprintf(out, "%s: SNR %.1f dB, peak %.1f dBFS, arrival %.3f ms", name.c_str(),
                     SignalToNoiseDb(h), peakDb, arrivalMs);
        if (rig.Acoustic()) std::fprintf(out, ", drift %.1f ppm", driftPpm);
        std::fprintf(out, "\n");
    }
    return kExitOk;
}

}  // namespace caraudio::cli
