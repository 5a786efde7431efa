#pragma once

#include <cstdint>

namespace caraudio::command {

// Request command bytes; each reply carries the request's command plus one.
inline constexpr uint8_t KeyExchange = 0x0E;
inline constexpr uint8_t Handshake = 0x90;
inline constexpr uint8_t RecallMode = 0x92;
inline constexpr uint8_t CurrentMode = 0x94;
inline constexpr uint8_t ReadChunk = 0x96;
inline constexpr uint8_t WriteChunk = 0x98;
inline constexpr uint8_t WriteParams = 0x9C;
inline constexpr uint8_t StoreMode = 0x9E;
inline constexpr uint8_t InputChannelMode = 0xA6;
inline constexpr uint8_t Notification = 0x7E;

}  // namespace caraudio::command
