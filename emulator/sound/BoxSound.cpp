#include "BoxSound.h"

#include <cmath>
#include <numbers>

namespace caraudio::emulator {

BoxSound::BoxSound(std::function<EffectBlock()> image) : image_(std::move(image)), fadeOut_(kBlockFrames) {
    for (auto& h : history_) h.assign(kHistoryFrames, 0.0);
}

std::unique_ptr<ChannelRenderer> BoxSound::WarmedUp(ChannelPlan plan) const {
    auto renderer = std::make_unique<ChannelRenderer>(std::move(plan));
    std::vector<double> discard(kBlockFrames);
    for (size_t at = 0; at < kHistoryFrames; at += kBlockFrames) {
        std::array<const double*, kInputCount> in{};
        const size_t from = (historyAt_ + at) % kHistoryFrames;
        for (size_t k = 0; k < kInputCount; ++k) in[k] = history_[k].data() + from;
        renderer->Run(in, discard.data());
    }
    return renderer;
}

void BoxSound::Follow(const EffectBlock& image) {
    if (followed_ && *followed_ == image) return;
    followed_ = image;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto n = static_cast<size_t>(c);
        ChannelPlan plan = PlanChannel(image, c);
        if (channels_[n] && channels_[n]->Plan() == plan) continue;
        // A change that lands while the last one is still fading: the
        // channel's current sound fades out, as if that fade had ended.
        leaving_[n] = channels_[n] ? std::move(channels_[n]) : nullptr;
        channels_[n] =
            leaving_[n] ? WarmedUp(std::move(plan)) : std::make_unique<ChannelRenderer>(std::move(plan));
    }
}

void BoxSound::RenderBlock(const std::array<const double*, kInputCount>& inputs,
                           const std::array<double*, kChannelCount>& outputs) {
    Follow(image_());
    for (size_t c = 0; c < kChannelCount; ++c) {
        channels_[c]->Run(inputs, outputs[c]);
        if (!leaving_[c]) continue;
        leaving_[c]->Run(inputs, fadeOut_.data());
        // Raised-cosine: the old sound's share falls from 1 to 0 smoothly.
        for (size_t i = 0; i < kBlockFrames; ++i) {
            const double old =
                0.5 * (1 + std::cos(std::numbers::pi * (static_cast<double>(i) + 0.5) / kBlockFrames));
            outputs[c][i] = old * fadeOut_[i] + (1 - old) * outputs[c][i];
        }
        leaving_[c].reset();
    }
    for (size_t k = 0; k < kInputCount; ++k)
        std::copy(inputs[k], inputs[k] + kBlockFrames, history_[k].begin() + static_cast<long>(historyAt_));
    historyAt_ = (historyAt_ + kBlockFrames) % kHistoryFrames;
}

}  // namespace caraudio::emulator
