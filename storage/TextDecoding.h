#pragma once

#include <string>
#include <string_view>

namespace caraudio::storage {

// What a text file from another program was written in. Windows programs
// often save UTF-16 with a byte-order mark, and older ones their 8-bit code
// page; the readers work on UTF-8 alone.
enum class TextEncoding {
    Utf8,     // with or without a byte-order mark
    Utf16LE,  // with a byte-order mark, or without one where the text shows it
    Utf16BE,
    Utf32LE,  // with a byte-order mark
    Utf32BE,
    Latin1,  // bytes that are not UTF-8: Windows-1252, which is Latin-1 for every printed letter
};

enum class TextDecodeStatus {
    Decoded,
    NotText,  // NUL bytes in a file of no UTF-16 or UTF-32 shape: a binary file
};

// The text as UTF-8 without a byte-order mark. `text` views either the
// bytes given (plain UTF-8 needs no copy) or `converted`, so it lives as
// long as both do; a moved DecodedText views its own copy again.
struct DecodedText {
    TextDecodeStatus status = TextDecodeStatus::Decoded;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string_view text;
    std::string converted;

    DecodedText() = default;
    DecodedText(const DecodedText&) = delete;
    DecodedText& operator=(const DecodedText&) = delete;
    DecodedText(DecodedText&& other) noexcept;
    DecodedText& operator=(DecodedText&&) = delete;

    bool Ok() const { return status == TextDecodeStatus::Decoded; }
};

// Never fails on text: unpaired surrogates and bytes that fit no sequence
// become U+FFFD.
DecodedText DecodeText(std::string_view bytes);

// "UTF-16", "Latin-1 (Windows-1252)", ... for messages.
const char* EncodingName(TextEncoding encoding);

}  // namespace caraudio::storage
