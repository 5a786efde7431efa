// `autoeq`: a channel's bands fitted so its measurement follows a target,
// printed as a filter set and, unless it is a dry run, sent to the box.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "AutoEq.h"
#include "ChannelImport.h"
#include "CliChannelArg.h"
#include "CliMeasurementColumns.h"
#include "EditorGrid.h"
#include "FilterExport.h"
#include "FilterSetWriter.h"
#include "Folders.h"
#include "ParamDatabase.h"
#include "ParameterTable.h"
#include "TuningSettings.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

// What the box's band frequencies reach.
constexpr double kLowestHz = 20, kHighestHz = 20000;
constexpr double kMostBoostDb = 20;

struct AutoEqArgs {
    int channel = -1;
    OverlayArgs source;
    AutoEqOptions fit;
    bool dryRun = false;
};

// The whole text as a number, whatever the locale; a leading '+' is allowed.
bool WholeNumber(std::string_view text, double& value) {
    if (text.starts_with('+')) text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && at == end && std::isfinite(value);
}

bool ReadRange(std::string_view text, AutoEqOptions& fit) {
    const size_t dash = text.find('-');
    double lo = 0, hi = 0;
    if (dash == std::string_view::npos || !WholeNumber(text.substr(0, dash), lo) ||
        !WholeNumber(text.substr(dash + 1), hi) || lo < kLowestHz || hi > kHighestHz || !(lo < hi))
        return false;
    fit.loHz = lo;
    fit.hiHz = hi;
    return true;
}

bool ReadBoost(std::string_view text, AutoEqOptions& fit) {
    double db = 0;
    if (!WholeNumber(text, db) || db < 0 || db > kMostBoostDb) return false;
    fit.maxBoostDb = db;
    return true;
}

bool ReadBandCount(std::string_view text, AutoEqOptions& fit) {
    double n = 0;
    if (!WholeNumber(text, n) || n != std::floor(n) || n < 1 || n > kBandCount) return false;
    fit.maxBands = static_cast<int>(n);
    return true;
}

// --range, --max-boost or --bands at args[i]; i moves onto the value when taken.
OptionTaken TakeFitOption(CommandArgs args, size_t& i, AutoEqOptions& fit, std::FILE* err) {
    if (i + 1 >= args.size()) return OptionTaken::NotThere;
    const std::string_view name = args[i], value = args[i + 1];
    if (name == "--range") {
        if (!ReadRange(value, fit)) {
            std::fprintf(err,
                         "caraudio-cli: --range takes LO-HI in Hz within %.0f..%.0f, LO below HI "
                         "(e.g. 40-16000).\n",
                         kLowestHz, kHighestHz);
            return OptionTaken::Bad;
        }
    } else if (name == "--max-boost") {
        if (!ReadBoost(value, fit)) {
            std::fprintf(err, "caraudio-cli: --max-boost takes 0..%.0f dB.\n", kMostBoostDb);
            return OptionTaken::Bad;
        }
    } else if (name == "--bands") {
        if (!ReadBandCount(value, fit)) {
            std::fprintf(err, "caraudio-cli: --bands takes a whole number 1..%d.\n", kBandCount);
            return OptionTaken::Bad;
        }
    } else {
        return OptionTaken::NotThere;
    }
    ++i;
    return OptionTaken::Taken;
}

int ParseAutoEqArgs(CommandArgs args, AutoEqArgs& a, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        OptionTaken taken = TakeChannelOption(args, i, a.channel, err);
        if (taken == OptionTaken::NotThere) taken = TakeFitOption(args, i, a.fit, err);
        if (taken == OptionTaken::Bad) return kExitUsage;
        if (taken == OptionTaken::Taken) continue;
        if (args[i] == "--dry-run")
            a.dryRun = true;
        else if (!TakeOverlayArg(args, i, a.source))
            return kExitUsage;
    }
    if (a.channel < 0) {
        std::fprintf(err, "caraudio-cli: say which channel to fit with --channel CH1..CH6.\n");
        return kExitUsage;
    }
    if (a.source.measurementPath.empty()) {
        std::fprintf(err, "caraudio-cli: say which measurement to fit with --measurement FILE.\n");
        return kExitUsage;
    }
    return kExitOk;
}

// Whole hertz: the fitted span ends on a grid point, whose decimals say nothing.
std::string SpanText(FrequencySpan s) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f..%.0f Hz", s.lowHz, s.highHz);
    return text;
}

std::string FittedNote(const AutoEqArgs& a) {
    return ChannelLabel(a.channel) + " auto EQ against the " +
           (a.source.target.empty() ? std::string("flat") : a.source.target) + " target";
}

// The proposed bands as filter-set text; the comment lines before it start
// with '*', which a filter-set reader takes as header text.
void PrintProposal(const AutoEqArgs& a, const AutoEqResult& r, const EffectBlock& image, double heldBoostDb,
                   std::FILE* out) {
    std::fprintf(out, "* RMS error over %s after 1/6-octave smoothing: before %.2f dB, after %.2f dB\n",
                 SpanText(r.fitted).c_str(), r.rmsBeforeDb, r.rmsAfterDb);
    std::fprintf(out, "* Bands used: %d of %d; boost at most %+.2f dB%s\n", r.bandsUsed, a.fit.maxBands,
                 heldBoostDb, heldBoostDb < a.fit.maxBoostDb ? " (the tuning file's gain limit)" : "");
    const std::vector<PeakingFilter> filters =
        ChannelPeakingFilters(WithBands(image, a.channel, r.bands), a.channel);
    if (filters.empty()) std::fprintf(out, "* No band needs a gain: every band stays at 0 dB.\n");
    const std::string text = WriteRewFilterSettings(filters, FittedNote(a));
    std::fwrite(text.data(), 1, text.size(), out);
}

int FitRefused(const AutoEqArgs& a, const AutoEqResult& r, const MeasurementAgainstTarget& source,
               std::FILE* err) {
    if (r.status == AutoEqStatus::NotCovered && r.fitted.Empty())
        std::fprintf(
            err,
            "caraudio-cli: %s: they share nothing of the fit range %g..%g Hz; there is nothing to fit. "
            "Nothing was changed.\n",
            source.CoverageText().c_str(), a.fit.loHz, a.fit.hiHz);
    else if (r.status == AutoEqStatus::NotCovered)
        std::fprintf(err,
                     "caraudio-cli: %s: of the fit range %g..%g Hz they share only %s, less than an octave; "
                     "there is too little to fit. Nothing was changed.\n",
                     source.CoverageText().c_str(), a.fit.loHz, a.fit.hiHz, SpanText(r.fitted).c_str());
    else if (r.status == AutoEqStatus::NoMeasurement)
        std::fprintf(err,
                     "caraudio-cli: %s has no measured level between %g and %g Hz; there is nothing to fit. "
                     "Nothing was changed.\n",
                     a.source.measurementPath.c_str(), a.fit.loHz, a.fit.hiHz);
    else
        std::fprintf(err, "caraudio-cli: the fit range %g..%g Hz cannot be fitted. Nothing was changed.\n",
                     a.fit.loHz, a.fit.hiHz);
    return kExitFailed;
}

}  // namespace

int AutoEq(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    AutoEqArgs a;
    if (const int status = ParseAutoEqArgs(args, a, err); status != kExitOk) return status;
    MeasurementAgainstTarget source;
    if (!source.Read(a.source, err)) return kExitFailed;

    const storage::TuningSettings tuning = storage::LoadTuningSettings(storage::ReadOnlyFolders());
    a.fit.limits = tuning.Gains();
    a.fit.geq = false;  // the command line has no EQ mode: frequency, gain and Q all move

    // The fit starts from the box's channel: its crossovers stay and count.
    Connected c = ConnectToChange(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    const EffectBlock image = db.Block();
    if (!source.PutOnGrid(EditorGrid(), image, a.channel, err)) return kExitFailed;
    const AutoEqResult r =
        FitAutoEq(source.SpeakerAlone(), source.Target(), image, a.channel, a.fit, source.Covered());
    if (r.status != AutoEqStatus::Fitted) return FitRefused(a, r, source, err);

    const std::string channel = ChannelLabel(a.channel);
    std::fprintf(out, "* %s: %s, fitted over %s\n", FittedNote(a).c_str(), source.Path().c_str(),
                 SpanText(r.fitted).c_str());
    if (r.fitted != FrequencySpan{a.fit.loHz, a.fit.hiHz})
        std::fprintf(out, "* Only %s of the range %g..%g Hz was fitted: %s.\n", SpanText(r.fitted).c_str(),
                     a.fit.loHz, a.fit.hiHz, source.CoverageText().c_str());
    source.PrintMeasuredLine(out);
    if (a.dryRun) {
        std::fprintf(out, "* Dry run: nothing was sent to the box.\n");
    } else {
        const int volumeBefore = db.GetParam(param::Volume(a.channel));
        // The tuning file's scale is kept already divided by 100, as the window passes it on.
        edits::ApplyBands(db, a.channel, r.bands, tuning.scale);
        const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
        if (!sent) {
            std::fprintf(err,
                         "caraudio-cli: sending the bands to the box failed; the box may hold part of them. "
                         "Try again.\n");
            return kExitFailed;
        }
        std::fprintf(out, "* Sent to %s in the box.\n", channel.c_str());
        const int volumeAfter = db.GetParam(param::Volume(a.channel));
        if (volumeAfter != volumeBefore)
            std::fprintf(out, "* Gain compensation: %s's level %s -> %s.\n", channel.c_str(),
                         FormatVolume(volumeBefore).c_str(), FormatVolume(volumeAfter).c_str());
    }
    const double heldBoostDb = std::min(a.fit.maxBoostDb, static_cast<double>(a.fit.limits.maxvol));
    PrintProposal(a, r, image, heldBoostDb, out);
    return kExitOk;
}

}  // namespace caraudio::cli
