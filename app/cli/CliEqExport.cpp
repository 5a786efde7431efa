#include <cerrno>
#include <cstring>
#include <string>

#include "AtomicFile.h"
#include "CliChannelArg.h"
#include "FilterExport.h"
#include "FilterSetWriter.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

enum class ExportFormat { Rew, Apo };

struct ExportArgs {
    int channel = -1;
    ExportFormat format = ExportFormat::Rew;
    std::string path;  // "-": standard output
};

int ParseExportArgs(CommandArgs args, ExportArgs& a, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const OptionTaken channel = TakeChannelOption(args, i, a.channel, err);
        if (channel == OptionTaken::Bad) return kExitUsage;
        if (channel == OptionTaken::Taken) continue;
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--format" && hasValue) {
            const std::string_view f = args[++i];
            if (f != "rew" && f != "apo") {
                std::fprintf(err, "caraudio-cli: --format takes rew or apo.\n");
                return kExitUsage;
            }
            a.format = f == "rew" ? ExportFormat::Rew : ExportFormat::Apo;
        } else if (a.path.empty() && !args[i].empty() && (args[i] == "-" || !args[i].starts_with("--"))) {
            a.path = std::string(args[i]);
        } else {
            return kExitUsage;
        }
    }
    if (a.channel < 0) {
        std::fprintf(err, "caraudio-cli: say which channel to export with --channel CH1..CH6.\n");
        return kExitUsage;
    }
    return a.path.empty() ? kExitUsage : kExitOk;
}

}  // namespace

int EqExport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    ExportArgs a;
    if (const int status = ParseExportArgs(args, a, err); status != kExitOk) return status;
    EffectBlock image;
    if (const int status = TakeImage(options, "", image, err); status != kExitOk) return status;

    const std::string channel = ChannelLabel(a.channel);
    const std::vector<analysis::PeakingFilter> filters = analysis::ChannelPeakingFilters(image, a.channel);
    const std::string note = channel + " EQ bands (crossovers not included)";
    const std::string text = a.format == ExportFormat::Rew ? analysis::WriteRewFilterSettings(filters, note)
                                                           : analysis::WriteApoConfig(filters, {}, note);
    if (filters.empty())
        std::fprintf(err, "caraudio-cli: every band of %s is at 0 dB; the file lists no filters.\n",
                     channel.c_str());
    if (a.format == ExportFormat::Rew && filters.size() > analysis::kRewGenericFilters)
        std::fprintf(
            err,
            "caraudio-cli: the file has %zu filters; REW up to V5.19 holds %zu in its Generic equaliser "
            "and leaves the rest out.\n",
            filters.size(), analysis::kRewGenericFilters);
    if (a.path == "-") {
        if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
            std::fprintf(err, "caraudio-cli: cannot write the filters to standard output: %s\n",
                         std::strerror(errno));
            return kExitFailed;
        }
        return kExitOk;
    }
    if (!storage::WriteFileAtomically(a.path, text)) {
        std::fprintf(err, "caraudio-cli: cannot write %s: %s\n", a.path.c_str(), std::strerror(errno));
        return kExitFailed;
    }
    std::fprintf(out, "Wrote %zu filters of %s to %s (%s).\n", filters.size(), channel.c_str(),
                 a.path.c_str(),
                 a.format == ExportFormat::Rew ? "REW filter settings" : "Equalizer APO configuration");
    return kExitOk;
}

}  // namespace caraudio::cli
