#include "FieldNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace caraudio::analysis {
namespace {

// Longer fields are not numbers any file writes.
constexpr size_t kLongestField = 64;

}  // namespace

// Read exactly: up to 15 digits are an exact integer and a power of ten up
// to 1e22 is an exact double, so one multiplication or division rounds
// correctly.
std::optional<double> ReadPlainDecimal(std::string_view s) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (negative) ++i;
    uint64_t mantissa = 0;
    int digits = 0, scale = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return std::nullopt;
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            if (point) --scale;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size()) {
        if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
        ++i;
        const bool negativeExponent = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
        int exponent = 0, exponentDigits = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            if (++exponentDigits > 3) return std::nullopt;
            exponent = exponent * 10 + (s[i] - '0');
        }
        if (exponentDigits == 0 || i != s.size()) return std::nullopt;
        scale += negativeExponent ? -exponent : exponent;
    }
    if (scale < -22 || scale > 22) return std::nullopt;
    const double m = static_cast<double>(mantissa);
    const double value = scale < 0 ? m / kPowers[-scale] : m * kPowers[scale];
    return negative ? -value : value;
}

FieldNumber ReadFieldNumber(std::string_view field, bool decimalComma) {
    // from_chars takes no plus sign; a minus after a plus is not a number.
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field.front() == '-') return {};
    }
    if (field.empty() || field.size() > kLongestField) return {};
    // Only a decimal comma needs a copy to change. Without decimal commas a
    // comma is simply a character no number has.
    char buffer[kLongestField];
    const size_t comma = decimalComma ? field.find(',') : std::string_view::npos;
    if (comma != std::string_view::npos) {
        if (field.find(',', comma + 1) != std::string_view::npos || field.find('.') != std::string_view::npos)
            return {};
        std::copy(field.begin(), field.end(), buffer);
        buffer[comma] = '.';
        field = std::string_view(buffer, field.size());
    }
    if (const auto plain = ReadPlainDecimal(field)) return {*plain, false};
    const char* end = field.data() + field.size();
    double value = 0;
    const auto result = std::from_chars(field.data(), end, value, std::chars_format::general);
    if (result.ptr != end) return {};
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large is an infinity.
        const size_t e = field.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < field.size() && field[e + 1] == '-') return {0.0, false};
        return {std::nullopt, true};
    }
    if (result.ec != std::errc()) return {};
    if (!std::isfinite(value)) return {std::nullopt, true};
    return {value, false};
}

}  // namespace caraudio::analysis
