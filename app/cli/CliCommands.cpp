#include "CliCommands.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "CliCurveArgs.h"
#include "CliDeviceCommands.h"
#include "CliOutput.h"
#include "CliSession.h"

#ifndef CARAUDIO_VERSION
#define CARAUDIO_VERSION "unknown"
#endif

namespace caraudio::cli {
namespace {

struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    size_t minArguments;
    size_t maxArguments;
    CommandFn run;
};

constexpr std::array kCommands = {
    Command{"info", "info", "connect and show the box: status, current mode, image size, input mode", 0, 0,
            Info},
    Command{"dump", "dump", "print every parameter of the box's image (the factory image without a box)", 0,
            0, Dump},
    Command{"read", "read FILE", "save the box's whole image (1230 bytes) to FILE", 1, 1, ReadImage},
    Command{"write", "write FILE", "send a whole image from FILE to the box", 1, 1, WriteImage},
    Command{"recall", "recall N", "load memory N into the box: 1..8 USER-1..USER-8, 9 factory settings", 1, 1,
            Recall},
    Command{"store", "store N", "save the box's current settings as USER-N (1..8)", 1, 1, Store},
    Command{"set", "set NAME RAW",
            "change one parameter to a raw value as dump shows it, within what the program's controls give",
            2, 2, Set},
    Command{
        "curve",
        "curve [--channel CHn] [--image FILE] [--filter N] [--measurement FILE [--column C] "
        "[--smoothing 1/N] [--target T] [--measured-with W]]",
        "a channel's response as text (Hz, dB); --filter N: band 0..30, 31 high-pass, 32 low-pass; with a "
        "measurement also its measured, predicted and target levels (C: the file's level column by name or "
        "number, else the one named raw or the first; T: flat, house:BASS_DB@HZ,TILT_DB or a file; W: what "
        "played while it was measured, taken out of it before the channel's settings go in: flat, the "
        "speaker "
        "alone (the default); crossovers, the channel's crossovers; current, the channel's EQ and crossovers "
        "as the box (or the --image FILE) holds them when this command runs)",
        0, 16, Curve},
    Command{"eq-import", "eq-import --channel CHn FILE [--section NAME] [--apply-preamp]",
            "import a filter set (REW, Equalizer APO, AutoEQ) into a channel; --section picks a Channel: "
            "section, --apply-preamp sets the level by the file's preamp",
            3, 6, EqImport},
    Command{"eq-export", "eq-export --channel CHn [--format rew|apo] FILE",
            "write a channel's bands as REW filter settings or an Equalizer APO configuration; "
            "FILE - is standard output",
            3, 5, EqExport},
    Command{
        "autoeq",
        "autoeq --channel CHn --measurement FILE [--column C] [--target T] [--measured-with W] "
        "[--range auto|LO..HI] [--reference auto|LO..HI] [--max-boost DB] [--bands N] [--smoothing 1/N] "
        "[--apply-level] [--dry-run]",
        "fit a channel's bands (frequency, gain and Q) so its measurement follows the target (C, T and W as "
        "for curve) over the channel's band (between its crossover corners or its own roll-offs) or "
        "LO..HI Hz; the level is set over where it plays fully or the --reference range and printed as a "
        "level trim, which --apply-level also sets; boosts at most DB (6) and nowhere outside the band, "
        "uses at most N bands (31); prints the bands with a gain as REW filter settings with the RMS error "
        "before and after, and proposes nothing when that is no better; --dry-run sends nothing",
        4, 22, AutoEq},
    Command{"align", "align CHn=FILE [CHn=FILE ...] [--dry-run]",
            "channel delays from impulse responses (WAV) measured at the listening position with one timing "
            "reference: every direct sound arrives together; --dry-run only prints them",
            1, 7, Align},
    Command{"sum",
            "sum CHn=FILE [CHn=FILE ...] [--smoothing 1/N] [--target T] [--measured-with W] [--range LO..HI] "
            "[--image FILE]",
            "the predicted sum at the seat of channels with impulse responses (WAV, one timing reference), "
            "each through its settings in the box (or FILE), phase and all: per point each channel's level, "
            "the sum's level and phase and the target (T and W as for curve; smoothing 1/6 unless given), "
            "and the sum's RMS against the target over LO..HI Hz (by default where the channels play: from "
            "their lowest high-pass to their highest low-pass)",
            1, 16, Sum},
    Command{
        "tune",
        "tune CHn=FILE [CHn=FILE ...] [--target T] [--measured-with W] [--left CHn,...] [--right CHn,...] "
        "[--max-boost DB] [--dry-run]",
        "tune the whole car from one impulse response per channel (WAV, one timing reference), keeping the "
        "crossovers set in the box: delays and polarity across each crossover, level trims, each channel's "
        "EQ in its band and a few broad corrections of the sum (T and W as for curve; --left and --right "
        "say which side a speaker is on); prints the crossovers' losses, the sum's RMS against the target "
        "before and after and every setting that changes as NAME RAW, then sends them unless --dry-run",
        1, 20, Tune},
    Command{"audio-devices", "audio-devices", "list the sound outputs and inputs a measurement can use", 0, 0,
            AudioDevices},
    Command{
        "measure",
        "measure CHn [CHn ...] --out DIR [--output DEV[:CH]] [--input DEV[:CH]] [--reference "
        "loopback:CH|acoustic:CHn] [--cal FILE] [--sweep LO-HI] [--seconds S] [--level DBFS] [--repeat N] "
        "[--allow-full-range]",
        "sweep each channel alone through the box (output CH, 1 or 2, feeds the box's input of that number; "
        "the microphone on input CH) timed by a loopback (by default on the input's other channel) or by "
        "a chirp through CHn before and after each sweep, its clock drift taken out; a quiet test first "
        "sets a level the microphone has room for, up to DBFS; "
        "writes DIR/CHn.wav (impulse response) and DIR/CHn.txt (frequency, dB, phase) and prints each "
        "channel's SNR, peak level and arrival; N sweeps are averaged; FILE: the microphone's calibration, "
        "taken off the text "
        "exports; a channel without a high-pass is swept only with --allow-full-range",
        3, 40, Measure},
    Command{"mic-calibration", "mic-calibration FILE",
            "write the emulated microphone's calibration file, as measurement microphones ship them", 1, 1,
            MicCalibration},
    Command{"record", "record --play FILE.wav --out FILE.wav [--output DEV] [--input DEV[:N]] [--seconds S]",
            "play a 48 kHz WAV on the output while recording N (1 or 2) input channels into a WAV; S: how "
            "long, by default the file and half a second",
            4, 12, Record},
    Command{"scenes", "scenes", "list the PC scenes kept in config.ini", 0, 0, Scenes},
    Command{"scene-add", "scene-add NAME [--image FILE]",
            "keep the box's current image (or FILE's) as a PC scene called NAME", 1, 3, SceneAdd},
    Command{"scene-delete", "scene-delete N", "delete PC scene N", 1, 1, SceneDelete},
    Command{"scene-export", "scene-export N FILE.cae", "write PC scene N to a scene file", 2, 2, SceneExport},
    Command{"scene-import", "scene-import FILE.cae...",
            "add scene files to the PC scenes (--duplicates=import|skip answers the question)", 1, 1000,
            SceneImport},
    Command{"scene-recall", "scene-recall N", "send PC scene N to the box", 1, 1, SceneRecall},
};

void PrintHelp(std::FILE* out) {
    std::fprintf(
        out,
        "Usage: caraudio-cli [--emulate[=FILE] [--car DIR] [--mic=M] [--mic-drift=PPM] [--no-loopback]]\n"
        "                   [--verbose] COMMAND [ARGUMENTS]\n"
        "Tunes a car-audio DSP box from the command line.\n\n"
        "Commands:\n");
    // A usage wider than its column gets a line of its own.
    constexpr size_t kUsageWidth = 52;
    for (const Command& c : kCommands) {
        if (c.usage.size() > kUsageWidth)
            std::fprintf(out, "  %.*s\n  %-*s", static_cast<int>(c.usage.size()), c.usage.data(),
                         static_cast<int>(kUsageWidth), "");
        else
            std::fprintf(out, "  %-*.*s", static_cast<int>(kUsageWidth), static_cast<int>(c.usage.size()),
                         c.usage.data());
        std::fprintf(out, " %.*s\n", static_cast<int>(c.summary.size()), c.summary.data());
    }
    std::fprintf(
        out,
        "\nOptions:\n"
        "  --emulate         use a built-in emulated box instead of a real one\n"
        "  --emulate=FILE    the same, keeping the emulated box's memory in FILE\n"
        "  --car DIR         the car the emulated microphone hears (CH1.wav .. CH6.wav,\n"
        "                    noise.txt); without it a built-in car\n"
        "  --mic=flat|budget the emulated microphone: flat (the default), or one that\n"
        "                    colours the sound as a cheap capsule does\n"
        "  --mic-drift=PPM   the emulated microphone's clock runs PPM faster than the\n"
        "                    emulated output's\n"
        "  --no-loopback     the emulated microphone's input has no loopback channel\n"
        "  --verbose         show the link's traces and errors on standard error\n"
        "  --help            show this help\n"
        "  --version         show the version\n\n"
        "Exit status: 0 done, 1 the command failed, 2 wrong command line, 3 no box found,\n"
        "4 the box could not be opened, 5 the box did not answer, 6 the box refused the handshake.\n");
}

int RunCommand(std::span<const std::string_view> args, CliOptions& options, std::FILE* out, std::FILE* err) {
    size_t at = 0;
    bool micGiven = false;
    for (; at < args.size() && args[at].starts_with("--"); ++at) {
        const std::string_view a = args[at];
        if (a == "--help") {
            PrintHelp(out);
            return kExitOk;
        }
        if (a == "--version") {
            std::fprintf(out, "caraudio-cli %s\n", CARAUDIO_VERSION);
            return kExitOk;
        }
        if (a == "--verbose") {
            options.verbose = true;
        } else if (a == "--emulate") {
            options.emulate = true;
        } else if (a.starts_with("--emulate=") && a.size() > 10) {
            options.emulate = true;
            options.emulatorFile = std::string(a.substr(10));
        } else if (a == "--car" && at + 1 < args.size()) {
            options.carFolder = std::string(args[++at]);
        } else if (a.starts_with("--car=") && a.size() > 6) {
            options.carFolder = std::string(a.substr(6));
        } else if (a == "--mic=budget" || a == "--mic=flat") {
            options.budgetMicrophone = a == "--mic=budget";
            micGiven = true;
        } else if (a == "--no-loopback") {
            options.loopback = false;
            micGiven = true;
        } else if (a.starts_with("--mic-drift=")) {
            double ppm = 0;
            if (!WholeNumber(a.substr(12), ppm) || std::fabs(ppm) > 1000) {
                std::fprintf(
                    err,
                    "caraudio-cli: --mic-drift takes the microphone clock's drift in ppm, -1000..1000.\n");
                return kExitUsage;
            }
            options.microphoneDriftPpm = ppm;
            micGiven = true;
        } else {
            std::fprintf(err, "caraudio-cli: unknown option '%.*s'; try caraudio-cli --help\n",
                         static_cast<int>(a.size()), a.data());
            return kExitUsage;
        }
    }
    if ((!options.carFolder.empty() || micGiven) && !options.emulate) {
        std::fprintf(err,
                     "caraudio-cli: --car, --mic, --mic-drift and --no-loopback are the emulated "
                     "microphone's; they need "
                     "--emulate.\n");
        return kExitUsage;
    }
    if (at == args.size()) {
        PrintHelp(err);
        return kExitUsage;
    }
    const std::string_view name = args[at];
    if (name == "help" || name == "-h") {
        PrintHelp(out);
        return kExitOk;
    }
    const std::span<const std::string_view> rest = args.subspan(at + 1);
    for (const Command& c : kCommands) {
        if (c.name != name) continue;
        if (rest.size() < c.minArguments || rest.size() > c.maxArguments) {
            std::fprintf(err, "caraudio-cli: usage: caraudio-cli %.*s\n", static_cast<int>(c.usage.size()),
                         c.usage.data());
            return kExitUsage;
        }
        const int status = c.run(options, rest, out, err);
        if (status == kExitUsage)
            std::fprintf(err, "caraudio-cli: usage: caraudio-cli %.*s\n", static_cast<int>(c.usage.size()),
                         c.usage.data());
        return status;
    }
    std::fprintf(err, "caraudio-cli: unknown command '%.*s'; try caraudio-cli --help\n",
                 static_cast<int>(name.size()), name.data());
    return kExitUsage;
}

}  // namespace

int Run(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
    int emulatorSaveError = 0;
    CliOptions options;
    options.emulatorSaveError = &emulatorSaveError;
    CheckedOutput checked(out);
    int status = RunCommand(args, options, checked.Stream(), err);
    // The emulated box said so when it could not save; the command did not
    // do all it was asked to.
    if (emulatorSaveError != 0 && status == kExitOk) status = kExitFailed;
    // What was printed counts only once it is out: a full disk under a
    // redirected standard output shows here.
    if (const int error = checked.Finish(); error != 0) {
        std::fprintf(err, "caraudio-cli: cannot write the standard output: %s.\n", std::strerror(error));
        return kExitFailed;
    }
    return status;
}

}  // namespace caraudio::cli
