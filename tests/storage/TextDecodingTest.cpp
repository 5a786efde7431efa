// Text files as other programs save them: every encoding comes out as the
// same UTF-8, and a binary file is told apart from text.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "TextDecoding.h"

namespace caraudio::storage {
namespace {

using namespace std::string_literals;

struct Case {
    const char* what;
    std::string bytes;
    TextEncoding encoding;
    std::string utf8;
};

TEST(TextDecoding, EveryEncodingGivesTheSameText) {
    // "Fc 1 066 Hz" with a no-break space, and "é" (U+00E9), written by hand
    // in each encoding.
    const Case cases[] = {
        {"plain ASCII", "Fc 63.8 Hz\n"s, TextEncoding::Utf8, "Fc 63.8 Hz\n"},
        {"UTF-8",
         "Fc 1\xC2\xA0"
         "066 \xC3\xA9"s,
         TextEncoding::Utf8,
         "Fc 1\xC2\xA0"
         "066 \xC3\xA9"},
        {"UTF-8 with a mark",
         "\xEF\xBB\xBF"
         "a\xC3\xA9"s,
         TextEncoding::Utf8, "a\xC3\xA9"},
        {"Latin-1",
         "Fc 1\xA0"
         "066 \xE9"s,
         TextEncoding::Latin1,
         "Fc 1\xC2\xA0"
         "066 \xC3\xA9"},
        {"Windows-1252 euro and quotes", "\x80 \x93x\x94"s, TextEncoding::Latin1,
         "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"UTF-16 LE with a mark",
         "\xFF\xFE"
         "a\0\xE9\0\n\0"s,
         TextEncoding::Utf16LE, "a\xC3\xA9\n"},
        {"UTF-16 BE with a mark", "\xFE\xFF\0a\0\xE9\0\n"s, TextEncoding::Utf16BE, "a\xC3\xA9\n"},
        {"UTF-16 LE surrogate pair", "\xFF\xFE\x3D\xD8\x0A\xDE"s, TextEncoding::Utf16LE, "\xF0\x9F\x98\x8A"},
        {"UTF-16 LE lone surrogate",
         "\xFF\xFE\x3D\xD8"
         "a\0"s,
         TextEncoding::Utf16LE,
         "\xEF\xBF\xBD"
         "a"},
        {"UTF-16 LE odd last byte",
         "\xFF\xFE"
         "a\0b"s,
         TextEncoding::Utf16LE, "a\xEF\xBF\xBD"},
        {"UTF-16 LE without a mark",
         "F\0c\0 \0"
         "6\0"
         "3\0\r\0\n\0"s,
         TextEncoding::Utf16LE, "Fc 63\r\n"},
        {"UTF-16 BE without a mark",
         "\0F\0c\0 \0"
         "6\0"
         "3"s,
         TextEncoding::Utf16BE, "Fc 63"},
        {"UTF-32 LE with a mark",
         "\xFF\xFE\0\0"
         "a\0\0\0\xE9\0\0\0"s,
         TextEncoding::Utf32LE, "a\xC3\xA9"},
        {"UTF-32 BE with a mark", "\0\0\xFE\xFF\0\0\0a"s, TextEncoding::Utf32BE, "a"},
        // Overlong and surrogate forms are not UTF-8, so the file is 8-bit.
        {"overlong slash", "a\xC0\xAF"s, TextEncoding::Latin1, "a\xC3\x80\xC2\xAF"},
        {"encoded surrogate", "\xED\xA0\x80"s, TextEncoding::Latin1, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"cut-off sequence", "ab\xE2\x82"s, TextEncoding::Latin1, "ab\xC3\xA2\xE2\x80\x9A"},
        {"bad byte after a UTF-8 mark",
         "\xEF\xBB\xBF"
         "a\xFF"s,
         TextEncoding::Utf8, "a\xEF\xBF\xBD"},
        {"empty", ""s, TextEncoding::Utf8, ""},
        // Long ASCII runs are checked eight bytes at a time: what follows
        // them, or straddles their end, still counts.
        {"8-bit letter after a long ASCII run", "abcdefghijklmnop\xE9"s, TextEncoding::Latin1,
         "abcdefghijklmnop\xC3\xA9"},
        {"UTF-8 letter across an 8-byte step", "abcdefg\xC3\xA9xyzuvw"s, TextEncoding::Utf8,
         "abcdefg\xC3\xA9xyzuvw"},
        {"bad byte inside the second step",
         "abcdefgh1234\xFF"
         "567"s,
         TextEncoding::Latin1,
         "abcdefgh1234\xC3\xBF"
         "567"},
    };
    for (const Case& c : cases) {
        const DecodedText d = DecodeText(c.bytes);
        EXPECT_TRUE(d.Ok()) << c.what;
        EXPECT_EQ(d.encoding, c.encoding) << c.what;
        EXPECT_EQ(std::string(d.text), c.utf8) << c.what;
    }
}

TEST(TextDecoding, BinaryBytesAreNotText) {
    const std::string cases[] = {
        "RIFF\x24\0\0\0WAVEfmt "s,  // a sound file
        "\x7F"
        "ELF\x02\x01\x01\0\0\0"s,    // a program
        "Fc 63 Hz\0\0\0\0garbage"s,  // text with a run of NULs
    };
    for (const std::string& bytes : cases) EXPECT_EQ(DecodeText(bytes).status, TextDecodeStatus::NotText);
}

TEST(TextDecoding, MovedTextStillViewsItsOwnCopy) {
    DecodedText a = DecodeText(
        "\xFF\xFE"
        "a\0b\0"s);
    DecodedText b = std::move(a);
    EXPECT_EQ(std::string(b.text), "ab");
    const std::string plain = "plain";
    DecodedText c = DecodeText(plain);
    DecodedText d = std::move(c);
    EXPECT_EQ(d.text.data(), plain.data());  // plain UTF-8 is not copied
}

}  // namespace
}  // namespace caraudio::storage
