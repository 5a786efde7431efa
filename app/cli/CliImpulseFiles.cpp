#include "CliImpulseFiles.h"

#include "CliChannelArg.h"
#include "CliFiles.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

const char* ReadProblem(ImpulseResponseStatus s) {
    switch (s) {
    case ImpulseResponseStatus::Read:
        return "read";
    case ImpulseResponseStatus::NotSoundFile:
        return "not a sound file this tool can read";
    case ImpulseResponseStatus::NotMono:
        return "more than one channel; export each channel's impulse response on its own";
    case ImpulseResponseStatus::UnsupportedRate:
        return "a sample rate other than 44.1, 48 or 96 kHz";
    case ImpulseResponseStatus::Empty:
        return "no samples";
    case ImpulseResponseStatus::TooLong:
        return "longer than an impulse response (10 s at most)";
    case ImpulseResponseStatus::NotFinite:
        return "samples that are not numbers";
    }
    return "not readable";
}

// Why a file that read is no impulse response; empty for one that is.
std::string NotAnImpulse(ArrivalStatus s) {
    char text[200] = "";
    switch (s) {
    case ArrivalStatus::Found:
    case ArrivalStatus::Silent:
        break;
    case ArrivalStatus::TooShort:
        std::snprintf(
            text, sizeof text,
            "it ends less than %.0f ms after its direct sound, too soon to see the response die away",
            kDecayWindowMs);
        break;
    case ArrivalStatus::NoLeadIn:
        std::snprintf(text, sizeof text,
                      "its direct sound comes within %.1f ms of the start: the file was cut there or "
                      "measured without a timing reference",
                      kMinArrivalMs);
        break;
    case ArrivalStatus::NoPeak:
        std::snprintf(text, sizeof text,
                      "no peak stands %.0f dB clear of the rest; it looks like noise, music, a sweep or DC",
                      kMinPeakOverBackgroundDb);
        break;
    case ArrivalStatus::NoDecay:
        std::snprintf(
            text, sizeof text,
            "something within %.0f dB of the direct sound comes more than %.0f ms after it; it looks "
            "like more than one impulse, or noise",
            -kMaxLateLevelDb, kDecayWindowMs);
        break;
    }
    return text;
}

}  // namespace

bool TakeChannelImpulseArg(std::string_view a, std::vector<ChannelImpulse>& files, std::FILE* err) {
    const size_t eq = a.find('=');
    ChannelImpulse f;
    if (eq == std::string_view::npos || eq + 1 == a.size() || !ChannelArg(a.substr(0, eq), f.block)) {
        std::fprintf(err, "caraudio-cli: give each response as CHn=FILE (CH1..CH6), not '%.*s'.\n",
                     static_cast<int>(a.size()), a.data());
        return false;
    }
    for (const ChannelImpulse& g : files)
        if (g.block == f.block) {
            std::fprintf(err, "caraudio-cli: %s is given twice.\n", ChannelLabel(f.block).c_str());
            return false;
        }
    f.path = std::string(a.substr(eq + 1));
    files.push_back(std::move(f));
    return true;
}

int ReadChannelImpulses(std::vector<ChannelImpulse>& files, std::FILE* err) {
    for (ChannelImpulse& f : files) {
        std::string bytes, problem;
        switch (ReadFileUpTo(f.path, kMaxImpulseResponseBytes, bytes, problem)) {
        case FileRead::Read:
            break;
        case FileRead::CannotRead:
            std::fprintf(err, "caraudio-cli: %s. Nothing was changed.\n", problem.c_str());
            return kExitFailed;
        case FileRead::TooLarge:
            std::fprintf(err, "caraudio-cli: %s: %s. Nothing was changed.\n", f.path.c_str(),
                         ReadProblem(ImpulseResponseStatus::TooLong));
            return kExitFailed;
        }
        const ImpulseResponseRead read = ReadImpulseResponseBytes(bytes);
        if (read.status != ImpulseResponseStatus::Read) {
            std::fprintf(err, "caraudio-cli: %s: %s. Nothing was changed.\n", f.path.c_str(),
                         ReadProblem(read.status));
            return kExitFailed;
        }
        f.response = read.response;
        f.arrival = DetectArrival(f.response);
        if (f.arrival.status == ArrivalStatus::Silent) {
            std::fprintf(err, "caraudio-cli: %s is silent: no direct sound to time. Nothing was changed.\n",
                         f.path.c_str());
            return kExitFailed;
        }
        if (f.arrival.status != ArrivalStatus::Found) {
            std::fprintf(err,
                         "caraudio-cli: %s: %s does not look like an impulse response: %s. Nothing was "
                         "changed.\n",
                         ChannelLabel(f.block).c_str(), f.path.c_str(),
                         NotAnImpulse(f.arrival.status).c_str());
            return kExitFailed;
        }
    }
    return kExitOk;
}

}  // namespace caraudio::cli
