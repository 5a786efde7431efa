#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "BoxFields.h"
#include "ChannelImport.h"
#include "CliChannelArg.h"
#include "CliFiles.h"
#include "FilterImportPlan.h"
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

// A line of the file as it can go to a terminal: bytes that are not UTF-8
// (a binary file, another encoding) become '?'.
std::string Printable(std::string_view text) {
    std::string shown;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!valid) {
            shown += '?';
            ++i;
            continue;
        }
        shown.append(text.substr(i, length));
        i += length;
    }
    return shown;
}

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
    case ReadStatus::NotAFilterSet:
        std::fprintf(err,
                     "caraudio-cli: %s is not a filter set: it has no filter lines, and line %d is not one:\n"
                     "  %s\nNothing was changed.\n",
                     path.c_str(), set.errorLine, Printable(set.errorText).c_str());
        break;
    case ReadStatus::BadLine:
        std::fprintf(
            err,
            "caraudio-cli: %s cannot be read as a filter set: line %d cannot be read:\n  %s\nNothing "
            "was changed.\n",
            path.c_str(), set.errorLine, Printable(set.errorText).c_str());
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

const char* FormatName(FilterSetFormat format) {
    switch (format) {
    case FilterSetFormat::RewFilterSettings:
        return " (REW filter settings)";
    case FilterSetFormat::EqualizerApo:
        return " (Equalizer APO configuration)";
    case FilterSetFormat::AutoEq:
        return " (AutoEQ parametric EQ)";
    case FilterSetFormat::Unknown:
        break;
    }
    return "";
}

std::string SkipReasonText(const SkippedFilter& s) {
    switch (s.reason) {
    case SkipReason::Off:
        return "switched off";
    case SkipReason::ExtraCrossover:
        return s.kind == FilterKind::HighPass ? "a second high-pass; the channel has one"
                                              : "a second low-pass; the channel has one";
    case SkipReason::NotImportable:
        break;
    }
    switch (s.kind) {
    case FilterKind::LowShelf:
        return "a low shelf; the box has no shelf filters";
    case FilterKind::HighShelf:
        return "a high shelf; the box has no shelf filters";
    case FilterKind::Notch:
        return "a notch; the box has no notch filter";
    case FilterKind::AllPass:
        return "an all-pass; the box has no all-pass filter";
    default:
        return Printable(s.type) + ": not a filter the box has";
    }
}

// The peaking filters in the order the plan gives them bands, so each band
// can name its line.
std::vector<const FilterLine*> BandLines(const std::vector<FilterLine>& filters) {
    std::vector<const FilterLine*> peaks;
    for (const FilterLine& f : filters)
        if (f.on && f.kind == FilterKind::Peaking) peaks.push_back(&f);
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const FilterLine* a, const FilterLine* b) { return a->fcHz < b->fcHz; });
    return peaks;
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

void PrintBands(const FilterImportPlan& plan, const std::vector<FilterLine>& filters, std::FILE* out) {
    const std::vector<const FilterLine*> lines = BandLines(filters);
    const int used = plan.peakingCount;
    if (used == 0) {
        std::fprintf(out, "  No peaking filters: every band is set to 0 dB.\n");
        return;
    }
    // The box shows a band's Q as three times the Q filter-set files write.
    for (int b = 0; b < used; ++b) {
        const BandValues& band = plan.bands[static_cast<size_t>(b)];
        std::fprintf(out, "  band %2d  %5d Hz  %+6.2f dB  Q %-4s (file Q %.3f)", b + 1, band.freq,
                     band.gain / 100.0, FormatQ(band.q).c_str(), CookbookQ(band.q));
        if (static_cast<size_t>(b) < lines.size()) {
            const FilterLine& f = *lines[static_cast<size_t>(b)];
            std::fprintf(out, "  line %d%s", f.lineNumber,
                         IsClamped(plan, f.lineNumber) ? "; held, see below" : RoundedFrom(f, band).c_str());
        }
        std::fputc('\n', out);
    }
    if (used < kBandCount)
        std::fprintf(out, "  Bands %d..%d are set to 0 dB and keep their frequency and Q.\n", used + 1,
                     kBandCount);
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
        std::fprintf(out, "  line %d (%s): %s\n", s.lineNumber, SkipReasonText(s).c_str(),
                     Printable(s.text).c_str());
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

int PlanRefused(const ImportArgs& a, const FilterImportPlan& plan, std::FILE* err) {
    if (plan.outcome == ImportOutcome::TooManyPeaking) {
        std::fprintf(
            err,
            "caraudio-cli: %s has %d peaking filters switched on, but a channel has %d bands. Nothing "
            "was changed.\n",
            a.path.c_str(), plan.peakingCount, kBandCount);
    } else {
        std::fprintf(
            err,
            "caraudio-cli: %s has no filter the box can hold (a peaking, high-pass or low-pass filter "
            "switched on). Nothing was changed.\n",
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
    const FilterSet set = ReadFilterSet(bytes);
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
    const FilterImportPlan plan =
        PlanFilterImport(filters, db.Block(), a.channel, tuning.Gains(), {a.applyPreamp, preampDb});
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
