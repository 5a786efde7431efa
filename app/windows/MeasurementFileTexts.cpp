#include "MeasurementFileTexts.h"

#include "FileReadTexts.h"
#include "Target.h"
#include "Translation.h"

namespace caraudio::app {

namespace {

QString T(const char* text) {
    return Tr("measurement", text);
}

// A file's line as quoted in a message: long lines end in an ellipsis.
QString Quoted(const std::string& text) {
    constexpr int kLongest = 64;
    const QString line = QString::fromStdString(text).simplified();
    return line.size() <= kLongest ? line : line.left(kLongest - 1) + QChar(0x2026);
}

QString Reason(analysis::MeasurementStatus status) {
    using analysis::MeasurementStatus;
    switch (status) {
    case MeasurementStatus::Read:
        return {};
    case MeasurementStatus::TooLarge:
        return T("The file is too large for a measurement.");
    case MeasurementStatus::NotText:
        return T("The file is not text: its bytes fit no text encoding.");
    case MeasurementStatus::NoData:
        return T("The file holds no measured points.");
    case MeasurementStatus::NotNumbers:
        return T("The line is not a frequency and a level.");
    case MeasurementStatus::NotFinite:
        return T("The line holds a number that is not finite.");
    case MeasurementStatus::MixedDecimalMarks:
        return T(
            "The line's numbers have a decimal point where the file's numbers have decimal commas, or "
            "the reverse.");
    case MeasurementStatus::UnnamedColumns:
        return T("The line holds more than three numbers, and no header line names the columns.");
    case MeasurementStatus::NoSuchColumn:
        return T("The file has no such level column.");
    case MeasurementStatus::LevelOutOfRange:
        return T("The level is beyond what a measurement can hold.");
    case MeasurementStatus::NotPositiveFrequency:
        return T("The frequency is not above 0 Hz.");
    case MeasurementStatus::NotIncreasing:
        return T("The frequency is not above the one of the line before.");
    case MeasurementStatus::TooFewPoints:
        return T("The file holds a single point; a curve needs two.");
    case MeasurementStatus::TooManyPoints:
        return T("The file holds more points than a measurement can have.");
    }
    return {};
}

}  // namespace

QString MeasurementFileRefusal(const MeasurementFile& file, const QString& path) {
    if (file.access == MeasurementFile::Access::Missing) return T("The file is not there:\n%1").arg(path);
    if (file.access == MeasurementFile::Access::Unreadable)
        return T("The file could not be read:\n%1").arg(path) + "\n\n" + FileReadReason(file.source);
    if (file.Ok()) return {};
    const analysis::MeasurementRead& read = file.read;
    QString text = T("The file is not a measurement:\n%1\n\n%2").arg(path, Reason(read.status));
    if (read.line > 0) text += "\n" + T("Line %1: %2").arg(read.line).arg(Quoted(read.lineText));
    if (read.status == analysis::MeasurementStatus::NoSuchColumn) {
        QStringList names;
        for (int i = 0; i < static_cast<int>(read.source.columns.size()); ++i)
            names << LevelColumnName(read.source, i);
        text += "\n" + T("Its level columns: %1").arg(names.join(", "));
    }
    if (read.source.encoding != storage::TextEncoding::Utf8)
        text += "\n" + T("The file was read as %1.").arg(storage::EncodingName(read.source.encoding));
    return text + "\n\n" + T("Nothing was changed.");
}

QString LevelColumnName(const analysis::MeasurementSource& source, int index) {
    const std::string& name = source.columns[static_cast<size_t>(index)];
    return name.empty() ? T("Column %1").arg(index + 1) : QString::fromStdString(name);
}

QStringList ReadingNotes(const analysis::MeasurementSource& source, bool target) {
    QStringList notes;
    const QString encoding = storage::EncodingName(source.encoding);
    if (source.encoding != storage::TextEncoding::Utf8)
        notes << (target ? T("The target file was read as %1.") : T("The measurement file was read as %1."))
                     .arg(encoding);
    if (source.endLine > 0)
        notes << (target ? T("The target's data end at line %1 (%2); the lines from there on are not read.")
                         : T("The measurement's data end at line %1 (%2); the lines from there on are not "
                             "read."))
                     .arg(source.endLine)
                     .arg(Quoted(source.endText));
    return notes;
}

QString MeasurementFilesNotRead(const QStringList& entries) {
    return T("These measurement files could not be read. Their settings are kept and work again once "
             "the files are back:\n%1")
        .arg(entries.join('\n'));
}

QString MeasuredWithSettingsLost(const QString& channel, const QString& key) {
    return T("config.ini has no readable [Measurement] %1 line, the settings %2's measurement was taken "
             "through: the measurement is kept and taken as measured flat. Choose \"Measured with\" in the "
             "measurement panel again; the channel's settings then count as those it was taken through.")
        .arg(key, channel);
}

QString ReferenceRangeRefusal() {
    return T("The reference range runs from a lower to a higher frequency, both within 20 to 20000 Hz.");
}

QString HouseCurveRefusal() {
    return T("The house curve takes a bass lift of %1 to %2 dB at %3 to %4 Hz, and a treble tilt of %5 to "
             "%6 dB per decade from %7 to %8 Hz.")
        .arg(-analysis::kMaxHouseBassDb)
        .arg(analysis::kMaxHouseBassDb)
        .arg(analysis::kMinHouseBassHz)
        .arg(analysis::kMaxHouseBassHz)
        .arg(-analysis::kMaxHouseTiltDbPerDecade)
        .arg(analysis::kMaxHouseTiltDbPerDecade)
        .arg(analysis::kMinHouseTiltFromHz)
        .arg(analysis::kMaxHouseTiltFromHz);
}

}  // namespace caraudio::app
