#include "FilterText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace caraudio::analysis {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Longer number tokens are not numbers any file writes.
constexpr std::size_t kMaxNumberLength = 40;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A no-break space between digit groups, as UTF-8 (U+00A0, U+202F).
constexpr std::string_view kGroupSpaces[] = {"\xC2\xA0", "\xE2\x80\xAF"};
// Where a token's no-break spaces stand once each is one character.
constexpr char kSpaceMark = '_';

// The number part of a token and where its marks are.
struct NumberShape {
    bool negative = false;
    std::string body;  // digits, '.', ',' and kSpaceMark
    int commas = 0, dots = 0, spaces = 0;
    std::size_t lastComma = std::string::npos, lastDot = std::string::npos;
};

bool Shape(std::string_view token, std::string_view unit, NumberShape& s) {
    if (unit.size() < token.size() && SameWord(token.substr(token.size() - unit.size()), unit))
        token.remove_suffix(unit.size());
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        s.negative = token[0] == '-';
        token.remove_prefix(1);
    }
    if (token.empty() || token.size() > kMaxNumberLength) return false;
    bool digit = false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        bool space = false;
        for (std::string_view mark : kGroupSpaces) {
            if (token.substr(i, mark.size()) == mark) {
                i += mark.size() - 1;
                space = true;
            }
        }
        if (space) {
            ++s.spaces;
            s.body += kSpaceMark;
            continue;
        }
        if (IsDigit(c)) {
            digit = true;
        } else if (c == ',') {
            ++s.commas;
            s.lastComma = s.body.size();
        } else if (c == '.') {
            ++s.dots;
            s.lastDot = s.body.size();
        } else {
            return false;
        }
        s.body += c;
    }
    return digit;
}

// Digits between the marks of `mark`, checked as thousands groups: one to
// three digits first (not a leading zero: "0,400" groups nothing), then
// groups of exactly three.
bool ValidGroups(std::string_view digits, char mark) {
    std::size_t start = 0;
    bool first = true;
    while (true) {
        const std::size_t end = digits.find(mark, start);
        const std::size_t len = (end == std::string_view::npos ? digits.size() : end) - start;
        if (first ? (len < 1 || len > 3 || (digits[start] == '0' && end != std::string_view::npos))
                  : len != 3)
            return false;
        for (std::size_t i = start; i < start + len; ++i)
            if (!IsDigit(digits[i])) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
        first = false;
    }
}

char Other(char mark) {
    return mark == ',' ? '.' : ',';
}

// The integer part before a decimal mark at `at` (or the whole body), with
// its groups written with `group`.
bool GroupedPart(const NumberShape& s, std::size_t at, char group) {
    const std::string_view part = std::string_view(s.body).substr(0, at);
    return part.find(group) == std::string_view::npos || ValidGroups(part, group);
}

// The decimal mark and the group mark of a token ('\0' for none); false
// when the marks make no number. The file's style decides only a lone mark
// before three digits in a frequency ("8.000", "3,155"): the file's other
// mark groups thousands there. Every other shape reads one way.
bool Marks(const NumberShape& s, NumberRole role, NumberStyle style, char& decimal, char& group) {
    decimal = group = '\0';
    if (s.commas > 0 && s.dots > 0) {
        if (s.spaces > 0) return false;
        decimal = s.lastComma > s.lastDot ? ',' : '.';
        group = Other(decimal);
        if ((decimal == ',' ? s.commas : s.dots) != 1) return false;
        return GroupedPart(s, decimal == ',' ? s.lastComma : s.lastDot, group);
    }
    const int count = s.commas + s.dots;
    const char only = s.commas > 0 ? ',' : '.';
    if (s.spaces > 0) {
        group = kSpaceMark;
        if (count == 0) return ValidGroups(s.body, kSpaceMark);
        decimal = only;
        return count == 1 && GroupedPart(s, only == ',' ? s.lastComma : s.lastDot, kSpaceMark);
    }
    if (count == 0) return true;
    if (count > 1) {  // "1,234,567"
        group = only;
        return ValidGroups(s.body, only);
    }
    const std::size_t at = only == ',' ? s.lastComma : s.lastDot;
    const bool couldGroup =
        role == NumberRole::Frequency && s.body.size() - at - 1 == 3 && ValidGroups(s.body, only);
    // Unknown: a frequency is never written with three decimals, so a comma
    // there groups; a dot stays a decimal point, as most files write it.
    const char fileMark = style.decimalMark != '\0' ? style.decimalMark : '.';
    (couldGroup && only != fileMark ? group : decimal) = only;
    return true;
}

}  // namespace

bool SplitLines(std::string_view bytes, std::size_t maxLines, std::vector<TextLine>& lines) {
    lines.clear();
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    std::size_t start = 0;
    int number = 1;
    while (start <= bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        if (end == bytes.size() && start == end && start > 0) break;  // after the last line end
        if (lines.size() == maxLines) return false;
        lines.push_back({number++, bytes.substr(start, end - start)});
        if (end == bytes.size()) break;
        start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool ReadFileNumber(std::string_view token, std::string_view unit, NumberRole role, NumberStyle style,
                    double& value) {
    NumberShape s;
    char decimal = '\0', group = '\0';
    if (!Shape(token, unit, s) || !Marks(s, role, style, decimal, group)) return false;
    std::string plain;
    for (char c : s.body) {
        if (IsDigit(c))
            plain += c;
        else if (c == decimal)
            plain += '.';
    }
    double v = 0;
    const auto result =
        std::from_chars(plain.data(), plain.data() + plain.size(), v, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() || !std::isfinite(v))
        return false;
    value = s.negative ? -v : v;
    return true;
}

MarkShown DecimalMarkShown(std::string_view token, std::string_view unit, NumberRole role) {
    NumberShape s;
    char decimal = '\0', group = '\0';
    if (!Shape(token, unit, s)) return MarkShown::None;
    const int count = s.commas + s.dots;
    if (count == 1 && s.spaces == 0 && role == NumberRole::Frequency) {
        const char only = s.commas > 0 ? ',' : '.';
        const std::size_t at = only == ',' ? s.lastComma : s.lastDot;
        if (s.body.size() - at - 1 == 3 && ValidGroups(s.body, only)) return MarkShown::None;
    }
    if (!Marks(s, role, {}, decimal, group)) return MarkShown::None;
    return decimal == ',' ? MarkShown::Comma : decimal == '.' ? MarkShown::Point : MarkShown::None;
}

}  // namespace caraudio::analysis
