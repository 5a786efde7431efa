#include "FilterFileTexts.h"

#include <cmath>

#include "CurveApproximation.h"
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

QString LineEntry(int lineNumber, const std::string& text, const QString& why) {
    return T("Line %1: %2 (%3)").arg(lineNumber).arg(Quoted(text), why);
}

// A heading and its entries, of which only the first few are shown.
QString List(const QString& heading, const QStringList& entries) {
    if (entries.isEmpty()) return {};
    QStringList shown = entries.mid(0, kListedLines);
    if (entries.size() > kListedLines) shown << T("... and %1 more").arg(entries.size() - kListedLines);
    return "\n\n" + heading + "\n" + shown.join('\n');
}

QString SkipReasonText(analysis::SkipReason reason) {
    switch (reason) {
    case analysis::SkipReason::Off:
        return T("switched off in the file");
    case analysis::SkipReason::NotImportable:
        return T("the box has no such filter");
    case analysis::SkipReason::ExtraCrossover:
        return T("the box has one high-pass and one low-pass; the first one was used");
    }
    return {};
}

QString SkippedList(const FilterImportPlan& plan) {
    QStringList entries;
    for (const analysis::SkippedFilter& s : plan.skipped)
        entries << LineEntry(s.lineNumber, s.text, SkipReasonText(s.reason));
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
        entries << LineEntry(c.lineNumber, c.text, values.join(", "));
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
        entries << LineEntry(f.lineNumber, f.text,
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

}  // namespace

QString FilterFileRefusal(const analysis::FilterSet& set, const QString& path) {
    using analysis::ReadStatus;
    switch (set.status) {
    case ReadStatus::Ok:
        return {};
    case ReadStatus::Empty:
        return T("The file is empty:\n%1").arg(path);
    case ReadStatus::TooLarge:
        return T("The file is too large for a filter set:\n%1").arg(path);
    case ReadStatus::NotAFilterSet:
    case ReadStatus::BadLine:
        break;
    }
    const QString first = set.status == ReadStatus::NotAFilterSet
                              ? T("The file holds no filters. The first line that is not a filter:")
                              : T("The file is not a filter set that can be read. The first line that "
                                  "could not be read:");
    return first + "\n" + T("Line %1: %2").arg(set.errorLine).arg(Quoted(set.errorText)) + "\n\n" +
           T("Nothing was changed.");
}

QString TooManyFiltersText(const FilterImportPlan& plan) {
    return T("The file has %1 peaking filters, but a channel has only %2 bands. Nothing was changed.")
        .arg(plan.peakingCount)
        .arg(kBandCount);
}

QString NothingImportedText(const FilterImportPlan& plan) {
    return T("The file holds no filter the box can take. Nothing was changed.") + SkippedList(plan);
}

QString CannotApproximateText(const FilterImportPlan& plan) {
    const analysis::Approximation& a = plan.approximation;
    QStringList entries;
    for (const analysis::ApproximatedFilter& f : a.lines) {
        if (f.lineNumber != a.noFilterLine) {
            entries << LineEntry(f.lineNumber, f.text, ApproximatedKind(f.kind));
            continue;
        }
        const QString why =
            T("The shelf on line %1 describes no filter: a shelf needs Fc, a gain and a "
              "positive Q or a slope its gain allows.");
        return why.arg(f.lineNumber) + "\n" + Quoted(f.text) + "\n\n" + T("Nothing was changed.");
    }
    const QString within = Number(analysis::kApproximationToleranceDb) + (a.rms ? " RMS" : "");
    const QString heading = T("Bands the peaking filters leave free: %1, too few to follow these shelves and "
                              "curves within %2 dB (the closest came to %3 dB):")
                                .arg(a.freeBands)
                                .arg(within, QString::number(a.deviationDb, 'f', 2));
    // List() starts with the blank line that parts it from a text before it.
    return (List(heading, entries) + "\n\n" + T("Remove filters from the file or import it in parts.") + " " +
            T("Nothing was changed."))
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
