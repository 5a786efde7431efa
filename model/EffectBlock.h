#pragma once

#include <array>
#include <cstdint>

#include "ParameterTable.h"

namespace caraudio {

// The whole tuning of the box as one flat image. Two-byte values are
// little-endian at whatever offset the table gives, odd offsets included.
class EffectBlock {
public:
    using Bytes = std::array<uint8_t, kEffectBlockSize>;

    EffectBlock() = default;
    explicit EffectBlock(const Bytes& bytes) : bytes_(bytes) {}

    uint8_t Byte(int offset) const { return bytes_[static_cast<size_t>(offset)]; }
    void SetByte(int offset, uint8_t value) { bytes_[static_cast<size_t>(offset)] = value; }
    uint16_t Word(int offset) const { return static_cast<uint16_t>(Byte(offset) | (Byte(offset + 1) << 8)); }
    void SetWord(int offset, uint16_t value) {
        SetByte(offset, static_cast<uint8_t>(value & 0xFF));
        SetByte(offset + 1, static_cast<uint8_t>(value >> 8));
    }

    // A parameter's value: the byte zero-extended, or the 16-bit word.
    uint16_t Get(const ParamRecord& r) const { return r.size == 1 ? Byte(r.offset) : Word(r.offset); }
    // Stores the low byte for one-byte parameters, both bytes otherwise.
    void Set(const ParamRecord& r, uint16_t value) {
        if (r.size == 1)
            SetByte(r.offset, static_cast<uint8_t>(value & 0xFF));
        else
            SetWord(r.offset, value);
    }

    const uint8_t* data() const { return bytes_.data(); }
    uint8_t* data() { return bytes_.data(); }
    static constexpr int size() { return kEffectBlockSize; }
    const Bytes& bytes() const { return bytes_; }

    bool operator==(const EffectBlock&) const = default;

private:
    Bytes bytes_{};
};

// The box's factory image; the model starts from it and a channel reset
// restores crossovers and EQ from it.
const EffectBlock& DefaultEffectBlock();

// Byte ranges of one channel that a channel reset restores.
struct ChannelRange {
    int offset;
    int length;
};
ChannelRange HighPassRange(int channel);  // type byte + frequency word
ChannelRange LowPassRange(int channel);   // type byte + frequency word
ChannelRange BandsRange(int channel);     // 31 bands of Freq, Q, Gain

}  // namespace caraudio
