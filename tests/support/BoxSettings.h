#pragma once

// A channel's settings written into a parameter image field by field, as
// the box holds them, for tests that build a tuning by hand.

#include <cmath>
#include <cstdint>

#include "EffectBlock.h"
#include "ParameterTable.h"
#include "ValueScales.h"

namespace caraudio::test::box {

// The crossover fields for type (0 Butterworth, 1 Bessel, 2 Linkwitz) and
// slope in dB/oct.
inline void SetPass(EffectBlock& image, int channel, bool high, int type, int slopeDb, int hz) {
    const uint8_t byte = WithCrossoverType(WithCrossoverSlope(0, slopeDb / 6 - 1), type);
    image.Set(*FindParam(high ? param::HighPassType(channel) : param::LowPassType(channel)), byte);
    image.Set(*FindParam(high ? param::HighPassFreq(channel) : param::LowPassFreq(channel)),
              static_cast<uint16_t>(hz));
}

inline void SetOff(EffectBlock& image, int channel) {
    image.Set(*FindParam(param::HighPassType(channel)), WithCrossoverSlope(0, kSlopeOff));
    image.Set(*FindParam(param::LowPassType(channel)), WithCrossoverSlope(0, kSlopeOff));
}

inline void SetBand(EffectBlock& image, int channel, int band, int hz, double q, double db) {
    image.Set(*FindParam(param::BandFreq(channel, band)), static_cast<uint16_t>(hz));
    image.Set(*FindParam(param::BandQ(channel, band)), static_cast<uint16_t>(std::lround(q * 100)));
    image.Set(*FindParam(param::BandGain(channel, band)),
              static_cast<uint16_t>(static_cast<int16_t>(db * 100)));
}

inline void SetLevelPolarityDelay(EffectBlock& image, int channel, int volumeDb, bool inverted,
                                  int delaySamples) {
    image.Set(*FindParam(param::Volume(channel)), static_cast<uint16_t>(volumeDb + 60));
    const ParamRecord& phase = *FindParam(param::PhaseCtrl);
    const auto bits = static_cast<uint16_t>(inverted ? image.Get(phase) | (1 << channel)
                                                     : image.Get(phase) & ~(1 << channel));
    image.Set(phase, bits);
    image.Set(*FindParam(param::Delay(channel)), static_cast<uint16_t>(delaySamples));
}

// A box that plays input 1 unchanged on every channel: main volume and
// channel volumes 0 dB, no crossovers, every band at 0 dB; all channels
// muted but `open` (kAllOpen: none muted; kAllMuted: all).
inline constexpr int kAllOpen = -1, kAllMuted = -2;
inline EffectBlock FlatFromInputOne(int open = kAllOpen) {
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::MainVol), 60);
    for (int c = 0; c < kChannelCount; ++c) {
        for (int k = 0; k < kInputCount; ++k) image.Set(*FindParam(param::Input(c, k)), k == 0 ? 100 : 0);
        SetOff(image, c);
        SetLevelPolarityDelay(image, c, 0, false, 0);
        for (int b = 0; b < kBandCount; ++b) image.Set(*FindParam(param::BandGain(c, b)), 0);
    }
    const int muted = open == kAllOpen ? 0 : open == kAllMuted ? 0x3F : 0x3F & ~(1 << open);
    image.Set(*FindParam(param::MuteCtrl), static_cast<uint16_t>(muted));
    return image;
}

}  // namespace caraudio::test::box
