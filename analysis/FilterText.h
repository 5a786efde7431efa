#pragma once

#include <string_view>
#include <vector>

namespace caraudio::analysis {

struct TextLine {
    int number = 0;  // 1-based
    std::string_view text;
};

// Splits text into lines after dropping a UTF-8 byte-order mark; CR LF, LF
// and a lone CR each end a line. False when there are more than maxLines.
bool SplitLines(std::string_view bytes, std::size_t maxLines, std::vector<TextLine>& lines);

// Fields separated by any run of spaces and tabs.
std::vector<std::string_view> SplitFields(std::string_view line);

std::string_view TrimBlanks(std::string_view text);
bool SameWord(std::string_view a, std::string_view b);  // ASCII, without case

// Numbers as filter-set files write them, read without the locale. A comma
// is a decimal comma unless it groups thousands: in a frequency, "3,155" is
// 3155 Hz; where the file writes decimal commas, "3.155" in a frequency is
// 3155 Hz too. With both marks, the last one is the decimal mark. A unit
// glued to the number ("50Hz") is accepted when it is the expected one.
enum class NumberRole { Frequency, Other };
struct NumberStyle {
    bool decimalComma = false;  // the file writes decimal commas elsewhere
};
bool ReadFileNumber(std::string_view token, std::string_view unit, NumberRole role, NumberStyle style,
                    double& value);

// Whether a value token can only be read with a decimal comma, which tells
// how the rest of the file writes its numbers.
bool ShowsDecimalComma(std::string_view token, std::string_view unit, NumberRole role);

}  // namespace caraudio::analysis
