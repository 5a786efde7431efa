// `audio-devices` and `record`: the sound devices a measurement can use,
// and one take through them: a file played while the input is recorded.
#include "CliAudio.h"

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "AudioSystems.h"
#include "BoxFirmware.h"
#include "CliCurveArgs.h"
#include "CliDeviceCommands.h"
#include "EmulatedAudio.h"
#include "MeasurementFiles.h"
#include "MeasuringTake.h"
#include "PulseAudioSystem.h"
#include "VirtualCar.h"

namespace caraudio::cli {
namespace {

// Longer than any sweep a measurement plays.
constexpr double kLongestPlaySeconds = 60;
// Recorded past the file's end by default: the car's reverberation.
constexpr double kTailSeconds = 0.5;

emulator::Microphone Microphone(const CliOptions& options) {
    return options.budgetMicrophone ? emulator::BudgetMicrophone() : emulator::FlatMicrophone();
}

}  // namespace

std::unique_ptr<audio::AudioSystem> OpenAudio(const CliOptions& options, std::function<EffectBlock()> image,
                                              std::FILE* err) {
    auto systems = std::make_unique<audio::AudioSystems>();
    if (options.emulate) {
        emulator::VirtualCar car = emulator::DefaultCar();
        if (!options.carFolder.empty()) {
            emulator::CarRead read = emulator::ReadCar(options.carFolder);
            if (!read.ok) {
                std::fprintf(err, "caraudio-cli: the car in %s cannot be used: %s.\n",
                             options.carFolder.c_str(), read.error.c_str());
                return nullptr;
            }
            car = std::move(read.car);
        }
        emulator::EmulatedAudioOptions o;
        o.seed = std::random_device{}();
        o.driftPpm = options.microphoneDriftPpm;
        o.loopback = options.loopback;
        systems->Add(std::make_unique<emulator::EmulatedAudio>(std::move(image), std::move(car),
                                                               Microphone(options), o));
    }
    systems->Add(std::make_unique<audio::PulseAudioSystem>());
    if (systems->Outputs().empty() || systems->Inputs().empty()) {
        std::fprintf(
            err,
            "caraudio-cli: no sound devices found: is the sound server running? (--emulate gives the "
            "emulated box's)\n");
        return nullptr;
    }
    return systems;
}

namespace {

struct PlayFile {
    std::vector<std::vector<double>> channels;
    bool ok = false;
};

// A WAV at 48 kHz of one or two channels, as the output plays it.
PlayFile ReadPlayFile(const std::string& path, std::FILE* err) {
    PlayFile file;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) {
        std::fprintf(err, "caraudio-cli: cannot read %s: %s.\n", path.c_str(), sf_strerror(nullptr));
        return file;
    }
    const bool fits = info.samplerate == audio::kRate && info.channels >= 1 && info.channels <= 2 &&
                      info.frames > 0 &&
                      static_cast<double>(info.frames) <= kLongestPlaySeconds * audio::kRate;
    if (!fits) {
        std::fprintf(err, "caraudio-cli: %s must be one or two channels at 48000 Hz, up to %.0f s long.\n",
                     path.c_str(), kLongestPlaySeconds);
        sf_close(f);
        return file;
    }
    std::vector<double> interleaved(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_double(f, interleaved.data(), info.frames);
    sf_close(f);
    file.channels.assign(static_cast<size_t>(info.channels), std::vector<double>(static_cast<size_t>(got)));
    for (size_t i = 0; i < static_cast<size_t>(got); ++i)
        for (size_t c = 0; c < file.channels.size(); ++c) {
            const double v = interleaved[i * file.channels.size() + c];
            if (!std::isfinite(v)) {
                std::fprintf(err, "caraudio-cli: %s holds samples that are not numbers.\n", path.c_str());
                return file;
            }
            file.channels[c][i] = v;
        }
    file.ok = true;
    return file;
}

struct RecordArgs {
    std::string play, out, output, input;
    int inputChannels = 1;
    std::optional<double> seconds;
};

bool ReadRecordArgs(CommandArgs args, RecordArgs& r, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (i + 1 >= args.size()) return false;
        const std::string value(args[++i]);
        if (a == "--play") {
            r.play = value;
        } else if (a == "--out") {
            r.out = value;
        } else if (a == "--output") {
            r.output = value;
        } else if (a == "--input") {
            // DEV or DEV:N, N the input channels recorded from the first.
            const size_t colon = value.rfind(':');
            r.input = value;
            if (colon != std::string::npos && colon + 2 == value.size() &&
                (value.back() == '1' || value.back() == '2')) {
                r.input = value.substr(0, colon);
                r.inputChannels = value.back() - '0';
            }
        } else if (a == "--seconds") {
            double s = 0;
            if (!WholeNumber(value, s) || !(s > 0 && s <= kLongestPlaySeconds + kTailSeconds)) {
                std::fprintf(err, "caraudio-cli: --seconds takes a length of 0..%.1f s.\n",
                             kLongestPlaySeconds + kTailSeconds);
                return false;
            }
            r.seconds = s;
        } else {
            return false;
        }
    }
    return !r.play.empty() && !r.out.empty();
}

}  // namespace

bool WriteWav(const std::string& path, const std::vector<std::vector<double>>& channels, std::FILE* err) {
    const bool written = measure::WriteResponseWav(path, channels);
    if (!written) std::fprintf(err, "caraudio-cli: cannot write %s.\n", path.c_str());
    return written;
}

int AudioDevices(const CliOptions& options, CommandArgs, std::FILE* out, std::FILE* err) {
    const std::unique_ptr<audio::AudioSystem> audio = OpenAudio(
        options, [] { return DefaultEffectBlock(); }, err);
    if (!audio) return kExitFailed;
    for (const audio::AudioDevice& d : audio->Outputs())
        std::fprintf(out, "output  %-22s %s (%d channels)\n", d.id.c_str(), d.name.c_str(), d.channels);
    for (const audio::AudioDevice& d : audio->Inputs())
        std::fprintf(out, "input   %-22s %s (%d channel%s)\n", d.id.c_str(), d.name.c_str(), d.channels,
                     d.channels == 1 ? "" : "s");
    return kExitOk;
}

int MicCalibration(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    if (!options.emulate) {
        std::fprintf(err,
                     "caraudio-cli: only the emulated microphone's calibration is known; try --emulate.\n");
        return kExitFailed;
    }
    const std::string path(args[0]);
    const std::string text = emulator::CalibrationFileText(Microphone(options));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) f = nullptr;
    if (!written || !f) {
        std::fprintf(err, "caraudio-cli: cannot write %s: %s.\n", path.c_str(), std::strerror(errno));
        return kExitFailed;
    }
    std::fprintf(out, "wrote %s: the calibration of the emulated %s microphone\n", path.c_str(),
                 options.budgetMicrophone ? "budget" : "flat");
    return kExitOk;
}

int Record(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    RecordArgs r;
    if (!ReadRecordArgs(args, r, err)) return kExitUsage;
    const PlayFile play = ReadPlayFile(r.play, err);
    if (!play.ok) return kExitFailed;

    // The emulated devices hear the car through the emulated box as it is
    // while the take runs.
    Connected c = ConnectBox(options, err);
    if (c.status != kExitOk) return c.status;
    emulator::BoxFirmware* firmware = c.session->EmulatedFirmware();
    std::function<EffectBlock()> image = [firmware] {
        return firmware ? firmware->CurrentImage() : DefaultEffectBlock();
    };
    const std::unique_ptr<audio::AudioSystem> audio = OpenAudio(options, image, err);
    if (!audio) return kExitFailed;

    audio::PlayRecordRequest request;
    request.outputId = r.output.empty() ? audio->Outputs().front().id : r.output;
    request.inputId = r.input.empty() ? audio->Inputs().front().id : r.input;
    request.inputChannels = r.inputChannels;
    request.play = play.channels;
    const double seconds =
        r.seconds.value_or(static_cast<double>(play.channels.front().size()) / audio::kRate + kTailSeconds);
    request.recordFrames = static_cast<size_t>(std::lround(seconds * audio::kRate));
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult taken = audio->PlayAndRecord(request, never);
    if (taken.status != audio::AudioStatus::Done) {
        std::fprintf(err, "caraudio-cli: the take failed: %s.\n",
                     taken.message.empty() ? "the sound device stopped" : taken.message.c_str());
        return kExitFailed;
    }
    if (!WriteWav(r.out, taken.recorded, err)) return kExitFailed;
    for (size_t ch = 0; ch < taken.recorded.size(); ++ch)
        std::fprintf(out, "input %zu: peak %.1f dBFS%s\n", ch + 1, measure::PeakDb(taken.recorded[ch]),
                     measure::PeakDb(taken.recorded[ch]) >= 0 ? " (clipped)" : "");
    std::fprintf(out, "wrote %s: %zu frames at %d Hz\n", r.out.c_str(), request.recordFrames, audio::kRate);
    return kExitOk;
}

}  // namespace caraudio::cli
