#pragma once

#include <array>
#include <string_view>

namespace caraudio::analysis {

// The numbers on one data line of a measurement file: frequency, level and
// an optional phase. Fields are separated by semicolons, tabs, commas or
// runs of spaces. A comma is a decimal comma only where fields are separated
// by semicolons or tabs and every field reads that way; otherwise it
// separates fields.
struct MeasurementLine {
    enum class Status {
        Read,
        NotNumbers,  // a field is no number, or there are not 2 or 3 fields
        NotFinite,   // every field is a number, but one is NaN or infinite
    };
    Status status = Status::NotNumbers;
    int count = 0;
    std::array<double, 3> values{};
};
MeasurementLine ReadMeasurementLine(std::string_view line);

}  // namespace caraudio::analysis
