#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "TextDecoding.h"

namespace caraudio::analysis {

// One point of a frequency response measurement.
struct MeasuredPoint {
    double hz = 0;
    double db = 0;
    double phaseDegrees = 0;  // NaN when the file gives none
};

// Points in strictly increasing frequency, at least two, all finite, every
// frequency above 0, every level within +-kMaxMeasurementLevelDb.
struct Measurement {
    std::vector<MeasuredPoint> points;
    bool hasPhase = false;  // every point came with a phase
};

enum class MeasurementStatus {
    Read,
    TooLarge,              // more bytes than the limit
    NotText,               // bytes of no text encoding: a binary file
    NoData,                // nothing but comments, headers and blank lines; `line` is the first header
    NotNumbers,            // a line that is neither data nor a comment
    NotFinite,             // NaN or an infinity in the curve read
    MixedDecimalMarks,     // a decimal point where the file's numbers have decimal commas, or the reverse
    UnnamedColumns,        // more than three numbers a line, and no header naming the columns
    NoSuchColumn,          // the column asked for is not in the file; `source.columns` has those there are
    LevelOutOfRange,       // a level beyond +-kMaxMeasurementLevelDb
    NotPositiveFrequency,  // a frequency of 0 Hz or below
    NotIncreasing,         // a frequency not above the one before it
    TooFewPoints,          // a single point
    TooManyPoints,         // more points than the limit
};

// What the curve read is for: the automatic choice of a column differs.
enum class CurveRole { Measured, Target };

// Which curve to read from a file that holds several.
struct ColumnChoice {
    // A level column's name as the header writes it (in any case), or its
    // number among the level columns from 1 (frequency and phase columns are
    // not counted). Empty: the column named "raw" (for a target, "target"),
    // else the first.
    std::string column;
    CurveRole role = CurveRole::Measured;
};

// What reading found besides the points.
struct MeasurementSource {
    storage::TextEncoding encoding = storage::TextEncoding::Utf8;
    // The file's level columns by the header's names; one empty name for a
    // file whose header names none.
    std::vector<std::string> columns;
    int column = 0;  // the one read, an index into `columns`
    // Where the data stopped before the file did: the first line after them
    // that is no point (a summary, "End of data"). It and the lines after it
    // are not read. 0 when the data run to the end.
    int endLine = 0;
    std::string endText;
};

// What a file may hold: far more than any measuring program writes, and
// little enough to keep a wrong file from filling the memory.
struct MeasurementLimits {
    size_t bytes = size_t{64} << 20;
    size_t points = 3'000'000;
};
// Far beyond any real level; keeps sums of levels exact enough.
inline constexpr double kMaxMeasurementLevelDb = 1000;

// What reading gave: the measurement, or why not and where. `line` is the
// 1-based number of the offending line (0 when no single line is at fault),
// `lineText` that line without its line end, cut to a readable length.
struct MeasurementRead {
    MeasurementStatus status = MeasurementStatus::NoData;
    int line = 0;
    std::string lineText;
    Measurement measurement;
    MeasurementSource source;
};

// A measurement as exported by measurement programs (text export, CSV) or as
// an FRD file: lines of frequency in Hz, level in dB and optionally phase in
// degrees, or several such curves side by side under a header naming them.
// Text in UTF-8, UTF-16 or UTF-32 with a byte-order mark, UTF-16 without one
// where the text shows it, or an 8-bit code page (Windows-1252); LF, CRLF or
// CR line ends. Comment lines start with `*`, `"` or `#` and may come
// anywhere; before the first point, a line that starts with a letter is a
// column header and is skipped too. The file's first data line decides how
// fields are separated, its first number with a decimal mark which mark the
// numbers use. The data end at the first line that is no point when no
// point follows it (summary lines), said in `source`.
MeasurementRead ReadMeasurement(std::string_view bytes, const MeasurementLimits& limits = {},
                                const ColumnChoice& choice = {});

}  // namespace caraudio::analysis
