#pragma once

#include <string>
#include <string_view>

#include "EffectBlock.h"

namespace caraudio::storage {

// One output channel's settings (level, delay, polarity, crossovers and the
// 31 bands) as one line of the settings file, so a measurement keeps what it
// was taken through from one start to the next: each value as a 16-bit word,
// low byte first, in that order, then the block encoding's check byte
// (HexBlock.h).
std::string EncodeChannelSettings(const EffectBlock& image, int channel);

// Back into `channel` of `image`. False, and `image` is left as it was,
// unless the text is one EncodeChannelSettings writes: the words' count, the
// check byte, a byte value in each byte field and 0 or 1 for the polarity.
bool DecodeChannelSettings(std::string_view text, int channel, EffectBlock& image);

}  // namespace caraudio::storage
