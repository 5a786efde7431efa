#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace caraudio::storage {

// The settings file's block encoding: two upper-case hex digits per byte,
// then the box's check byte over the bytes, also as two digits.
std::string EncodeHexBlock(const uint8_t* data, size_t size);
// Decodes into `out` (capacity `capacity`): even length, at most 2 x capacity
// + 2 characters, digits 0-9 and A-F only, matching check byte. The decoded
// bytes fill `out` from its start; returns how many, or nothing on failure.
std::optional<size_t> DecodeHexBlock(std::string_view text, uint8_t* out, size_t capacity);

// The scene files' encoding: the same digits, then the byte sum modulo 256.
std::string EncodeProfileStruct(const uint8_t* data, size_t size);
// Accepts only exactly 2 x size + 2 hex digits (either case) with a matching sum.
bool DecodeProfileStruct(std::string_view text, uint8_t* out, size_t size);

}  // namespace caraudio::storage
