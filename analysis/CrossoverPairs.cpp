#include "CrossoverPairs.h"

#include <cmath>

#include "ChannelCurves.h"

namespace caraudio::analysis {
namespace {

// What the response model draws: a pass with a slope, at 20..19999 Hz.
double ActiveHz(const ChannelCurves::PassInput& pass) {
    return pass.slope != 0 && pass.frequency >= 20 && pass.frequency <= 19999 ? pass.frequency : 0;
}

}  // namespace

ChannelPasses PassesOf(const EffectBlock& image, int block) {
    ChannelPasses p;
    p.highPassHz = ActiveHz(ChannelCurves::HighPassInput(image, block));
    if (p.highPassHz < kSubsonicBelowHz) p.highPassHz = 0;
    p.lowPassHz = ActiveHz(ChannelCurves::LowPassInput(image, block));
    return p;
}

SpeakerBand ClassifyBand(const ChannelPasses& p) {
    const bool high = p.highPassHz > 0, low = p.lowPassHz > 0;
    if (!high && !low) return SpeakerBand::FullRange;
    if (high && !low && p.highPassHz >= kTweeterFromHz) return SpeakerBand::Tweeter;
    if (low && !high && p.lowPassHz <= kSubBelowHz) return SpeakerBand::Sub;
    return SpeakerBand::Mid;
}

double CrossoverHzFromSettings(const EffectBlock& image, int lowerBlock, int higherBlock) {
    const double low = PassesOf(image, lowerBlock).lowPassHz, high = PassesOf(image, higherBlock).highPassHz;
    return low > 0 && high > 0 ? std::sqrt(low * high) : 0;
}

bool SidesMeet(Side a, Side b) {
    return a == b || a == Side::Unknown || b == Side::Unknown || a == Side::Centre || b == Side::Centre;
}

std::vector<CrossoverPair> FindCrossoverPairs(const std::vector<SeatChannel>& channels,
                                              const EffectBlock& image) {
    std::vector<CrossoverPair> pairs;
    for (const SeatChannel& higher : channels) {
        const double highPass = PassesOf(image, higher.block).highPassHz;
        if (highPass <= 0) continue;
        const SeatChannel* partner = nullptr;
        for (const SeatChannel& lower : channels) {
            if (lower.block == higher.block || !SidesMeet(lower.side, higher.side)) continue;
            const double lowPass = PassesOf(image, lower.block).lowPassHz;
            if (lowPass <= 0 || std::fabs(std::log2(lowPass / highPass)) > kPairWithinOctaves) continue;
            if (!partner || std::fabs(lower.arrivalMs - higher.arrivalMs) <
                                std::fabs(partner->arrivalMs - higher.arrivalMs))
                partner = &lower;
        }
        if (partner)
            pairs.push_back(
                {partner->block, higher.block, CrossoverHzFromSettings(image, partner->block, higher.block)});
    }
    return pairs;
}

}  // namespace caraudio::analysis
