#include "CliMeasurementFile.h"

#include "CliFiles.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

const char* StatusText(MeasurementStatus s) {
    switch (s) {
    case MeasurementStatus::Read:
        return "read";
    case MeasurementStatus::TooLarge:
        return "the file is too large for a measurement";
    case MeasurementStatus::NotText:
        return "not a text file: its bytes fit no text encoding";
    case MeasurementStatus::NoData:
        return "no measured points: not a measurement file";
    case MeasurementStatus::NotNumbers:
        return "a line that is neither a measured point nor a comment";
    case MeasurementStatus::NotFinite:
        return "a level or frequency that is not a number";
    case MeasurementStatus::MixedDecimalMarks:
        return "a number with a decimal point where the file's numbers have decimal commas, or the reverse";
    case MeasurementStatus::UnnamedColumns:
        return "more than three numbers a line and no header line naming the columns";
    case MeasurementStatus::NoSuchColumn:
        return "no such column";
    case MeasurementStatus::LevelOutOfRange:
        return "a level far outside any measurement";
    case MeasurementStatus::NotPositiveFrequency:
        return "a frequency of 0 Hz or below";
    case MeasurementStatus::NotIncreasing:
        return "frequencies must increase from line to line";
    case MeasurementStatus::TooFewPoints:
        return "a single point is not a measurement";
    case MeasurementStatus::TooManyPoints:
        return "more points than any measurement has";
    }
    return "not readable";
}

// "1 raw, 2 error, 3 smoothed"; a column the header does not name is its number alone.
std::string ColumnList(const MeasurementSource& source) {
    std::string list;
    for (size_t i = 0; i < source.columns.size(); ++i) {
        if (i > 0) list += ", ";
        list += std::to_string(i + 1);
        if (!source.columns[i].empty()) list += " " + source.columns[i];
    }
    return list;
}

void PrintRefusal(const std::string& path, const MeasurementRead& read, const ColumnChoice& choice,
                  std::FILE* err) {
    std::string file = path;
    if (read.source.encoding != storage::TextEncoding::Utf8)
        file += std::string(" (read as ") + storage::EncodingName(read.source.encoding) + ")";
    if (read.status == MeasurementStatus::NoSuchColumn) {
        std::fprintf(err,
                     "caraudio-cli: %s has no level column '%s'; its level columns are %s (--column takes a "
                     "name or a number).\n",
                     file.c_str(), choice.column.c_str(), ColumnList(read.source).c_str());
    } else if (read.line > 0) {
        std::fprintf(err, "caraudio-cli: %s: %s (line %d: %s).\n", file.c_str(), StatusText(read.status),
                     read.line, read.lineText.c_str());
    } else {
        std::fprintf(err, "caraudio-cli: %s: %s.\n", file.c_str(), StatusText(read.status));
    }
}

}  // namespace

bool ReadMeasurementFile(const std::string& path, const ColumnChoice& choice, Measurement& m,
                         MeasurementSource& source, std::FILE* err) {
    const MeasurementLimits limits;
    std::string bytes, why;
    switch (ReadFileUpTo(path, limits.bytes, bytes, why)) {
    case FileRead::CannotRead:
        std::fprintf(err, "caraudio-cli: %s.\n", why.c_str());
        return false;
    case FileRead::TooLarge:
        std::fprintf(err, "caraudio-cli: %s: %s.\n", path.c_str(), StatusText(MeasurementStatus::TooLarge));
        return false;
    case FileRead::Read:
        break;
    }
    MeasurementRead read = ReadMeasurement(bytes, limits, choice);
    if (read.status != MeasurementStatus::Read) {
        PrintRefusal(path, read, choice, err);
        return false;
    }
    m = std::move(read.measurement);
    source = std::move(read.source);
    return true;
}

std::string ColumnText(const MeasurementSource& source) {
    if (source.columns.size() < 2) return {};
    const std::string& name = source.columns[static_cast<size_t>(source.column)];
    return " (column " + std::to_string(source.column + 1) + " of " + std::to_string(source.columns.size()) +
           (name.empty() ? "" : ": " + name) + ")";
}

void PrintReadingNotes(const std::string& path, const MeasurementSource& source, std::FILE* out) {
    if (source.encoding != storage::TextEncoding::Utf8)
        std::fprintf(out, "* Note: %s was read as %s\n", path.c_str(),
                     storage::EncodingName(source.encoding));
    if (source.endLine > 0)
        std::fprintf(out,
                     "* Note: the data of %s end at line %d; it and the lines after it are not read: %s\n",
                     path.c_str(), source.endLine, source.endText.c_str());
}

}  // namespace caraudio::cli
