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

// Numbers as filter-set files write them, read without the locale. A file
// writes either a decimal point or a decimal comma; the other mark, and a
// no-break space (U+00A0, U+202F), group thousands. The file's mark decides
// a lone mark before three digits in a frequency ("8.000" is 8000 Hz in a
// file of decimal commas); while it is not known, a comma there groups
// thousands ("3,155" Hz) and a dot is a decimal point. Every other shape
// reads one way. A unit glued to the number ("50Hz") is accepted when it is
// the expected one.
enum class NumberRole { Frequency, Other };
struct NumberStyle {
    char decimalMark = '\0';  // '.' or ','; '\0' while the file has not shown it
};
bool ReadFileNumber(std::string_view token, std::string_view unit, NumberRole role, NumberStyle style,
                    double& value);

// What a value token tells of the file's decimal mark: Point or Comma when
// it can only be read with that one; None for a token without marks, one
// that is not a number, or a frequency whose lone mark may group thousands
// ("8.000"). Gains, Q and bandwidths never group thousands, so a mark in
// them is decimal.
enum class MarkShown { None, Point, Comma };
MarkShown DecimalMarkShown(std::string_view token, std::string_view unit, NumberRole role);

}  // namespace caraudio::analysis
