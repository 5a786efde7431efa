#pragma once

#include <QString>
#include <QStringList>

#include "FilterImportPlan.h"
#include "FilterSet.h"

namespace caraudio::app {

// What the user is told about a filter file, in the active language.

// Why a file was refused: the file, its first unreadable line with number,
// text and why, and what to do.
QString FilterFileRefusal(const analysis::FilterSet& set, const QString& path);

// More peaking filters than bands, or nothing the box can hold, for the
// file at `path`.
QString TooManyFiltersText(const analysis::FilterImportPlan& plan, const QString& path);
QString NothingImportedText(const analysis::FilterImportPlan& plan, const QString& path);
// Shelves or curves the free bands cannot follow, or a shelf that is no filter.
QString CannotApproximateText(const analysis::FilterImportPlan& plan, const QString& path);

// An export written; a REW file with more filters than REW's Generic
// equaliser holds says so.
QString ExportedText(const QString& path, int filterCount, bool rew);

// What an applied import did to the channel.
struct ImportFacts {
    QString channel;      // "CH2"
    QStringList linked;   // the other channels of its link group
    double preampDb = 0;  // 0: the file sets none
};
QString ImportReport(const analysis::FilterImportPlan& plan, const ImportFacts& facts);

// The question whether a file's preamp changes the channel level.
QString PreampQuestion(double preampDb, const QString& channel);

// Each list of lines shows this many at most; the rest are counted.
inline constexpr int kListedLines = 6;

}  // namespace caraudio::app
