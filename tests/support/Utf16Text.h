#pragma once

// Text as Windows programs save it: UTF-16 with a byte-order mark, or one
// byte a character in Latin-1, written out from the encodings' definitions.

#include <string>
#include <string_view>
#include <vector>

namespace caraudio::test {

// The code points of UTF-8 text, decoded as the standard lays it out (the
// tests write only well-formed text).
inline std::vector<char32_t> CodePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(c);
        i += static_cast<std::size_t>(n);
    }
    return out;
}

inline std::string Utf16WithMark(std::u16string_view text, bool bigEndian = false) {
    std::string bytes;
    for (const char16_t unit : std::u16string(u"\uFEFF") + std::u16string(text)) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// UTF-8 text, characters beyond the first plane as surrogate pairs.
inline std::string Utf16WithMark(std::string_view utf8, bool bigEndian = false) {
    std::u16string units;
    for (const char32_t c : CodePoints(utf8)) {
        if (c < 0x10000) {
            units += static_cast<char16_t>(c);
        } else {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return Utf16WithMark(std::u16string_view(units), bigEndian);
}

// UTF-8 text whose characters all lie below U+0100.
inline std::string Latin1(std::string_view utf8) {
    std::string out;
    for (const char32_t c : CodePoints(utf8)) out += static_cast<char>(c);
    return out;
}

}  // namespace caraudio::test
