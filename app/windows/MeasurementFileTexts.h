#pragma once

#include <QString>
#include <QStringList>

#include "ChannelMeasurements.h"

namespace caraudio::app {

// What the user is told about measurement and target files, in the active
// language.

// Why a file chosen in the measurement dialog was not taken: it could not
// be read, or the line at fault with its number, its text and the reason.
// Empty when the file was read.
QString MeasurementFileRefusal(const MeasurementFile& file, const QString& path);

// A level column as the panel lists it: the header's name, else "Column 2".
QString LevelColumnName(const analysis::MeasurementSource& source, int index);

// What the panel says of how a file was read: an encoding other than UTF-8,
// data that end before the file does.
QStringList ReadingNotes(const analysis::MeasurementSource& source, bool target);

// The files of the settings that could not be read at start ("CH2: path"
// lines); their settings are kept.
QString MeasurementFilesNotRead(const QStringList& entries);

// What a measurement was taken through could not be read back from
// config.ini (the channel's line `key`, missing or damaged): the
// measurement is kept and taken as measured flat.
QString MeasuredWithSettingsLost(const QString& channel, const QString& key);

// Why a typed reference range or house curve was not taken.
QString ReferenceRangeRefusal();
QString HouseCurveRefusal();

}  // namespace caraudio::app
