#pragma once

#include <cstdio>
#include <string>

#include "Measurement.h"

namespace caraudio::cli {

// A measurement or target file read whole, the curve the choice names taken
// from it; says why not on err, naming the file, the line and its encoding.
bool ReadMeasurementFile(const std::string& path, const analysis::ColumnChoice& choice,
                         analysis::Measurement& m, analysis::MeasurementSource& source, std::FILE* err);

// " (column 3 of 10: smoothed)" for a file of several curves, else empty.
std::string ColumnText(const analysis::MeasurementSource& source);

// "* Note: ..." lines: a file read in another encoding than UTF-8, and data
// that end before the file does.
void PrintReadingNotes(const std::string& path, const analysis::MeasurementSource& source, std::FILE* out);

}  // namespace caraudio::cli
