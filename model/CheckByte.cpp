#include "CheckByte.h"

namespace caraudio {
namespace {

constexpr std::array<uint8_t, 8> kBases = {0x31, 0x62, 0xC4, 0x88, 0x21, 0x73, 0xE6, 0xCC};

constexpr std::array<uint8_t, 256> BuildTable() {
    std::array<uint8_t, 256> t{};
    for (int x = 0; x < 256; ++x) {
        uint8_t v = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (x & (1 << bit)) v = static_cast<uint8_t>(v ^ kBases[static_cast<size_t>(bit)]);
        t[static_cast<size_t>(x)] = v;
    }
    return t;
}

}  // namespace

constexpr std::array<uint8_t, 256> kCheckTableValue = BuildTable();
// Spot checks against the published table.
static_assert(kCheckTableValue[0x01] == 0x31 && kCheckTableValue[0x0F] == 0x1F);
static_assert(kCheckTableValue[0x90] == 0xED && kCheckTableValue[0xFF] == 0x67);

const std::array<uint8_t, 256> kCheckTable = kCheckTableValue;

uint8_t CheckByte(const uint8_t* data, size_t length) {
    uint8_t acc = 0;
    for (size_t i = 0; i < length; ++i) acc = kCheckTable[static_cast<uint8_t>(acc ^ data[i])];
    return static_cast<uint8_t>(acc ^ 0xFF);
}

}  // namespace caraudio
