// `measure`: each channel alone through the box, swept and recorded against
// a timing reference (a loopback, or a speaker's chirp before and after the
// sweep), written as an impulse response and a text export with phase. A
// quiet test first sets a level the microphone has room for; the box's
// mutes and mixer are put back however the command ends.
#include <atomic>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "BoxFirmware.h"
#include "CliAudio.h"
#include "CliMeasureArgs.h"
#include "MeasurementFiles.h"
#include "MeasuringRig.h"
#include "MeasuringTake.h"
#include "MicCalibration.h"
#include "TakeRouting.h"
#include "ValueScales.h"

namespace caraudio::cli {

namespace {

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

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// The devices named, with their channels, and the timing reference; nothing
// (said on err) when they cannot make a measurement.
std::optional<measure::Rig> FindRig(audio::AudioSystem& audio, const MeasureArgs& m, std::FILE* err) {
    const measure::RigFound found = measure::FindRig(audio.Outputs(), audio.Inputs(), m.rig);
    switch (found.problem) {
    case measure::RigProblem::None:
        return found.rig;
    case measure::RigProblem::NoSuchOutput:
    case measure::RigProblem::NoSuchInput: {
        const bool output = found.problem == measure::RigProblem::NoSuchOutput;
        std::fprintf(err, "caraudio-cli: there is no %s \"%s\"; audio-devices lists them.\n",
                     output ? "output" : "input", (output ? m.rig.output : m.rig.input).c_str());
        break;
    }
    case measure::RigProblem::NoLoopback:
        std::fprintf(err,
                     "caraudio-cli: %s has one channel, so no loopback; give --reference acoustic:CHn to "
                     "time the measurement by a tweeter or a mid.\n",
                     found.input.name.c_str());
        break;
    case measure::RigProblem::OutputChannels:
        std::fprintf(err,
                     "caraudio-cli: %s: the sweep plays on output 1 or 2, into the box's input of that "
                     "number%s.\n",
                     found.output.name.c_str(),
                     found.rig.Acoustic() ? ", and the acoustic reference's chirp on the other" : "");
        break;
    case measure::RigProblem::InputChannels:
        std::fprintf(err,
                     "caraudio-cli: %s has %d channel%s; the microphone and the loopback need two of them.\n",
                     found.input.name.c_str(), found.input.channels, found.input.channels == 1 ? "" : "s");
        break;
    }
    return std::nullopt;
}

bool ChannelsCanBeSwept(const EffectBlock& image, const MeasureArgs& m, std::FILE* err) {
    const measure::ChannelCheck check = measure::CheckChannels(image, m.channels, m.allowFullRange);
    const std::string name = ChannelLabel(check.block);
    if (check.problem == measure::ChannelProblem::HearsNoInput)
        std::fprintf(
            err,
            "caraudio-cli: %s plays none of the box's inputs (its mixer is all 0), so it would measure "
            "silence. Nothing was measured.\n",
            name.c_str());
    if (check.problem == measure::ChannelProblem::NoHighPass)
        std::fprintf(
            err,
            "caraudio-cli: %s has no high-pass; a tweeter swept without one can be destroyed. Set its "
            "crossover first, or give --allow-full-range for a woofer or a sub. Nothing was measured.\n",
            name.c_str());
    return check.problem == measure::ChannelProblem::None;
}

// What went wrong with a take, said on err.
void SayTakeProblem(const measure::TakeOutcome& t, const measure::Rig& rig, const std::string& name,
                    std::FILE* err) {
    const std::string reference = ChannelLabel(rig.referenceBlock);
    switch (t.problem) {
    case measure::TakeProblem::None:
        break;
    case measure::TakeProblem::Failed:
        std::fprintf(err, "caraudio-cli: %s: the take failed: %s.\n", name.c_str(), t.message.c_str());
        break;
    case measure::TakeProblem::MicrophoneClipped:
    case measure::TakeProblem::LoopbackClipped:
        std::fprintf(
            err, "caraudio-cli: %s: the %s clipped; lower --level or the input's gain and measure again.\n",
            name.c_str(), t.problem == measure::TakeProblem::MicrophoneClipped ? "microphone" : "loopback");
        break;
    case measure::TakeProblem::LoopbackSilent:
        std::fprintf(err,
                     "caraudio-cli: %s: the loopback on input %d heard nothing; connect output %d to it and "
                     "measure again.\n",
                     name.c_str(), rig.loopback + 1, rig.sweepOutput + 1);
        break;
    case measure::TakeProblem::ReferenceNotHeard:
        std::fprintf(err,
                     "caraudio-cli: %s: the acoustic reference through %s was not heard before the sweep; "
                     "choose a tweeter or a mid for it (it plays 500..16000 Hz) and measure again.\n",
                     name.c_str(), reference.c_str());
        break;
    case measure::TakeProblem::ReferenceLost:
        std::fprintf(err,
                     "caraudio-cli: %s: the acoustic reference through %s was heard before the sweep but not "
                     "after it; keep the microphone still and the car quiet, and measure again.\n",
                     name.c_str(), reference.c_str());
        break;
    }
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
    const std::optional<measure::Rig> found = FindRig(*audio, m, err);
    if (!found) return kExitFailed;
    const measure::Rig& rig = *found;
    std::error_code ec;
    std::filesystem::create_directories(m.out, ec);
    if (!std::filesystem::is_directory(m.out)) {
        std::fprintf(err, "caraudio-cli: cannot make the folder %s: %s.\n", m.out.c_str(),
                     ec.message().c_str());
        return kExitFailed;
    }

    // What every channel is measured through, for whoever opens the folder again.
    if (!measure::WriteSessionImage(m.out, db.Block())) {
        std::fprintf(err, "caraudio-cli: cannot write %s/%s.\n", m.out.c_str(),
                     measure::kSessionImageName.data());
        return kExitFailed;
    }
    measure::TakeRouting routing(db);
    const int sweepInput = rig.sweepOutput;  // output n feeds the box's input n
    std::optional<measure::TakeRouting::Reference> reference;
    if (rig.Acoustic()) reference = measure::TakeRouting::Reference{rig.referenceBlock, rig.referenceOutput};
    const std::string first = ChannelLabel(m.channels.front());
    if (!routing.Route(m.channels.front(), sweepInput)) {
        std::fprintf(err, "caraudio-cli: the box did not take %s's solo; nothing was measured.\n",
                     first.c_str());
        return kExitFailed;
    }
    const std::atomic<bool> never{false};
    const measure::TakePlan quiet = measure::PlanQuietTake(rig, m.sweep);
    const audio::PlayRecordResult quietTake = audio->PlayAndRecord(quiet.request, never);
    if (quietTake.status != audio::AudioStatus::Done) {
        std::fprintf(err, "caraudio-cli: %s: the quiet test failed: %s.\n", first.c_str(),
                     quietTake.message.c_str());
        return kExitFailed;
    }
    const measure::QuietOutcome level = measure::LevelFromQuietTest(rig, quiet, quietTake, m.sweep);
    if (!level.heard) {
        std::fprintf(
            err,
            "caraudio-cli: the microphone did not hear the quiet test through %s; is it connected, at "
            "the seat, and is the input's gain up? Nothing was measured.\n",
            first.c_str());
        return kExitFailed;
    }
    analysis::SweepSettings settings = m.sweep;
    settings.levelDbfs = level.levelDbfs;
    const measure::TakePlan plan =
        measure::PlanTake(rig, analysis::ExponentialSweep(settings), settings.levelDbfs);

    std::fprintf(out, "timing reference: %s%s\n", rig.Timing().c_str(),
                 rig.Acoustic() ? " (arrivals relative to it)" : "");
    std::fprintf(out, "quiet test through %s set the level: sweep %.0f..%.0f Hz, %.1f s at %.1f dBFS\n",
                 first.c_str(), settings.lowHz, settings.highHz, settings.seconds, settings.levelDbfs);
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
    for (const int block : m.channels) {
        const std::string name = ChannelLabel(block);
        if (!routing.Route(block, sweepInput, reference)) {
            std::fprintf(err, "caraudio-cli: the box did not take %s's solo; nothing more was measured.\n",
                         name.c_str());
            return kExitFailed;
        }
        // Takes averaged sample by sample: the reference gives each the same
        // time zero, so the response adds up and the noise does not.
        std::vector<double> h(static_cast<size_t>(measure::kResponseSeconds * audio::kRate), 0.0);
        double peakDb = -INFINITY, driftPpm = 0;
        for (int repeat = 0; repeat < m.repeats; ++repeat) {
            const measure::TakeOutcome one =
                measure::AnalyseTake(rig, plan, audio->PlayAndRecord(plan.request, never));
            if (one.problem != measure::TakeProblem::None) {
                SayTakeProblem(one, rig, name, err);
                return kExitFailed;
            }
            for (size_t i = 0; i < h.size(); ++i) h[i] += one.response[i] / m.repeats;
            peakDb = std::max(peakDb, one.peakDb);
            driftPpm += one.driftPpm / m.repeats;
        }
        const measure::ChannelResult result =
            measure::FinishChannel(block, std::move(h), peakDb, driftPpm, rig, calibration);
        // After every channel: what was measured is listed even if a later one fails.
        std::string failed;
        if (!measure::SaveChannel(m.out, result, rig.Timing(), "caraudio-cli", index, failed)) {
            std::fprintf(err, "caraudio-cli: cannot write %s.\n", failed.c_str());
            return kExitFailed;
        }
        std::fprintf(out, "%s: SNR %.1f dB, peak %.1f dBFS, arrival %.3f ms", name.c_str(), result.snrDb,
                     result.peakDbfs, result.arrivalMs);
        if (rig.Acoustic()) std::fprintf(out, ", drift %.1f ppm", result.driftPpm);
        std::fprintf(out, "\n");
    }
    return kExitOk;
}

}  // namespace caraudio::cli
