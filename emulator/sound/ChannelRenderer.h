#pragma once

#include <array>
#include <memory>
#include <vector>

#include "BlockConvolver.h"
#include "ChannelPlan.h"

namespace caraudio::emulator {

// One output channel's sound from the four inputs, block by block, as its
// plan says; keeps the filters' state and the delay line between blocks.
class ChannelRenderer {
public:
    explicit ChannelRenderer(ChannelPlan plan);

    const ChannelPlan& Plan() const { return plan_; }

    // kBlockFrames of each input in, the channel's kBlockFrames out.
    void Run(const std::array<const double*, kInputCount>& inputs, double* out);

private:
    struct SectionState {
        double z1 = 0, z2 = 0;
    };
    ChannelPlan plan_;
    std::vector<SectionState> state_;
    std::vector<std::unique_ptr<BlockConvolver>> convolvers_;
    std::vector<double> delayLine_;  // a ring of delaySamples + one block
    size_t delayAt_ = 0;
};

}  // namespace caraudio::emulator
