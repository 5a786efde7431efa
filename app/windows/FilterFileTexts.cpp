#include "FilterFileTexts.h"

#include <cmath>

#include "CurveApproximation.h"
#include "FilterSetWriter.h"
#include "Translation.h"
#include "ValueScales.h"

namespace caraudio::app {

namespace {

using analysis::FilterImportPlan;

QString T(const char* text) {
    return Tr("filter_files", text);
}

// Numbers as files write them: decimal point, at most three decimals, no
// trailing zeros.
QString Number(double value) {
    return QString::number(std::round(value * 1000) / 1000, 'g', 12);
}

// A file's line as quoted in a message: the columns' padding closed up, long
// lines ending in an ellipsis.
QString Quoted(const std::string& text) {
    constexpr int kLongest = 64;
    const QString line = QString::fromStdString(text).simplified();
    return line.size() <= kLongest ? line : line.left(kLongest - 1) + QChar(0x2026);
}

// "Line 3: ..." of the file chosen, "Line 3 of room.txt: ..." of one it
// includes.
QString LineEntry(int lineNumber, const std::string& file, const std::string& text, const QString& why) {
    if (!file.empty())
        return T("Line %1 of %2: %3 (%4)")
            .arg(lineNumber)
            .arg(QString::fromStdString(file), Quoted(text), why);
    return T("Line %1: %2 (%3)").arg(lineNumber).arg(Quoted(text), why);
}

QString NoteText(const analysis::SkippedFilter& s) {
    using analysis::CommandNote;
    const QString path = QString::fromStdString(s.includePath);
    switch (s.note) {
    case CommandNote::Config:
        return T("a configuration line; the box has nothing for it");
    case CommandNote::IncludeNotFollowed:
        return T("the included file was not read: %1").arg(path);
    case CommandNote::IncludeMissing:
        return T("the included file is missing: %1").arg(path);
    case CommandNote::IncludeUnreadable:
        return T("the included file cannot be read: %1").arg(path);
    case CommandNote::IncludeNotText:
        return T("the included file is not text: %1").arg(path);
    case CommandNote::IncludeTooLarge:
        return T("the included file is too large for a filter set: %1").arg(path);
    case CommandNote::IncludeLoop:
        return T("the file includes itself: %1").arg(path);
    case CommandNote::IncludeTooDeep:
        return T("more than %1 levels of included files").arg(analysis::kMaxIncludeDepth);
    case CommandNote::IncludeTooMany:
        return T("more than %1 included files").arg(analysis::kMaxIncludedFiles);
    case CommandNote::IncludeAbsolute:
        return T("a path on the computer that wrote the file; put the file beside this one and include it by "
                 "name: %1")
            .arg(path);
    }
    return {};
}

bool IsIncludeNote(analysis::CommandNote note) {
    return note != analysis::CommandNote::Config;
}

// A heading and its entries, of which only the first few are shown.
QString List(const QString& heading, const QStringList& entries) {
    if (entries.isEmpty()) return {};
    QStringList shown = entries.mid(0, kListedLines);
    if (entries.size() > kListedLines) shown << T("... and %1 more").arg(entries.size() - kListedLines);
    return "\n\n" + heading + "\n" + shown.join('\n');
}

QString SkipReasonText(const analysis::SkippedFilter& s) {
    switch (s.reason) {
    case analysis::SkipReason::Off:
        return T("switched off in the file");
    case analysis::SkipReason::NotImportable:
        return T("the box has no such filter");
    case analysis::SkipReason::ExtraCrossover:
        return T("the box has one high-pass and one low-pass; the first one was used");
    case analysis::SkipReason::NoCloseCrossover:
        return T("no crossover type of the box comes close to it (%1 dB apart)").arg(Number(s.rmsDb));
    case analysis::SkipReason::NotFollowed:
        return NoteText(s);
    }
    return {};
}

QString SkippedList(const FilterImportPlan& plan) {
    QStringList entries;
    for (const analysis::SkippedFilter& s : plan.skipped)
        entries << LineEntry(s.lineNumber, s.file, s.text, SkipReasonText(s));
    return List(T("Not imported:"), entries);
}

QString ClampedValueText(const analysis::ClampedValue& v) {
    switch (v.field) {
    case analysis::ClampedField::Frequency:
        return T("frequency %1 Hz held as %2 Hz").arg(Number(v.asked), Number(v.held));
    case analysis::ClampedField::Gain:
        return T("gain %1 dB held as %2 dB").arg(Number(v.asked), Number(v.held));
    case analysis::ClampedField::Q:
        return T("Q %1 held as %2").arg(Number(v.asked), Number(v.held));
    }
    return {};
}

QString ClampedList(const FilterImportPlan& plan) {
    QStringList entries;
    for (const analysis::ClampedFilter& c : plan.clamped) {
        QStringList values;
        for (const analysis::ClampedValue& v : c.values) values << ClampedValueText(v);
        entries << LineEntry(c.lineNumber, {}, c.text, values.join(", "));
    }
    return List(T("Changed to what the box can hold:"), entries);
}

QString ApproximatedKind(analysis::FilterKind kind) {
    switch (kind) {
    case analysis::FilterKind::LowShelf:
        return T("a low shelf");
    case analysis::FilterKind::HighShelf:
        return T("a high shelf");
    default:
        return T("a graphic EQ curve");
    }
}

// The shelves and curves bands stand in for, with how many each took.
QString ApproximatedList(const FilterImportPlan& plan) {
    const analysis::Approximation& a = plan.approximation;
    QStringList entries;
    for (const analysis::ApproximatedFilter& f : a.lines) {
        const QString kind = ApproximatedKind(f.kind);
        entries << LineEntry(f.lineNumber, f.file, f.text,
                             f.bandCount == 1 ? T("%1, approximated by 1 band").arg(kind)
                                              : T("%1, approximated by %2 bands").arg(kind).arg(f.bandCount));
    }
    const QString heading = a.rms ? T("The box has no shelf or graphic EQ filter; bands fitted to the file's "
                                      "curve stand in, within %1 dB RMS of it:")
                                  : T("The box has no shelf or graphic EQ filter; bands fitted to the file's "
                                      "curve stand in, within %1 dB of it:");
    return List(heading.arg(QString::number(a.deviationDb, 'f', 2)), entries);
}

QString CrossoverLine(const QString& pass, const analysis::CrossoverChoice& c) {
    return pass.arg(c.lineNumber)
        .arg(QString::fromLatin1(CrossoverTypeLabel(c.typeField)),
             QString::fromLatin1(SlopeLabel(c.slopeIndex)))
        .arg(c.freq);
}

QString ProblemText(analysis::LineProblem problem) {
    using analysis::LineProblem;
    switch (problem) {
    case LineProblem::None:
        break;
    case LineProblem::NotAFilterLine:
        return T("not a filter line, after the filter lines began");
    case LineProblem::NoColon:
        return T("a filter line without the colon after its number");
    case LineProblem::NoOnOff:
        return T("ON or OFF is missing after the filter's number");
    case LineProblem::MissingValue:
        return T("a value the filter needs is missing");
    case LineProblem::UnknownField:
        return T("a field this kind of filter does not have");
    case LineProblem::BadNumber:
        return T("a number that cannot be read");
    case LineProblem::BadPreamp:
        return T("the preamp is not a number of dB");
    case LineProblem::BadChannel:
        return T("the Channel: line names no channel");
    }
    return {};
}

// The file named, what to do, and that nothing changed; a file in another
// encoding than UTF-8 says so.
QString Closing(const analysis::FilterSet& set, const QString& path, const QString& whatToDo) {
    QString text = "\n\n" + T("File: %1").arg(path);
    if (!set.encoding.empty() && set.encoding != "UTF-8")
        text += "\n" + T("It was read as %1 text.").arg(QString::fromStdString(set.encoding));
    return text + "\n\n" + whatToDo + " " + T("Nothing was changed.");
}

}  // namespace

QString FilterFileRefusal(const analysis::FilterSet& set, const QString& path) {
    using analysis::ReadStatus;
    const QString exportAgain = T("Export the filters from the measurement program again, as text.");
    switch (set.status) {
    case ReadStatus::Ok:
        return {};
    case ReadStatus::Empty:
        return T("The file is empty:\n%1").arg(path) + "\n\n" + exportAgain + " " + T("Nothing was changed.");
    case ReadStatus::TooLarge:
        return T("The file is too large for a filter set:\n%1").arg(path) + "\n\n" +
               T("A filter set is a small text file: choose the one the measurement program exported.") +
               " " + T("Nothing was changed.");
    case ReadStatus::NotText:
        return T("The file is not text but binary data:\n%1").arg(path) + "\n\n" + exportAgain + " " +
               T("Nothing was changed.");
    case ReadStatus::NotAFilterSet:
        return T("The file holds no filters. The first line that is not a filter:") + "\n" +
               T("Line %1: %2").arg(set.errorLine).arg(Quoted(set.errorText)) +
               Closing(set, path,
                       T("Choose REW filter settings, an Equalizer APO configuration or an AutoEQ "
                         "ParametricEQ.txt."));
    case ReadStatus::BadLine:
        break;
    }
    return T("The file is not a filter set that can be read. The first line that could not be read:") + "\n" +
           LineEntry(set.errorLine, set.errorFile, set.errorText, ProblemText(set.problem)) +
           Closing(set, path, T("Correct that line in a text editor, or export the filters again."));
}

QString TooManyFiltersText(const FilterImportPlan& plan, const QString& path) {
    return T("The file has %1 peaking filters, but a channel has only %2 bands. Nothing was changed.")
               .arg(plan.peakingCount)
               .arg(kBandCount) +
           "\n\n" + T("File: %1").arg(path) + "\n\n" +
           T("Switch off or remove the filters that matter least in the measurement program and export "
             "again.");
}

QString NothingImportedText(const FilterImportPlan& plan, const QString& path) {
    bool onlyIncludes = !plan.skipped.empty();
    for (const analysis::SkippedFilter& s : plan.skipped)
        onlyIncludes = onlyIncludes && s.reason == analysis::SkipReason::NotFollowed && IsIncludeNote(s.note);
    if (onlyIncludes)
        return T("The file's filters are in the files it includes, and none of them could be read. Nothing "
                 "was changed.") +
               "\n\n" + T("File: %1").arg(path) + SkippedList(plan);
    return T("The file holds no filter the box can take. Nothing was changed.") + "\n\n" +
           T("File: %1").arg(path) + SkippedList(plan);
}

QString ExportedText(const QString& path, int filterCount, bool rew) {
    QString text = T("Filters exported:\n%1").arg(path);
    if (rew && filterCount > static_cast<int>(analysis::kRewGenericFilters))
        text += "\n\n" + T("The file has %1 filters; REW up to V5.19 holds %2 in its Generic equaliser and "
                           "leaves the rest out.")
                             .arg(filterCount)
                             .arg(analysis::kRewGenericFilters);
    return text;
}

QString CannotApproximateText(const FilterImportPlan& plan, const QString& path) {
    const analysis::Approximation& a = plan.approximation;
    QStringList entries;
    for (const analysis::ApproximatedFilter& f : a.lines) {
        if (f.lineNumber != a.noFilterLine) {
            entries << LineEntry(f.lineNumber, f.file, f.text, ApproximatedKind(f.kind));
            continue;
        }
        const QString why =
            T("The shelf on line %1 describes no filter: a shelf needs Fc, a gain and a "
              "positive Q or a slope its gain allows.");
        return why.arg(f.lineNumber) + "\n" + Quoted(f.text) + "\n\n" + T("File: %1").arg(path) + "\n\n" +
               T("Nothing was changed.");
    }
    const QString within = Number(analysis::kApproximationToleranceDb) + (a.rms ? " RMS" : "");
    const QString heading = T("Bands the peaking filters leave free: %1, too few to follow these shelves and "
                              "curves within %2 dB (the closest came to %3 dB):")
                                .arg(a.freeBands)
                                .arg(within, QString::number(a.deviationDb, 'f', 2));
    // List() starts with the blank line that parts it from a text before it.
    return (List(heading, entries) + "\n\n" + T("File: %1").arg(path) + "\n\n" +
            T("Remove filters from the file or import it in parts.") + " " + T("Nothing was changed."))
        .mid(2);
}

QString PreampQuestion(double preampDb, const QString& channel) {
    return T("The file sets a preamp of %1 dB. Change the level of %2 by it (in whole dB)?")
        .arg(Number(preampDb), channel);
}

QString ImportReport(const FilterImportPlan& plan, const ImportFacts& facts) {
    QStringList lines;
    int bands = plan.peakingCount;
    for (const analysis::ApproximatedFilter& f : plan.approximation.lines) bands += f.bandCount;
    lines << T("Bands imported into %1: %2. The other bands are flat.").arg(facts.channel).arg(bands);
    if (!facts.linked.isEmpty()) lines << T("Linked channels follow: %1.").arg(facts.linked.join(", "));
    if (plan.highPass) lines << CrossoverLine(T("High-pass (line %1): %2, %3, %4 Hz"), *plan.highPass);
    if (plan.lowPass) lines << CrossoverLine(T("Low-pass (line %1): %2, %3, %4 Hz"), *plan.lowPass);
    if (facts.preampDb != 0)
        lines << (plan.volume ? T("Preamp %1 dB: applied, the level changed by %2 dB.")
                                    .arg(Number(facts.preampDb))
                                    .arg(plan.levelChangeDb)
                              : T("Preamp %1 dB: not applied.").arg(Number(facts.preampDb)));
    return lines.join('\n') + ApproximatedList(plan) + SkippedList(plan) + ClampedList(plan);
}

}  // namespace caraudio::app
