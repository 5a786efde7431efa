// `autoeq`: a channel's bands fitted so its measurement follows a target,
// printed as a filter set and, unless it is a dry run, sent to the box.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "AutoEq.h"
#include "ChannelImport.h"
#include "CliChannelArg.h"
#include "CliCurveArgs.h"
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

constexpr double kMostBoostDb = 20;

struct AutoEqArgs {
    int channel = -1;
    OverlayArgs source;
    AutoEqOptions fit;
    bool dryRun = false;
    bool applyLevel = false;  // the level trim goes to the channel's volume too
};

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
    if (name == "--range" || name == "--reference") {
        if (!ReadSpan(value, name == "--range" ? fit.range : fit.reference)) {
            std::fprintf(err,
                         "caraudio-cli: %s takes auto or LO..HI in Hz within %.0f..%.0f, LO below HI "
                         "(e.g. 80..3000).\n",
                         std::string(name).c_str(), kLowestHz, kHighestHz);
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
        else if (args[i] == "--apply-level")
            a.applyLevel = true;
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

// The range asked for, or the channel's own band.
std::string AskedText(const AutoEqArgs& a) {
    if (!a.fit.range) return ChannelLabel(a.channel) + "'s band";
    return "the fit range " + SpanText(*a.fit.range);
}

std::string EndText(BandEnd end, bool low) {
    char text[96];
    switch (end) {
    case BandEnd::Crossover:
        std::snprintf(text, sizeof text, "the %s corner", low ? "high-pass" : "low-pass");
        break;
    case BandEnd::RollOff:
        std::snprintf(text, sizeof text, "the speaker's own roll-off (%.0f dB under its level)", kRollOffDb);
        break;
    case BandEnd::Measurement:
        std::snprintf(text, sizeof text, "as far as the measurement and the target go");
        break;
    case BandEnd::Given:
        std::snprintf(text, sizeof text, "as given");
        break;
    }
    return text;
}

void PrintRangeAndLevel(const AutoEqArgs& a, const AutoEqResult& r, std::optional<double> trimDb,
                        FrequencySpan levelledOver, int volume, std::FILE* out) {
    std::fprintf(out, "* Range: %s (%s), %.0f Hz: %s; %.0f Hz: %s\n", SpanText(r.fitted).c_str(),
                 a.fit.range ? "given" : "auto, the channel's band", r.fitted.lowHz,
                 EndText(r.band.lowEnd, true).c_str(), r.fitted.highHz,
                 EndText(r.band.highEnd, false).c_str());
    std::fprintf(out, "* Reference: the level is set against the target over %s (%s)\n",
                 SpanText(r.reference).c_str(),
                 a.fit.reference ? "given" : "auto, where the channel plays fully");
    if (!trimDb) {
        std::fprintf(out,
                     "* Level trim: none: the measurement's level was set over %s, where %s hardly plays, so "
                     "it says nothing of the channel's level%s\n",
                     SpanText(levelledOver).c_str(), ChannelLabel(a.channel).c_str(),
                     a.applyLevel ? "; --apply-level changes nothing" : "");
        return;
    }
    const int steps = static_cast<int>(std::lround(*trimDb));
    const int after =
        std::clamp(volume + steps, static_cast<int>(kVolumeRaw.lo), static_cast<int>(kVolumeRaw.hi));
    std::fprintf(out, "* Level trim: %+.2f dB, volume step %+d (%s -> %s) against its level over %s: %s\n",
                 *trimDb, after - volume, FormatVolume(volume).c_str(), FormatVolume(after).c_str(),
                 SpanText(levelledOver).c_str(),
                 a.applyLevel ? "applied with the bands" : "suggested only; --apply-level sets it");
}

// The proposed bands as filter-set text; the comment lines before it start
// with '*', which a filter-set reader takes as header text. Only bands with
// a gain are lines.
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
    const std::string asked = AskedText(a);
    if (r.status == AutoEqStatus::NotCovered && r.fitted.Empty())
        std::fprintf(
            err,
            "caraudio-cli: %s: they share nothing of %s; there is nothing to fit. Nothing was changed.\n",
            source.CoverageText().c_str(), asked.c_str());
    else if (r.status == AutoEqStatus::NotCovered)
        std::fprintf(
            err,
            "caraudio-cli: %s: of %s they share only %s, less than an octave; there is too little to "
            "fit. Nothing was changed.\n",
            source.CoverageText().c_str(), asked.c_str(), SpanText(r.fitted).c_str());
    else if (r.status == AutoEqStatus::NoMeasurement)
        std::fprintf(err,
                     "caraudio-cli: %s has no measured level in %s; there is nothing to fit. Nothing was "
                     "changed.\n",
                     a.source.measurementPath.c_str(), asked.c_str());
    else if (r.status == AutoEqStatus::NoReference)
        std::fprintf(err,
                     "caraudio-cli: %s and the target share no level in the reference range %s; give "
                     "another --reference. Nothing was changed.\n",
                     a.source.measurementPath.c_str(), SpanText(*a.fit.reference).c_str());
    else
        std::fprintf(err, "caraudio-cli: %s cannot be fitted. Nothing was changed.\n", asked.c_str());
    return kExitFailed;
}

// Sends the bands (and with --apply-level the level) and says what changed.
bool Send(const AutoEqArgs& a, const AutoEqResult& r, std::optional<double> trimDb, ParamDatabase& db,
          const storage::TuningSettings& tuning, std::FILE* out, std::FILE* err) {
    const std::string channel = ChannelLabel(a.channel);
    const int volumeBefore = db.GetParam(param::Volume(a.channel));
    // The tuning file's scale is kept already divided by 100, as the window passes it on.
    edits::ApplyBands(db, a.channel, r.bands, tuning.scale);
    if (a.applyLevel && trimDb) {
        const int now = db.GetParam(param::Volume(a.channel));
        db.SetChannelVolume(a.channel,
                            static_cast<uint16_t>(std::clamp(now + static_cast<int>(std::lround(*trimDb)),
                                                             static_cast<int>(kVolumeRaw.lo),
                                                             static_cast<int>(kVolumeRaw.hi))));
    }
    const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
    if (!sent) {
        std::fprintf(err,
                     "caraudio-cli: sending the bands to the box failed; the box may hold part of them. Try "
                     "again.\n");
        return false;
    }
    std::fprintf(out, "* Sent to %s in the box.\n", channel.c_str());
    const int volumeAfter = db.GetParam(param::Volume(a.channel));
    if (volumeAfter != volumeBefore)
        std::fprintf(out, "* %s: %s's level %s -> %s.\n",
                     a.applyLevel && trimDb ? "Level trim and gain compensation" : "Gain compensation",
                     channel.c_str(), FormatVolume(volumeBefore).c_str(), FormatVolume(volumeAfter).c_str());
    return true;
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

    std::fprintf(out, "* %s: %s, fitted over %s\n", FittedNote(a).c_str(), source.Path().c_str(),
                 SpanText(r.fitted).c_str());
    if (a.fit.range && r.fitted != *a.fit.range)
        std::fprintf(out, "* Only %s of the range %s was fitted: %s.\n", SpanText(r.fitted).c_str(),
                     SpanText(*a.fit.range).c_str(), source.CoverageText().c_str());
    const std::optional<double> trimDb = LevelTrimDb(r, source.LevelledOver());
    PrintRangeAndLevel(a, r, trimDb, source.LevelledOver(), db.GetParam(param::Volume(a.channel)), out);
    source.PrintMeasuredLine(out);
    if (r.unchanged) {
        std::fprintf(
            out,
            "* No change: the fitted bands would reach %.2f dB RMS, no better than the %.2f dB %s has "
            "now. Nothing was sent to the box.\n",
            r.fittedRmsDb, r.rmsBeforeDb, ChannelLabel(a.channel).c_str());
        return kExitOk;
    }
    if (a.dryRun)
        std::fprintf(out, "* Dry run: nothing was sent to the box.\n");
    else if (!Send(a, r, trimDb, db, tuning, out, err))
        return kExitFailed;
    const double heldBoostDb = std::min(a.fit.maxBoostDb, static_cast<double>(a.fit.limits.maxvol));
    PrintProposal(a, r, image, heldBoostDb, out);
    return kExitOk;
}

}  // namespace caraudio::cli
