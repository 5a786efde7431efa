#pragma once

#include <QString>
#include <QStringList>

#include "FilterImportPlan.h"
#include "FilterSet.h"

namespace caraudio::app {

// What the user is told about a filter file, in the active language.

// Why a file was refused: its first unreadable line with number and text.
QString FilterFileRefusal(const analysis::FilterSet& set, const QString& path);

// More peaking filters than bands, or nothing the box can hold.
QString TooManyFiltersText(const analysis::FilterImportPlan& plan);
QString NothingImportedText(const analysis::FilterImportPlan& plan);
// Shelves or curves the free bands cannot follow, or a shelf that is no filter.
QString CannotApproximateText(const analysis::FilterImportPlan& plan);

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
