#pragma once

namespace caraudio {

class EffectBlock;

// The per-channel response curves the model keeps in step with its image.
// Until curves exist the model works without them.
class CurveModels {
public:
    virtual ~CurveModels() = default;

    // Rebuild every filter of a channel (bands and crossovers) from the image.
    virtual void RebuildChannel(int channel, const EffectBlock& block) = 0;

    // Refresh only the high-pass and low-pass filters of a channel.
    virtual void RefreshCrossovers(int channel, const EffectBlock& block) = 0;
};

}  // namespace caraudio
