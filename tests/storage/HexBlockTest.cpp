#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HexBlock.h"

namespace caraudio::storage {
namespace {

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(HexBlock, EncodesDigitsThenTheCheckByte) {
    const auto abc = Bytes("abc");
    EXPECT_EQ(EncodeHexBlock(abc.data(), abc.size()), "616263B9");
    EXPECT_EQ(EncodeHexBlock(nullptr, 0), "FF");
    const std::vector<uint8_t> zeros(1230, 0);
    std::string zerosText(2460, '0');
    zerosText += "FF";
    EXPECT_EQ(EncodeHexBlock(zeros.data(), zeros.size()), zerosText);
    const std::vector<uint8_t> high = {0xAB, 0x0F};
    EXPECT_EQ(EncodeHexBlock(high.data(), high.size()).substr(0, 4), "AB0F")
        << "upper case, high nibble first";
}

TEST(HexBlock, DecodingAcceptsOnlyWellFormedText) {
    const struct {
        const char* what;
        std::string text;
        size_t capacity;
        int decoded;  // -1: fails
    } cases[] = {
        {"abc", "616263B9", 3, 3},
        {"abc into a larger buffer", "616263B9", 10, 3},
        {"no bytes", "FF", 4, 0},
        {"empty", "", 4, -1},
        {"odd length", "616263B", 3, -1},
        {"longer than the buffer", "616263B9", 2, -1},
        {"lower case", "616263b9", 3, -1},
        {"lower-case byte", "6a6263B9", 3, -1},
        {"not a digit", "61626GB9", 3, -1},
        {"wrong check byte", "616263B8", 3, -1},
        {"check byte of the wrong bytes", "616264B9", 3, -1},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out(c.capacity, 0xEE);
        const auto n = DecodeHexBlock(c.text, out.data(), out.size());
        EXPECT_EQ(n ? static_cast<int>(*n) : -1, c.decoded) << c.what;
        if (!n) {
            EXPECT_EQ(out, std::vector<uint8_t>(c.capacity, 0xEE)) << c.what << ": buffer untouched";
        }
    }
    std::vector<uint8_t> out(3);
    ASSERT_TRUE(DecodeHexBlock("616263B9", out.data(), out.size()));
    EXPECT_EQ(out, Bytes("abc"));
}

TEST(ProfileStruct, DigitsThenByteSum) {
    const auto abc = Bytes("abc");
    EXPECT_EQ(EncodeProfileStruct(abc.data(), abc.size()), "61626326");  // 0x61+0x62+0x63 = 0x126
    const struct {
        const char* what;
        std::string text;
        bool ok;
    } cases[] = {
        {"good", "61626326", true},
        {"lower-case letters", "6a6b6c41", true},
        {"upper-case letters", "6A6B6C41", true},
        {"one digit missing", "6162632", false},
        {"one digit too many", "616263260", false},
        {"wrong sum", "61626327", false},
        {"not hexadecimal", "61626x26", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out(3);
        EXPECT_EQ(DecodeProfileStruct(c.text, out.data(), out.size()), c.ok) << c.what;
    }
}

}  // namespace
}  // namespace caraudio::storage
