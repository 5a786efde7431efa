#pragma once

// Text as Windows programs save it: UTF-16 with a byte-order mark, written
// out unit by unit from the encoding's definition (no surrogates needed).

#include <string>
#include <string_view>

namespace caraudio::test {

inline std::string Utf16WithMark(std::u16string_view text, bool bigEndian = false) {
    std::string bytes;
    for (const char16_t unit : std::u16string(u"\uFEFF") + std::u16string(text)) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// ASCII text, each character one unit.
inline std::string Utf16WithMark(std::string_view ascii, bool bigEndian = false) {
    return Utf16WithMark(std::u16string(ascii.begin(), ascii.end()), bigEndian);
}

}  // namespace caraudio::test
