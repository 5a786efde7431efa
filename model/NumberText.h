#pragma once

#include <string>
#include <string_view>

namespace caraudio {

// Spaces, tabs, carriage returns and line feeds removed at both ends.
std::string_view TrimText(std::string_view text);

// The number at the start of trimmed text: optional sign, digits, decimal
// point, exponent. Anything after it is ignored; no number reads as 0. Read
// without the locale, and limited to a range far beyond any parameter so no
// caller sees an infinity.
double ReadLeadingNumber(std::string_view text);

// Fixed-point text with the given decimals ("%0.<n>f"), never localised.
std::string FormatFixed(double value, int decimals);

// Decimal integer text ("%d").
std::string FormatInt(long long value);

// Truncation toward zero of a value already limited to a small range.
int TruncToInt(double value);

}  // namespace caraudio
