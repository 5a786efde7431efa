#include "TextCodec.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <memory>

namespace caraudio::storage {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra;
        char32_t c;
        if (b < 0x80) {
            extra = 0, c = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07;
        } else {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        if (i + static_cast<size_t>(extra) >= text.size()) {  // cut short at the end
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((cont & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (!valid || c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        AppendUtf16(out, c);
        i += 1 + static_cast<size_t>(extra);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;  // a lone half of a pair
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return std::u16string(text);
}

std::u16string CutToUnits(std::u16string_view text, size_t maxUnits) {
    if (text.size() <= maxUnits) return std::u16string(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UBreakIterator, decltype(&ubrk_close)> characters(
        ubrk_open(UBRK_CHARACTER, "", text.data(), static_cast<int32_t>(text.size()), &status), &ubrk_close);
    size_t cut = maxUnits;
    if (U_SUCCESS(status)) {
        // Walked from the start: asked for the boundary before an offset
        // inside a pair, the iterator first steps back to the pair's start.
        cut = 0;
        for (int32_t b = ubrk_next(characters.get()); b != UBRK_DONE && static_cast<size_t>(b) <= maxUnits;
             b = ubrk_next(characters.get()))
            cut = static_cast<size_t>(b);
    } else if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
        --cut;  // without the break rules, at least a pair stays whole
    }
    return std::u16string(text.substr(0, cut));
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (u_foldCase(a[i], U_FOLD_CASE_DEFAULT) != u_foldCase(b[i], U_FOLD_CASE_DEFAULT)) return false;
    return true;
}

}  // namespace caraudio::storage
