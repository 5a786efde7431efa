#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace caraudio {

// The box's check over a run of bytes; it also guards the hex blocks of the
// settings file. Not a standard CRC: the table is linear under XOR over the
// bases 0x31, 0x62, 0xC4, 0x88, 0x21, 0x73, 0xE6, 0xCC.
extern const std::array<uint8_t, 256> kCheckTable;

uint8_t CheckByte(const uint8_t* data, size_t length);

}  // namespace caraudio
