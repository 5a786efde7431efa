// `align`: channel delays from measured impulse responses, so that every
// channel's direct sound reaches the listener together.
#include <array>
#include <string>
#include <vector>

#include "Arrival.h"
#include "CliImpulseFiles.h"
#include "DelayProposal.h"
#include "ImpulseResponse.h"
#include "ParamDatabase.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

int ParseAlignArgs(CommandArgs args, std::vector<ChannelImpulse>& files, bool& dryRun, std::FILE* err) {
    for (std::string_view a : args) {
        if (a == "--dry-run")
            dryRun = true;
        else if (!TakeChannelImpulseArg(a, files, err))
            return kExitUsage;
    }
    return files.empty() ? kExitUsage : kExitOk;
}

}  // namespace

int Align(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    std::vector<ChannelImpulse> files;
    bool dryRun = false;
    if (const int status = ParseAlignArgs(args, files, dryRun, err); status != kExitOk) return status;

    if (const int status = ReadChannelImpulses(files, err); status != kExitOk) return status;
    std::vector<double> arrivals;
    std::vector<int> polarities;
    for (const ChannelImpulse& f : files) {
        arrivals.push_back(f.arrival.ms);
        polarities.push_back(f.arrival.polarity);
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
