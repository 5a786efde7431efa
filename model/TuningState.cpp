#include "TuningState.h"

namespace caraudio {

EffectBlock BoxImage(const TuningState& state) {
    EffectBlock image = state.block;
    for (int ch = 0; ch < kChannelCount; ++ch)
        for (int b = 0; b < kBandCount; ++b) {
            const auto c = static_cast<size_t>(ch), band = static_cast<size_t>(b);
            if (state.remembered[c][band] != GainMemory::ByBypass) continue;
            image.Set(*FindParam(param::BandGain(ch, b)),
                      static_cast<uint16_t>(state.rememberedGain[c][band]));
        }
    return image;
}

}  // namespace caraudio
