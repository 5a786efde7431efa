// `measure`: each channel alone through the box, swept and recorded against
// the loopback, written as an impulse response and a text export with
// phase; the box's mutes are put back however the command ends.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "Arrival.h"
#include "AtomicFile.h"
#include "BoxFirmware.h"
#include "CliAudio.h"
#include "CliChannelArg.h"
#include "CliCurveArgs.h"
#include "CliDeviceCommands.h"
#include "CrossoverPairs.h"
#include "Deconvolution.h"
#include "EditorGrid.h"
#include "EmulatedAudio.h"
#include "ImpulseFrequencyResponse.h"
#include "MicCalibration.h"
#include "Sweep.h"
#include "ValueScales.h"

namespace caraudio::cli {

namespace {

// Silence before the sweep: more than a sound server takes to start
// recording, so the loopback always hears the sweep begin.
constexpr double kLeadSeconds = 0.25;
// After it: the cabin's reverberation dies away.
constexpr double kTailSeconds = 0.75;
constexpr double kResponseSeconds = 1.0;
// The loudest a sweep may be played at.
constexpr double kLoudestDbfs = -3;
// A recording this loud has clipped somewhere on its way.
constexpr double kClippedDbfs = -0.1;
// A loopback quieter than this is not connected: the sweep is far louder.
constexpr double kQuietestLoopbackDbfs = -70;
// Where the response's noise floor is read: its last quarter second.
constexpr double kNoiseSeconds = 0.25;

// Far larger than any calibration file.
constexpr size_t kLargestCalibrationBytes = 4u << 20;

struct MeasureArgs {
    std::vector<int> channels;
    std::string out, calibration, output, input;
    analysis::SweepSettings sweep;
    bool allowFullRange = false;
    int repeats = 1;
};

bool ReadMeasureArgs(CommandArgs args, MeasureArgs& m, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        int block = 0;
        if (ChannelArg(a, block)) {
            m.channels.push_back(block);
            continue;
        }
        if (a == "--allow-full-range") {
            m.allowFullRange = true;
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const std::string value(args[++i]);
        double number = 0;
        if (a == "--out") {
            m.out = value;
        } else if (a == "--cal") {
            m.calibration = value;
        } else if (a == "--repeat") {
            if (!WholeNumber(value, number) || number != std::floor(number) || number < 1 || number > 16) {
                std::fprintf(err, "caraudio-cli: --repeat takes how many sweeps to average, 1..16.\n");
                return false;
            }
            m.repeats = static_cast<int>(number);
        } else if (a == "--output") {
            m.output = value;
        } else if (a == "--input") {
            m.input = value;
        } else if (a == "--sweep") {
            std::optional<analysis::FrequencySpan> span;
            if (!ReadSpan(value, span) || !span) {
                std::fprintf(err, "caraudio-cli: --sweep takes LO-HI in Hz, for example 20-20000.\n");
                return false;
            }
            m.sweep.lowHz = span->lowHz, m.sweep.highHz = span->highHz;
        } else if (a == "--seconds") {
            if (!WholeNumber(value, number) || number < 0.5 || number > 10) {
                std::fprintf(err, "caraudio-cli: --seconds takes a sweep length of 0.5..10 s.\n");
                return false;
            }
            m.sweep.seconds = number;
        } else if (a == "--level") {
            if (!WholeNumber(value, number) || number > kLoudestDbfs || number < -60) {
                std::fprintf(err, "caraudio-cli: --level takes the sweep's peak in dBFS, -60..%.0f.\n",
                             kLoudestDbfs);
                return false;
            }
            m.sweep.levelDbfs = number;
        } else {
            return false;
        }
    }
    return !m.channels.empty() && !m.out.empty();
}

// The user's mutes come back when the command ends, whatever ended it.
class MutesKept {
public:
    explicit MutesKept(ParamDatabase& db) : db_(db), mutes_(db.Block().Get(*FindParam(param::MuteCtrl))) {}
    ~MutesKept() { Set(mutes_); }
    bool Solo(int block) { return Set(static_cast<uint16_t>(0x3F & ~(1 << block))); }

private:
    bool Set(uint16_t mutes) {
        db_.SetParam(param::MuteCtrl, mutes);
        return db_.Pending().Empty() ? db_.Throttle().LastFlushOk() : db_.Throttle().Flush();
    }
    ParamDatabase& db_;
    const uint16_t mutes_;
};

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
               std::FILE* err) {
    std::ofstream out(path);
    out << "* Measurement data measured by caraudio-cli\n* Measurement: " << what
        << "\n* Measured with: current\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
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
    const auto tail = static_cast<size_t>(kNoiseSeconds * audio::kRate);
    double peak = 0, noise = 0;
    for (double v : h) peak = std::max(peak, v * v);
    for (size_t i = h.size() - tail; i < h.size(); ++i) noise += h[i] * h[i];
    noise /= static_cast<double>(tail);
    return noise > 0 ? 10 * std::log10(peak / noise) : INFINITY;
}

// One take's response against the loopback; nothing (with the reason on
// err) when it failed, clipped or the loopback heard nothing. `peakDb`
// keeps the loudest the microphone was.
std::optional<std::vector<double>> TakeResponse(audio::AudioSystem& audio,
                                                const audio::PlayRecordRequest& take, const std::string& name,
                                                double& peakDb, std::FILE* err) {
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r = audio.PlayAndRecord(take, never);
    if (r.status != audio::AudioStatus::Done) {
        std::fprintf(err, "caraudio-cli: %s: the take failed: %s.\n", name.c_str(), r.message.c_str());
        return std::nullopt;
    }
    const double micDb = PeakDb(r.recorded[0]), loopDb = PeakDb(r.recorded[1]);
    if (micDb >= kClippedDbfs || loopDb >= kClippedDbfs) {
        std::fprintf(
            err, "caraudio-cli: %s: the %s clipped; lower --level or the input's gain and measure again.\n",
            name.c_str(), micDb >= kClippedDbfs ? "microphone" : "loopback");
        return std::nullopt;
    }
    if (loopDb < kQuietestLoopbackDbfs) {
        std::fprintf(
            err,
            "caraudio-cli: %s: the loopback on the input's second channel heard nothing; connect the "
            "output's first channel to it and measure again.\n",
            name.c_str());
        return std::nullopt;
    }
    peakDb = std::max(peakDb, micDb);
    return analysis::Deconvolve(r.recorded[0], r.recorded[1],
                                static_cast<size_t>(kResponseSeconds * audio::kRate));
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
    // A tweeter swept without its high-pass can be destroyed.
    for (const int block : m.channels)
        if (analysis::PassesOf(db.Block(), block).highPassHz <= 0 && !m.allowFullRange) {
            std::fprintf(err,
                         "caraudio-cli: %s has no high-pass; a tweeter swept without one can be destroyed. "
                         "Set its crossover first, or give --allow-full-range for a woofer or a sub. Nothing "
                         "was measured.\n",
                         ChannelLabel(block).c_str());
            return kExitFailed;
        }
    emulator::BoxFirmware* firmware = c.session->EmulatedFirmware();
    const std::unique_ptr<audio::AudioSystem> audio = OpenAudio(
        options, [firmware] { return firmware ? firmware->CurrentImage() : DefaultEffectBlock(); }, err);
    if (!audio) return kExitFailed;
    const std::vector<audio::AudioDevice> inputs = audio->Inputs(), outputs = audio->Outputs();
    auto named = [](const std::vector<audio::AudioDevice>& devices, const std::string& id) {
        const auto at = std::find_if(devices.begin(), devices.end(),
                                     [&](const audio::AudioDevice& d) { return d.id == id; });
        return id.empty() ? devices.begin() : at;
    };
    const auto output = named(outputs, m.output);
    const auto chosen = named(inputs, m.input);
    if (output == outputs.end() || chosen == inputs.end()) {
        std::fprintf(err, "caraudio-cli: there is no %s \"%s\"; audio-devices lists them.\n",
                     output == outputs.end() ? "output" : "input",
                     (output == outputs.end() ? m.output : m.input).c_str());
        return kExitFailed;
    }
    const audio::AudioDevice input = *chosen;
    if (input.channels < 2) {
        std::fprintf(err,
                     "caraudio-cli: %s has one channel; a measurement needs its second for the loopback.\n",
                     input.name.c_str());
        return kExitFailed;
    }
    std::error_code ec;
    std::filesystem::create_directories(m.out, ec);
    if (!std::filesystem::is_directory(m.out)) {
        std::fprintf(err, "caraudio-cli: cannot make the folder %s: %s.\n", m.out.c_str(),
                     ec.message().c_str());
        return kExitFailed;
    }

    const std::vector<double> sweep = analysis::ExponentialSweep(m.sweep);
    audio::PlayRecordRequest take;
    take.outputId = output->id;
    take.inputId = input.id;
    take.inputChannels = 2;
    const auto lead = static_cast<size_t>(kLeadSeconds * audio::kRate);
    take.play.assign(1, std::vector<double>(lead, 0.0));
    take.play[0].insert(take.play[0].end(), sweep.begin(), sweep.end());
    take.recordFrames = take.play[0].size() + static_cast<size_t>(kTailSeconds * audio::kRate);

    MutesKept mutes(db);
    std::fprintf(out, "loopback on input 2; sweep %.0f..%.0f Hz, %.1f s at %.1f dBFS\n", m.sweep.lowHz,
                 m.sweep.highHz, m.sweep.seconds, m.sweep.levelDbfs);
    std::fprintf(out,
                 "each channel through its current settings (measured with: current), %d sweep%s averaged\n",
                 m.repeats, m.repeats == 1 ? "" : "s");
    if (calibration)
        std::fprintf(out, "calibration %s (microphone %s): applied to the text exports\n",
                     m.calibration.c_str(),
                     calibration->serial.empty() ? "without a serial number" : calibration->serial.c_str());
    for (const int block : m.channels) {
        if (!mutes.Solo(block)) {
            std::fprintf(err, "caraudio-cli: the box did not take %s's solo; nothing more was measured.\n",
                         ChannelLabel(block).c_str());
            return kExitFailed;
        }
        // Takes averaged sample by sample: the loopback gives each the same
        // time zero, so the response adds up and the noise does not.
        std::vector<double> h(static_cast<size_t>(kResponseSeconds * audio::kRate), 0.0);
        double peakDb = -INFINITY;
        for (int repeat = 0; repeat < m.repeats; ++repeat) {
            const std::optional<std::vector<double>> one =
                TakeResponse(*audio, take, ChannelLabel(block), peakDb, err);
            if (!one) return kExitFailed;
            for (size_t i = 0; i < h.size(); ++i) h[i] += (*one)[i] / m.repeats;
        }
        const analysis::ImpulseResponse response{h, audio::kRate};
        const analysis::Arrival arrival = analysis::DetectArrival(response);
        const std::string name = ChannelLabel(block);
        analysis::ComplexResponse spectrum =
            analysis::ImpulseFrequencyResponse(response, analysis::EditorGrid());
        if (calibration) spectrum = analysis::Calibrated(spectrum, *calibration, analysis::EditorGrid());
        if (!WriteWav((std::filesystem::path(m.out) / (name + ".wav")).string(), {h}, err) ||
            !WriteText(std::filesystem::path(m.out) / (name + ".txt"), spectrum, name, err))
            return kExitFailed;
        std::fprintf(out, "%s: SNR %.1f dB, peak %.1f dBFS, arrival %.3f ms\n", name.c_str(),
                     SignalToNoiseDb(h), peakDb, arrival.ms);
    }
    return kExitOk;
}

}  // namespace caraudio::cli
