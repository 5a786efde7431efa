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

// The number part of a token and where its marks are.
struct NumberShape {
    bool negative = false;
    std::string_view body;  // digits, '.' and ','
    int commas = 0, dots = 0;
    std::size_t lastComma = std::string_view::npos, lastDot = std::string_view::npos;
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
        if (IsDigit(c)) {
            digit = true;
        } else if (c == ',') {
            ++s.commas;
            s.lastComma = i;
        } else if (c == '.') {
            ++s.dots;
            s.lastDot = i;
        } else {
            return false;
        }
    }
    s.body = token;
    return digit;
}

// Digits between the marks of `mark`, checked as thousands groups: one to
// three digits first, then groups of exactly three.
bool ValidGroups(std::string_view digits, char mark) {
    std::size_t start = 0;
    bool first = true;
    while (true) {
        const std::size_t end = digits.find(mark, start);
        const std::size_t len = (end == std::string_view::npos ? digits.size() : end) - start;
        if (first ? (len < 1 || len > 3) : len != 3) return false;
        for (std::size_t i = start; i < start + len; ++i)
            if (!IsDigit(digits[i])) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
        first = false;
    }
}

std::size_t DigitsAfter(std::string_view body, std::size_t mark) {
    return body.size() - mark - 1;
}

// Which mark, if any, is the decimal mark ('\0' for none); false when the
// marks make no number.
bool DecimalMark(const NumberShape& s, NumberRole role, NumberStyle style, char& mark) {
    mark = '\0';
    if (s.commas > 0 && s.dots > 0) {
        mark = s.lastComma > s.lastDot ? ',' : '.';
        const char group = mark == ',' ? '.' : ',';
        const std::size_t at = mark == ',' ? s.lastComma : s.lastDot;
        if ((mark == ',' ? s.commas : s.dots) != 1) return false;
        return ValidGroups(s.body.substr(0, at), group);
    }
    const int count = s.commas + s.dots;
    if (count == 0) return true;
    const char only = s.commas > 0 ? ',' : '.';
    if (count > 1) return ValidGroups(s.body, only);  // "1,234,567"
    const std::size_t at = only == ',' ? s.lastComma : s.lastDot;
    const bool threeAfter = DigitsAfter(s.body, at) == 3 && ValidGroups(s.body, only);
    // A frequency is never written with three decimals, so three digits
    // after the one mark group thousands, for a dot only where the file's
    // decimal mark is the comma.
    const bool groups = role == NumberRole::Frequency && threeAfter && (only == ',' || style.decimalComma);
    if (!groups) mark = only;
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
    char mark = '\0';
    if (!Shape(token, unit, s) || !DecimalMark(s, role, style, mark)) return false;
    std::string plain;
    for (char c : s.body) {
        if (IsDigit(c))
            plain += c;
        else if (c == mark)
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

bool ShowsDecimalComma(std::string_view token, std::string_view unit, NumberRole role) {
    NumberShape s;
    char mark = '\0';
    return Shape(token, unit, s) && DecimalMark(s, role, {}, mark) && mark == ',';
}

}  // namespace caraudio::analysis
