#pragma once

#include <optional>
#include <string_view>

namespace caraudio::analysis {

// A field that is one finite number and nothing else ("+1.5", "-3e2", ".5"),
// read without the locale. With `decimalComma` a single comma stands for the
// decimal point, but only in a field without a point ("68,42" but never
// "1.000,5"). Text, NaN, infinities and numbers too large for a double give
// nothing; `notFinite` tells those last three apart from text.
struct FieldNumber {
    std::optional<double> value;
    bool notFinite = false;
};
FieldNumber ReadFieldNumber(std::string_view field, bool decimalComma = false);

// The common case alone, for readers of large files: a plain decimal with a
// point and up to 15 digits, no plus sign ("-12.345", "2e1"). Nothing for
// anything else, which ReadFieldNumber then reads.
std::optional<double> ReadPlainDecimal(std::string_view field);

}  // namespace caraudio::analysis
