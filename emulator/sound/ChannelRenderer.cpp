#include "ChannelRenderer.h"

namespace caraudio::emulator {

ChannelRenderer::ChannelRenderer(ChannelPlan plan)
    : plan_(std::move(plan)),
      state_(plan_.sections.size()),
      delayLine_(static_cast<size_t>(plan_.delaySamples) + kBlockFrames, 0.0) {
    for (const std::vector<double>& taps : plan_.halfSections)
        convolvers_.push_back(std::make_unique<BlockConvolver>(taps));
}

void ChannelRenderer::Run(const std::array<const double*, kInputCount>& inputs, double* out) {
    for (size_t i = 0; i < kBlockFrames; ++i) {
        double v = 0;
        for (size_t k = 0; k < kInputCount; ++k)
            if (plan_.mix[k] != 0) v += plan_.mix[k] * inputs[k][i];
        out[i] = v;
    }
    // Transposed direct form II: two states a section, well behaved in
    // double precision even for a narrow band at 20 Hz. Each sample goes
    // through every section before the next: a section waits only for the
    // one before it on this sample, so the processor overlaps them, where
    // section by section each sample would wait for the last.
    const size_t count = plan_.sections.size();
    const Section* c = plan_.sections.data();
    SectionState* z = state_.data();
    for (size_t i = 0; i < kBlockFrames; ++i) {
        double x = out[i];
        for (size_t s = 0; s < count; ++s) {
            const double y = c[s].b0 * x + z[s].z1;
            z[s].z1 = c[s].b1 * x - c[s].a1 * y + z[s].z2;
            z[s].z2 = c[s].b2 * x - c[s].a2 * y;
            x = y;
        }
        out[i] = x;
    }
    for (auto& convolver : convolvers_) convolver->Run(out);
    const size_t ring = delayLine_.size();
    const size_t delay = static_cast<size_t>(plan_.delaySamples);
    for (size_t i = 0; i < kBlockFrames; ++i) {
        delayLine_[delayAt_] = out[i];
        out[i] = plan_.gain * delayLine_[(delayAt_ + ring - delay) % ring];
        delayAt_ = (delayAt_ + 1) % ring;
    }
}

}  // namespace caraudio::emulator
