#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ChannelRenderer.h"
#include "EffectBlock.h"

namespace caraudio::emulator {

// The box's four inputs rendered into its six outputs at 48 kHz, block by
// block, from whatever image the box holds when each block starts.
//
// A channel whose settings change is heard with the new ones from the next
// block on, in full: its new filters are first run over the last seconds of
// input, so they start in the state they would have had, and the block
// fades from the old sound to the new one. Nothing clicks, and nothing
// rings in from filters started cold.
//
// One thread renders; the image is read through `image`, which the
// firmware answers under its own lock. Planning a change allocates: the
// emulated devices render on a worker of their own, never in a sound
// server's callback.
class BoxSound {
public:
    static constexpr int kRate = 48000;
    // Enough for a 20 Hz band of the highest Q to have settled within a few
    // hundredths of its level; whole blocks.
    static constexpr size_t kHistoryFrames = 2 * kRate / kBlockFrames * kBlockFrames;

    explicit BoxSound(std::function<EffectBlock()> image);

    // kBlockFrames of each input in, kBlockFrames of each output out.
    void RenderBlock(const std::array<const double*, kInputCount>& inputs,
                     const std::array<double*, kChannelCount>& outputs);

private:
    void Follow(const EffectBlock& image);
    std::unique_ptr<ChannelRenderer> WarmedUp(ChannelPlan plan) const;

    std::function<EffectBlock()> image_;
    std::optional<EffectBlock> followed_;
    std::array<std::unique_ptr<ChannelRenderer>, kChannelCount> channels_;
    std::array<std::unique_ptr<ChannelRenderer>, kChannelCount> leaving_;  // faded out this block
    std::array<std::vector<double>, kInputCount> history_;                 // rings of kHistoryFrames
    size_t historyAt_ = 0;                                                 // the oldest block's first frame
    std::vector<double> fadeOut_;
};

}  // namespace caraudio::emulator
