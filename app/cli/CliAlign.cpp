// `align`: channel delays from measured impulse responses, so that every
// channel's direct sound reaches the listener together.
#include <array>
#include <string>
#include <vector>

#include "Arrival.h"
#include "CliChannelArg.h"
#include "CliFiles.h"
#include "DelayProposal.h"
#include "ImpulseResponse.h"
#include "ParamDatabase.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

struct ChannelFile {
    int block = 0;
    std::string path;
};

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

int ParseAlignArgs(CommandArgs args, std::vector<ChannelFile>& files, bool& dryRun, std::FILE* err) {
    std::array<bool, kChannelCount> taken{};
    for (std::string_view a : args) {
        if (a == "--dry-run") {
            dryRun = true;
            continue;
        }
        const size_t eq = a.find('=');
        ChannelFile f;
        if (eq == std::string_view::npos || eq + 1 == a.size() || !ChannelArg(a.substr(0, eq), f.block)) {
            std::fprintf(err, "caraudio-cli: give each response as CHn=FILE (CH1..CH6), not '%.*s'.\n",
                         static_cast<int>(a.size()), a.data());
            return kExitUsage;
        }
        if (taken[static_cast<size_t>(f.block)]) {
            std::fprintf(err, "caraudio-cli: %s is given twice.\n", ChannelLabel(f.block).c_str());
            return kExitUsage;
        }
        taken[static_cast<size_t>(f.block)] = true;
        f.path = std::string(a.substr(eq + 1));
        files.push_back(std::move(f));
    }
    return files.empty() ? kExitUsage : kExitOk;
}

}  // namespace

int Align(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    std::vector<ChannelFile> files;
    bool dryRun = false;
    if (const int status = ParseAlignArgs(args, files, dryRun, err); status != kExitOk) return status;

    std::vector<double> arrivals;
    std::vector<int> polarities;
    for (const ChannelFile& f : files) {
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
        const Arrival arrival = DetectArrival(read.response);
        if (arrival.status == ArrivalStatus::Silent) {
            std::fprintf(err, "caraudio-cli: %s is silent: no direct sound to time. Nothing was changed.\n",
                         f.path.c_str());
            return kExitFailed;
        }
        if (arrival.status != ArrivalStatus::Found) {
            std::fprintf(err,
                         "caraudio-cli: %s: %s does not look like an impulse response: %s. Nothing was "
                         "changed.\n",
                         ChannelLabel(f.block).c_str(), f.path.c_str(), NotAnImpulse(arrival.status).c_str());
            return kExitFailed;
        }
        arrivals.push_back(arrival.ms);
        polarities.push_back(arrival.polarity);
    }
    const DelayProposal proposal = ProposeDelays(arrivals);
    if (proposal.status != DelayProposalStatus::Proposed) {
        std::fprintf(
            err,
            "caraudio-cli: the arrivals lie %.3f ms apart; the box delays a channel by 20 ms at most. "
            "Nothing was changed.\n",
            proposal.spreadMs);
        return kExitFailed;
    }
    const std::vector<bool> inverted = InvertedPolarityHints(polarities);
    for (size_t i = 0; i < files.size(); ++i) {
        const int raw = proposal.raw[i];
        std::fprintf(out, "%s  arrival %7.3f ms  delay %6.3f ms (raw %d)%s\n",
                     ChannelLabel(files[i].block).c_str(), arrivals[i],
                     raw / static_cast<double>(kDelayStepsPerMs), raw,
                     inverted[i] ? "  polarity looks inverted against the others" : "");
    }
    if (dryRun) return kExitOk;

    Connected c = ConnectToChange(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    for (size_t i = 0; i < files.size(); ++i)
        db.SetParam(param::Delay(files[i].block), static_cast<uint16_t>(proposal.raw[i]));
    const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
    if (!sent) {
        std::fprintf(err, "caraudio-cli: sending the delays to the box failed.\n");
        return kExitFailed;
    }
    std::fprintf(out, "Delays sent to the box.\n");
    return kExitOk;
}

}  // namespace caraudio::cli
