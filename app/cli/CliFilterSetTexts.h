#pragma once

#include <string>
#include <string_view>

#include "FilterImportPlan.h"
#include "FilterSet.h"

namespace caraudio::cli {

// What eq-import says about a filter file's lines, in English.

// A line of the file as it can go to a terminal: bytes that are not UTF-8
// become '?'.
std::string Printable(std::string_view text);

// Why a line could not be read.
const char* ProblemText(analysis::LineProblem problem);

// "line 3", or "line 3 of room.txt" in a file the one named includes.
std::string LineName(int line, const std::string& file);

// " (read as UTF-16 text)" for a file in another encoding than UTF-8.
std::string ReadAs(const analysis::FilterSet& set);

// " (REW filter settings)", ... after the file's name.
const char* FormatName(analysis::FilterSetFormat format);

// Why a line was not imported.
std::string SkipReasonText(const analysis::SkippedFilter& s);

}  // namespace caraudio::cli
