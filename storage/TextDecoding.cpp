#include "TextDecoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace caraudio::storage {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// How much of a file without a byte-order mark is looked at to tell UTF-16.
constexpr size_t kSniffUnits = 4096;

uint8_t Byte(std::string_view s, size_t i) {
    return static_cast<uint8_t>(s[i]);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at `i` (no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
size_t Utf8SequenceAt(std::string_view s, size_t i, char32_t& c) {
    const uint8_t b = Byte(s, i);
    if (b < 0x80) {
        c = b;
        return 1;
    }
    size_t extra;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1, min = 0x80, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2, min = 0x800, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= s.size()) return 0;  // cut short at the end
    for (size_t k = 1; k <= extra; ++k) {
        const uint8_t cont = Byte(s, i + k);
        if ((cont & 0xC0) != 0x80) return 0;
        c = (c << 6) | (cont & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return extra + 1;
}

// Whether the 8 bytes at `i` are all ASCII and none of them NUL: most text
// is, and a measurement file of tens of MB is read at the pace of this check.
bool PlainAsciiWordAt(std::string_view s, size_t i) {
    constexpr uint64_t kHigh = 0x8080808080808080u, kLow = 0x0101010101010101u;
    uint64_t word;
    std::memcpy(&word, s.data() + i, sizeof word);
    return (word & kHigh) == 0 && ((word - kLow) & ~word & kHigh) == 0;
}

// What a text without a byte-order mark is, in one pass over it.
enum class PlainText { Utf8, EightBit, HasNul };

PlainText ScanPlainText(std::string_view s) {
    char32_t c;
    for (size_t i = 0; i < s.size();) {
        if (i + 8 <= s.size() && PlainAsciiWordAt(s, i)) {
            i += 8;
            continue;
        }
        if (s[i] == '\0') return PlainText::HasNul;
        const size_t n = Utf8SequenceAt(s, i, c);
        if (n == 0)
            return s.find('\0', i) == std::string_view::npos ? PlainText::EightBit : PlainText::HasNul;
        i += n;
    }
    return PlainText::Utf8;
}

bool IsUtf8(std::string_view s) {
    char32_t c;
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceAt(s, i, c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string RepairedUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char32_t c;
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceAt(s, i, c);
        if (n == 0) {
            AppendUtf8(out, kReplacement);
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

// Windows-1252's letters and signs in 0x80..0x9F; the five holes keep their
// Latin-1 code points.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string FromLatin1(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (size_t i = 0; i < s.size(); ++i) {
        const uint8_t b = Byte(s, i);
        AppendUtf8(out, b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b);
    }
    return out;
}

char32_t Unit16(std::string_view s, size_t i, bool bigEndian) {
    return bigEndian ? (Byte(s, i) << 8) | Byte(s, i + 1) : Byte(s, i) | (Byte(s, i + 1) << 8);
}

std::string FromUtf16(std::string_view s, bool bigEndian) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        char32_t c = Unit16(s, i, bigEndian);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < s.size()) {
            const char32_t low = Unit16(s, i + 2, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
    }
    if (i < s.size()) AppendUtf8(out, kReplacement);  // an odd byte at the end
    return out;
}

std::string FromUtf32(std::string_view s, bool bigEndian) {
    std::string out;
    out.reserve(s.size() / 2);
    size_t i = 0;
    for (; i + 3 < s.size(); i += 4) {
        const char32_t c = bigEndian ? (char32_t{Byte(s, i)} << 24) | (Byte(s, i + 1) << 16) |
                                           (Byte(s, i + 2) << 8) | Byte(s, i + 3)
                                     : (char32_t{Byte(s, i + 3)} << 24) | (Byte(s, i + 2) << 16) |
                                           (Byte(s, i + 1) << 8) | Byte(s, i);
        AppendUtf8(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
    }
    if (i < s.size()) AppendUtf8(out, kReplacement);
    return out;
}

// Text in UTF-16 without a mark: mostly ASCII, so one byte of nearly every
// unit is zero and the other is not.
bool LooksLikeUtf16(std::string_view s, bool bigEndian) {
    const size_t units = std::min(s.size() / 2, kSniffUnits);
    if (units == 0) return false;
    size_t ascii = 0;
    for (size_t k = 0; k < units; ++k) {
        const uint8_t lo = Byte(s, 2 * k + (bigEndian ? 1 : 0));
        const uint8_t hi = Byte(s, 2 * k + (bigEndian ? 0 : 1));
        if (hi == 0 && lo != 0) ++ascii;
    }
    return ascii * 10 >= units * 9;
}

DecodedText Converted(TextEncoding encoding, std::string text) {
    DecodedText d;
    d.encoding = encoding;
    d.converted = std::move(text);
    d.text = d.converted;
    return d;
}

}  // namespace

DecodedText::DecodedText(DecodedText&& other) noexcept : status(other.status), encoding(other.encoding) {
    const char* begin = other.converted.data();
    const bool owned = other.text.data() >= begin && other.text.data() <= begin + other.converted.size() &&
                       !other.converted.empty();
    converted = std::move(other.converted);
    text = owned ? std::string_view(converted) : other.text;
    other.text = {};
}

DecodedText DecodeText(std::string_view bytes) {
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    using namespace std::string_view_literals;
    if (starts("\xFF\xFE\0\0"sv)) return Converted(TextEncoding::Utf32LE, FromUtf32(bytes.substr(4), false));
    if (starts("\0\0\xFE\xFF"sv)) return Converted(TextEncoding::Utf32BE, FromUtf32(bytes.substr(4), true));
    if (starts("\xFF\xFE"sv)) return Converted(TextEncoding::Utf16LE, FromUtf16(bytes.substr(2), false));
    if (starts("\xFE\xFF"sv)) return Converted(TextEncoding::Utf16BE, FromUtf16(bytes.substr(2), true));
    if (starts("\xEF\xBB\xBF"sv)) {
        const std::string_view rest = bytes.substr(3);
        if (IsUtf8(rest)) {
            DecodedText d;
            d.text = rest;
            return d;
        }
        return Converted(TextEncoding::Utf8, RepairedUtf8(rest));
    }
    switch (ScanPlainText(bytes)) {
    case PlainText::Utf8: {
        DecodedText d;
        d.text = bytes;
        return d;
    }
    case PlainText::EightBit:
        return Converted(TextEncoding::Latin1, FromLatin1(bytes));
    case PlainText::HasNul:
        break;
    }
    if (LooksLikeUtf16(bytes, false)) return Converted(TextEncoding::Utf16LE, FromUtf16(bytes, false));
    if (LooksLikeUtf16(bytes, true)) return Converted(TextEncoding::Utf16BE, FromUtf16(bytes, true));
    DecodedText d;
    d.status = TextDecodeStatus::NotText;
    return d;
}

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return "UTF-16";
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return "UTF-32";
    case TextEncoding::Latin1:
        return "Latin-1 (Windows-1252)";
    }
    return "";
}

}  // namespace caraudio::storage
