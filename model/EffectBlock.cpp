#include "EffectBlock.h"

namespace caraudio {
namespace {

// ISO third-octave centres, the factory frequency of each band.
constexpr std::array<uint16_t, kBandCount> kDefaultBandFreq = {
    20,  25,   32,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

constexpr uint16_t kDefaultVolume = 66;
constexpr uint16_t kDefaultCrossoverByte = 1;  // Butterworth, 12 dB/oct
constexpr uint16_t kDefaultLowPassFreq = 20000;
constexpr uint16_t kDefaultQ = 760;
constexpr uint16_t kDefaultThreshold = 600;
constexpr uint16_t kDefaultAttack = 2000;
constexpr uint16_t kDefaultInputLevel = 100;

EffectBlock BuildDefault() {
    EffectBlock block;
    auto set = [&](int index, uint16_t value) { block.Set(*FindParam(index), value); };
    set(param::MainVol, kDefaultVolume);
    for (int n = 0; n < kChannelCount; ++n) {
        set(param::Volume(n), kDefaultVolume);
        set(param::HighPassType(n), kDefaultCrossoverByte);
        set(param::LowPassType(n), kDefaultCrossoverByte);
        set(param::LowPassFreq(n), kDefaultLowPassFreq);
        for (int b = 0; b < kBandCount; ++b) {
            set(param::BandFreq(n, b), kDefaultBandFreq[static_cast<size_t>(b)]);
            set(param::BandQ(n, b), kDefaultQ);
        }
        set(param::Threshold(n), kDefaultThreshold);
        set(param::Attack(n), kDefaultAttack);
        for (int k = 0; k < kInputCount; ++k) set(param::Input(n, k), kDefaultInputLevel);
    }
    return block;
}

}  // namespace

const EffectBlock& DefaultEffectBlock() {
    static const EffectBlock kDefault = BuildDefault();
    return kDefault;
}

ChannelRange HighPassRange(int channel) {
    return {FindParam(param::HighPassType(channel))->offset, 3};
}

ChannelRange LowPassRange(int channel) {
    return {FindParam(param::LowPassType(channel))->offset, 3};
}

ChannelRange BandsRange(int channel) {
    return {FindParam(param::BandFreq(channel, 0))->offset, 6 * kBandCount};
}

}  // namespace caraudio
