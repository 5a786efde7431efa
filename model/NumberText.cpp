#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace caraudio {
namespace {

constexpr double kReadLimit = 1e15;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string_view TrimText(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

double ReadLeadingNumber(std::string_view text) {
    text = TrimText(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    // An exponent counts only when digits follow it ("5e" reads as 5).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    double value = 0.0;
    const char* first = text.data() + start;
    const char* last = text.data() + i;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small to represent: tell the two apart by the exponent.
        const std::string_view mantissa(first, static_cast<size_t>(last - first));
        const size_t e = mantissa.find_first_of("eE");
        value = (e != std::string_view::npos && mantissa.find('-', e) != std::string_view::npos) ? 0.0
                                                                                                 : kReadLimit;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    value = std::min(value, kReadLimit);
    return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return {};
    return std::string(buffer, result.ptr);
}

std::string FormatInt(long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

int TruncToInt(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) return 0;
    return static_cast<int>(value);
}

}  // namespace caraudio
