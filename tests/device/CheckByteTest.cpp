#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "CheckByte.h"

namespace caraudio {
namespace {

// The table as the box's documentation prints it.
constexpr const char* kPublishedTable =
    "00 31 62 53 C4 F5 A6 97 88 B9 EA DB 4C 7D 2E 1F "
    "21 10 43 72 E5 D4 87 B6 A9 98 CB FA 6D 5C 0F 3E "
    "73 42 11 20 B7 86 D5 E4 FB CA 99 A8 3F 0E 5D 6C "
    "52 63 30 01 96 A7 F4 C5 DA EB B8 89 1E 2F 7C 4D "
    "E6 D7 84 B5 22 13 40 71 6E 5F 0C 3D AA 9B C8 F9 "
    "C7 F6 A5 94 03 32 61 50 4F 7E 2D 1C 8B BA E9 D8 "
    "95 A4 F7 C6 51 60 33 02 1D 2C 7F 4E D9 E8 BB 8A "
    "B4 85 D6 E7 70 41 12 23 3C 0D 5E 6F F8 C9 9A AB "
    "CC FD AE 9F 08 39 6A 5B 44 75 26 17 80 B1 E2 D3 "
    "ED DC 8F BE 29 18 4B 7A 65 54 07 36 A1 90 C3 F2 "
    "BF 8E DD EC 7B 4A 19 28 37 06 55 64 F3 C2 91 A0 "
    "9E AF FC CD 5A 6B 38 09 16 27 74 45 D2 E3 B0 81 "
    "2A 1B 48 79 EE DF 8C BD A2 93 C0 F1 66 57 04 35 "
    "0B 3A 69 58 CF FE AD 9C 83 B2 E1 D0 47 76 25 14 "
    "59 68 3B 0A 9D AC FF CE D1 E0 B3 82 15 24 77 46 "
    "78 49 1A 2B BC 8D DE EF F0 C1 92 A3 34 05 56 67";

TEST(CheckByte, TableMatchesThePublishedOne) {
    std::istringstream in(kPublishedTable);
    for (int i = 0; i < 256; ++i) {
        unsigned v;
        in >> std::hex >> v;
        EXPECT_EQ(kCheckTable[static_cast<size_t>(i)], v) << "entry " << i;
    }
}

TEST(CheckByte, Examples) {
    uint8_t zeros[63] = {};
    EXPECT_EQ(CheckByte(zeros, 63), 0xFF);
    uint8_t request[63] = {0x94};
    EXPECT_EQ(CheckByte(request, 63), 0x6B);
    EXPECT_EQ(CheckByte(reinterpret_cast<const uint8_t*>("abc"), 3), 0xB9);
    EXPECT_EQ(CheckByte(nullptr, 0), 0xFF);
}

}  // namespace
}  // namespace caraudio
