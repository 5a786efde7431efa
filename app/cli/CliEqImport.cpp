#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "BoxFields.h"
#include "ChannelImport.h"
#include "CliChannelArg.h"
#include "CliFiles.h"
#include "CliFilterSetTexts.h"
#include "CurveApproximation.h"
#include "FilterImportPlan.h"
#include "FilterIncludes.h"
#include "FilterText.h"
#include "Folders.h"
#include "TuningSettings.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

struct ImportArgs {
    int channel = -1;
    std::string path;
    std::string section;  // empty: none asked for
    bool applyPreamp = false;
};

int ParseImportArgs(CommandArgs args, ImportArgs& a, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const OptionTaken channel = TakeChannelOption(args, i, a.channel, err);
        if (channel == OptionTaken::Bad) return kExitUsage;
        if (channel == OptionTaken::Taken) continue;
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--section" && hasValue && !args[i + 1].empty()) {
            a.section = std::string(args[++i]);
        } else if (args[i] == "--apply-preamp") {
            a.applyPreamp = true;
        } else if (a.path.empty() && !args[i].empty() && !args[i].starts_with("--")) {
            a.path = std::string(args[i]);
        } else {
            return kExitUsage;
        }
    }
    if (a.channel < 0) {
        std::fprintf(err, "caraudio-cli: say which channel to import into with --channel CH1..CH6.\n");
        return kExitUsage;
    }
    return a.path.empty() ? kExitUsage : kExitOk;
}

bool ReadFilterFile(const std::string& path, std::string& bytes, std::FILE* err) {
    std::string why;
    switch (ReadFileUpTo(path, kMaxFilterSetBytes, bytes, why)) {
    case FileRead::Read:
        return true;
    case FileRead::CannotRead:
        std::fprintf(err, "caraudio-cli: %s. Nothing was changed.\n", why.c_str());
        return false;
    case FileRead::TooLarge:
        std::fprintf(err,
                     "caraudio-cli: %s is larger than %zu bytes; a filter set is a small text file. Nothing "
                     "was changed.\n",
                     path.c_str(), kMaxFilterSetBytes);
        return false;
    }
    return false;
}

bool ReportRefusedFile(const std::string& path, const FilterSet& set, std::FILE* err) {
    switch (set.status) {
    case ReadStatus::Ok:
        return false;
    case ReadStatus::Empty:
        std::fprintf(err, "caraudio-cli: %s is empty; there are no filters to import. Nothing was changed.\n",
                     path.c_str());
        break;
    case ReadStatus::TooLarge:
        std::fprintf(
            err,
            "caraudio-cli: %s is too large for a filter set (at most %zu bytes and %zu lines). Nothing "
            "was changed.\n",
            path.c_str(), kMaxFilterSetBytes, kMaxFilterSetLines);
        break;
    case ReadStatus::NotText:
        std::fprintf(err,
                     "caraudio-cli: %s is not text but binary data; export the filters from the measurement "
                     "program as text. Nothing was changed.\n",
                     path.c_str());
        break;
    case ReadStatus::NotAFilterSet:
        std::fprintf(err,
                     "caraudio-cli: %s is not a filter set: it has no filter lines, and line %d is not one:\n"
                     "  %s\nChoose REW filter settings, an Equalizer APO configuration or an AutoEQ "
                     "ParametricEQ.txt%s. Nothing was changed.\n",
                     path.c_str(), set.errorLine, Printable(set.errorText).c_str(), ReadAs(set).c_str());
        break;
    case ReadStatus::BadLine:
        std::fprintf(err,
                     "caraudio-cli: %s cannot be read as a filter set: %s (%s):\n  %s\n"
                     "Correct that line in a text editor, or export the filters again%s. Nothing was "
                     "changed.\n",
                     path.c_str(), LineName(set.errorLine, set.errorFile).c_str(), ProblemText(set.problem),
                     Printable(set.errorText).c_str(), ReadAs(set).c_str());
        break;
    }
    return true;
}

std::string SectionList(const FilterSet& set) {
    std::string list;
    for (const std::string& s : set.sections) list += (list.empty() ? "" : ", ") + s;
    return list;
}

// A file with "Channel:" sections holds filters for several speakers; which
// of them goes into this channel is the user's choice.
bool ChooseSection(const FilterSet& set, ImportArgs& a, std::FILE* err) {
    if (set.sections.empty()) {
        if (a.section.empty()) return true;
        std::fprintf(err,
                     "caraudio-cli: %s has no Channel: sections; leave out --section. Nothing was changed.\n",
                     a.path.c_str());
        return false;
    }
    if (a.section.empty()) {
        std::fprintf(err,
                     "caraudio-cli: %s holds filters for several channels; choose one with --section NAME "
                     "(sections: %s). Nothing was changed.\n",
                     a.path.c_str(), Printable(SectionList(set)).c_str());
        return false;
    }
    for (const std::string& s : set.sections) {
        if (!SameWord(s, a.section)) continue;
        a.section = s;  // the name as the file writes it, for the report
        return true;
    }
    std::fprintf(err, "caraudio-cli: %s has no section '%s' (sections: %s). Nothing was changed.\n",
                 a.path.c_str(), a.section.c_str(), Printable(SectionList(set)).c_str());
    return false;
}

bool IsClamped(const FilterImportPlan& plan, int lineNumber) {
    for (const ClampedFilter& c : plan.clamped)
        if (c.lineNumber == lineNumber) return true;
    return false;
}

// What the file asked where the box holds a value rounded from it; values
// out of the box's range are listed apart.
std::string RoundedFrom(const FilterLine& f, const BandValues& band) {
    std::string text;
    char buffer[64];
    auto add = [&](const char* format, double value) {
        std::snprintf(buffer, sizeof buffer, format, value);
        text += (text.empty() ? "; rounded from " : ", ") + std::string(buffer);
    };
    if (f.fcHz != band.freq) add("%g Hz", f.fcHz);
    if (std::lround(f.gainDb * 100) != band.gain) add("%+g dB", f.gainDb);
    if (std::fabs(f.q - CookbookQ(band.q)) > 5e-7) add("file Q %g", f.q);
    return text;
}

// What the box has no filter for, as bands stand in for it.
const char* ApproximatedName(FilterKind kind) {
    switch (kind) {
    case FilterKind::LowShelf:
        return "a low shelf";
    case FilterKind::HighShelf:
        return "a high shelf";
    default:
        return "a graphic EQ curve";
    }
}

void PrintBands(const FilterImportPlan& plan, const std::vector<FilterLine>& filters, std::FILE* out) {
    int used = 0;
    for (const int index : plan.bandFilter) used += index >= 0 ? 1 : 0;
    if (used == 0) {
        std::fputs(
            plan.approximation.lines.empty()
                ? "  No peaking filters: every band is set to 0 dB.\n"
                : "  No peaking filters, and the shelves and curves are flat: every band is set to 0 dB.\n",
            out);
        return;
    }
    // The box shows a band's Q as three times the Q filter-set files write.
    bool inOrder = true;
    for (int b = 0; b < kBandCount; ++b) {
        const int index = plan.bandFilter[static_cast<size_t>(b)];
        if (index < 0) continue;
        inOrder = inOrder && b < used;
        const BandValues& band = plan.bands[static_cast<size_t>(b)];
        const FilterLine& f = filters[static_cast<size_t>(index)];
        std::fprintf(out, "  band %2d  %5d Hz  %+6.2f dB  Q %-4s (file Q %.3f)  %s", b + 1, band.freq,
                     band.gain / 100.0, FormatQ(band.q).c_str(), CookbookQ(band.q),
                     LineName(f.lineNumber, f.file).c_str());
        if (f.kind != FilterKind::Peaking)
            std::fprintf(out, ", part of %s\n", ApproximatedName(f.kind));
        else
            std::fprintf(out, "%s\n",
                         IsClamped(plan, f.lineNumber) ? "; held, see below" : RoundedFrom(f, band).c_str());
    }
    if (used == kBandCount) return;
    if (inOrder)
        std::fprintf(out, "  Bands %d..%d are set to 0 dB and keep their frequency and Q.\n", used + 1,
                     kBandCount);
    else
        std::fprintf(out, "  The other %d bands are set to 0 dB and keep their frequency and Q.\n",
                     kBandCount - used);
}

void PrintApproximated(const Approximation& a, std::FILE* out) {
    if (a.lines.empty()) return;
    std::fprintf(
        out,
        "The box has no shelf or graphic EQ filter; peaking bands fitted to the file's curve stand in:\n");
    for (const ApproximatedFilter& f : a.lines)
        std::fprintf(out, "  %s (%s, %s): approximated by %d band%s\n",
                     LineName(f.lineNumber, f.file).c_str(), ApproximatedName(f.kind),
                     Printable(f.type).c_str(), f.bandCount, f.bandCount == 1 ? "" : "s");
    std::fprintf(out, "  The channel's bands follow the file's curve within %.2f dB%s from 20 to 20000 Hz.\n",
                 a.deviationDb, a.rms ? " RMS" : "");
}

void PrintCrossover(const char* side, const std::optional<CrossoverChoice>& c, std::FILE* out) {
    if (!c) return;
    const std::string type(CrossoverTypeLabel(c->typeField));
    const std::string slope(SlopeLabel(c->slopeIndex));
    std::fprintf(out,
                 "%s (line %d): %s %s at %d Hz, the box's closest to the file's filter (%.2f dB RMS apart)\n",
                 side, c->lineNumber, type.c_str(), slope.c_str(), c->freq, c->rmsDb);
}

void PrintClamped(const FilterImportPlan& plan, GainLimits limits, const std::string& tuningFile,
                  std::FILE* out) {
    if (plan.clamped.empty()) return;
    std::fprintf(out, "Outside what the box holds, so held at the nearest value:\n");
    for (const ClampedFilter& c : plan.clamped) {
        std::fprintf(out, "  line %d: %s\n", c.lineNumber, Printable(c.text).c_str());
        for (const ClampedValue& v : c.values) {
            switch (v.field) {
            case ClampedField::Frequency:
                std::fprintf(out, "    Fc %g Hz asked, %.0f Hz held\n", v.asked, v.held);
                break;
            case ClampedField::Gain:
                std::fprintf(out, "    gain %+.2f dB asked, %+.2f dB held (limits %d..%d dB, %s)\n", v.asked,
                             v.held, limits.minvol, limits.maxvol,
                             tuningFile.empty() ? "the defaults: no tuning file found"
                                                : ("from " + tuningFile).c_str());
                break;
            case ClampedField::Q:
                std::fprintf(out, "    file Q %g asked, file Q %.3f held (Q %s on the box)\n", v.asked,
                             v.held, FormatQ(static_cast<int>(std::lround(v.held * 300))).c_str());
                break;
            }
        }
    }
}

void PrintSkipped(const FilterImportPlan& plan, std::FILE* out) {
    if (plan.skipped.empty()) return;
    std::fprintf(out, "Not imported:\n");
    for (const SkippedFilter& s : plan.skipped)
        std::fprintf(out, "  %s (%s): %s\n", LineName(s.lineNumber, s.file).c_str(),
                     SkipReasonText(s).c_str(), Printable(s.text).c_str());
}

void PrintPreamp(const ImportArgs& a, double preampDb, const FilterImportPlan& plan, int volumeBefore,
                 std::FILE* out) {
    const std::string channel = ChannelLabel(a.channel);
    if (preampDb == 0) {
        if (a.applyPreamp)
            std::fprintf(out, "Preamp: the file has none; %s's level stays.\n", channel.c_str());
        return;
    }
    if (!a.applyPreamp)
        std::fprintf(out,
                     "Preamp %+.2f dB: reported only; --apply-preamp changes %s's level by it (whole dB, "
                     "toward the lower level).\n",
                     preampDb, channel.c_str());
    else if (plan.volume)
        std::fprintf(out, "Preamp %+.2f dB: applied, %s's level %s -> %s.\n", preampDb, channel.c_str(),
                     FormatVolume(volumeBefore).c_str(), FormatVolume(*plan.volume).c_str());
    else if (volumeBefore == 0)
        std::fprintf(out, "Preamp %+.2f dB: %s is OFF and stays OFF.\n", preampDb, channel.c_str());
    else
        std::fprintf(
            out, "Preamp %+.2f dB: in whole dB toward the lower level that is no change; %s stays at %s.\n",
            preampDb, channel.c_str(), FormatVolume(volumeBefore).c_str());
}

void PrintCannotApproximate(const ImportArgs& a, const FilterImportPlan& plan, std::FILE* err) {
    const Approximation& ap = plan.approximation;
    for (const ApproximatedFilter& f : ap.lines) {
        if (ap.noFilterLine == 0 || f.lineNumber != ap.noFilterLine) continue;
        std::fprintf(err,
                     "caraudio-cli: %s has a shelf that describes no filter on %s; a shelf needs Fc, a gain "
                     "and a positive Q or a slope its gain allows:\n  %s\nNothing was changed.\n",
                     a.path.c_str(), LineName(f.lineNumber, f.file).c_str(), Printable(f.text).c_str());
        return;
    }
    std::string lines;
    for (const ApproximatedFilter& f : ap.lines)
        lines += (lines.empty() ? "" : ", ") + LineName(f.lineNumber, f.file);
    std::fprintf(
        err,
        "caraudio-cli: %s needs more bands than the %d its peaking filters leave to follow its shelves "
        "and curves (%s) within %.1f dB%s; the closest came to %.2f dB. Remove filters from the "
        "file or import it in parts. Nothing was changed.\n",
        a.path.c_str(), ap.freeBands, lines.c_str(), kApproximationToleranceDb, ap.rms ? " RMS" : "",
        ap.deviationDb);
}

int PlanRefused(const ImportArgs& a, const FilterImportPlan& plan, std::FILE* err) {
    if (plan.outcome == ImportOutcome::CannotApproximate) {
        PrintCannotApproximate(a, plan, err);
    } else if (plan.outcome == ImportOutcome::TooManyPeaking) {
        std::fprintf(
            err,
            "caraudio-cli: %s has %d peaking filters switched on, but a channel has %d bands. Nothing "
            "was changed.\n",
            a.path.c_str(), plan.peakingCount, kBandCount);
    } else {
        bool onlyIncludes = !plan.skipped.empty();
        for (const SkippedFilter& s : plan.skipped)
            onlyIncludes =
                onlyIncludes && s.reason == SkipReason::NotFollowed && s.note != CommandNote::Config;
        if (onlyIncludes)
            std::fprintf(
                err,
                "caraudio-cli: %s keeps its filters in the files it includes, and none of them could be "
                "read. Nothing was changed.\n",
                a.path.c_str());
        else
            std::fprintf(err,
                         "caraudio-cli: %s has no filter the box can hold or follow (a peaking, high-pass, "
                         "low-pass or "
                         "shelf filter or a graphic EQ curve, switched on). Nothing was changed.\n",
                         a.path.c_str());
        PrintSkipped(plan, err);
    }
    return kExitFailed;
}

}  // namespace

int EqImport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    ImportArgs a;
    if (const int status = ParseImportArgs(args, a, err); status != kExitOk) return status;
    std::string bytes;
    if (!ReadFilterFile(a.path, bytes, err)) return kExitFailed;
    const FilterSet set = ReadFilterSet(bytes, edits::FilterIncludes(a.path));
    if (ReportRefusedFile(a.path, set, err) || !ChooseSection(set, a, err)) return kExitFailed;
    const std::vector<FilterLine> filters = FiltersForSection(set, a.section);
    const double preampDb = PreampForSection(set, a.section);

    std::string tuningFile;
    const storage::TuningSettings tuning =
        storage::LoadTuningSettings(storage::ReadOnlyFolders(), &tuningFile);

    Connected c = ConnectToChange(options, err);
    if (c.status != kExitOk) return c.status;
    ParamDatabase& db = c.session->Db();
    const int volumeBefore = db.GetParam(param::Volume(a.channel));
    const FilterImportPlan plan = PlanFilterImport(filters, db.Block(), a.channel, tuning.Gains(),
                                                   {a.applyPreamp, preampDb, set.filters.empty()});
    if (plan.outcome != ImportOutcome::Planned) return PlanRefused(a, plan, err);

    // The tuning file's scale is kept already divided by 100, as the window
    // passes it on.
    edits::ApplyFilterImport(db, a.channel, plan, tuning.scale);
    const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
    if (!sent) {
        std::fprintf(err,
                     "caraudio-cli: sending the filters to the box failed; the box may hold part of them. "
                     "Try again.\n");
        return kExitFailed;
    }

    const std::string channel = ChannelLabel(a.channel);
    std::fprintf(out, "Imported %s%s into %s", a.path.c_str(), FormatName(set.format), channel.c_str());
    if (!a.section.empty()) std::fprintf(out, " from section %s", a.section.c_str());
    std::fprintf(out, ":\n");
    PrintBands(plan, filters, out);
    PrintApproximated(plan.approximation, out);
    PrintCrossover("High-pass", plan.highPass, out);
    PrintCrossover("Low-pass", plan.lowPass, out);
    PrintClamped(plan, tuning.Gains(), tuningFile, out);
    PrintSkipped(plan, out);
    PrintPreamp(a, preampDb, plan, volumeBefore, out);
    const int volumeAfter = db.GetParam(param::Volume(a.channel));
    if (!plan.volume && volumeAfter != volumeBefore)
        std::fprintf(out, "Gain compensation: %s's level %s -> %s.\n", channel.c_str(),
                     FormatVolume(volumeBefore).c_str(), FormatVolume(volumeAfter).c_str());
    std::fprintf(out, "Sent to the box.\n");
    return kExitOk;
}

}  // namespace caraudio::cli
