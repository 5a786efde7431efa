#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
    NoData,                // nothing but comments, headers and blank lines; `line` is the first header
    NotNumbers,            // a line that is neither data nor a comment
    NotFinite,             // NaN or an infinity on a data line
    LevelOutOfRange,       // a level beyond +-kMaxMeasurementLevelDb
    NotPositiveFrequency,  // a frequency of 0 Hz or below
    NotIncreasing,         // a frequency not above the one before it
    TooFewPoints,          // a single point
    TooManyPoints,         // more points than the limit
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
};

// A measurement as exported by measurement programs (text export) or as an
// FRD file: lines of frequency in Hz, level in dB and optionally phase in
// degrees. Comment lines start with `*`, `"` or `#` and may come anywhere;
// before the first point, a line that starts with a letter is a column
// header and is skipped too. Accepts a UTF-8 byte-order mark and LF, CRLF or CR line ends.
MeasurementRead ReadMeasurement(std::string_view bytes, const MeasurementLimits& limits = {});

}  // namespace caraudio::analysis
