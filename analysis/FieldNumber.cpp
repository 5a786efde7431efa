#include "FieldNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace caraudio::analysis {
namespace {

// Longer fields are not numbers any file writes.
constexpr size_t kLongestField = 64;

}  // namespace

FieldNumber ReadFieldNumber(std::string_view field, bool decimalComma) {
    // from_chars takes no plus sign; a minus after a plus is not a number.
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field.front() == '-') return {};
    }
    if (field.empty() || field.size() > kLongestField) return {};
    char buffer[kLongestField];
    std::copy(field.begin(), field.end(), buffer);
    const auto commas = std::count(field.begin(), field.end(), ',');
    if (commas > 0) {
        if (!decimalComma || commas > 1 || field.find('.') != std::string_view::npos) return {};
        *std::find(buffer, buffer + field.size(), ',') = '.';
    }
    const char* end = buffer + field.size();
    double value = 0;
    const auto result = std::from_chars(buffer, end, value, std::chars_format::general);
    if (result.ptr != end) return {};
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large is an infinity.
        const std::string_view text(buffer, field.size());
        const size_t e = text.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-') return {0.0, false};
        return {std::nullopt, true};
    }
    if (result.ec != std::errc()) return {};
    if (!std::isfinite(value)) return {std::nullopt, true};
    return {value, false};
}

}  // namespace caraudio::analysis
