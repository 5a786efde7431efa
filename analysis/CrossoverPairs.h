#pragma once

#include <vector>

#include "EffectBlock.h"
#include "SeatChannel.h"

namespace caraudio::analysis {

// A channel's high-pass and low-pass as set, in Hz; 0 where there is none
// (off, out of range, or a high-pass so low it only guards the speaker).
struct ChannelPasses {
    double highPassHz = 0;
    double lowPassHz = 0;
};

// A high-pass below this keeps a sub or a woofer from moving too far
// (subsonic): it bounds no band another speaker plays.
inline constexpr double kSubsonicBelowHz = 40;
ChannelPasses PassesOf(const EffectBlock& image, int block);

enum class SpeakerBand {
    FullRange,  // no crossover
    Sub,        // a low-pass only, below kSubBelowHz
    Mid,        // a band-pass, or one pass that fits neither end (mid, midbass)
    Tweeter,    // a high-pass only, above kTweeterFromHz
};
inline constexpr double kTweeterFromHz = 1500;
inline constexpr double kSubBelowHz = 200;
SpeakerBand ClassifyBand(const ChannelPasses& passes);

// Two channels that hand the sound over to each other at `hz`: the lower
// one's low-pass meets the higher one's high-pass.
struct CrossoverPair {
    int lowerBlock = 0;
    int higherBlock = 0;
    double hz = 0;
};

// A low-pass and a high-pass this close (in octaves) are one crossover,
// at their geometric mean.
inline constexpr double kPairWithinOctaves = 0.5;

// The pairs the channels' settings make. Speakers on opposite sides are
// never paired, and a channel's high-pass has one partner: of the lower
// channels whose low-pass meets it, the one whose sound arrives closest in
// time, which is the speaker next to it (a tweeter's own door mid rather
// than the far one; the nearer of two subs). A sub pairs with every mid.
std::vector<CrossoverPair> FindCrossoverPairs(const std::vector<SeatChannel>& channels,
                                              const EffectBlock& image);

// The crossover frequency the two channels' settings give, or 0 when the
// lower has no low-pass or the higher no high-pass.
double CrossoverHzFromSettings(const EffectBlock& image, int lowerBlock, int higherBlock);

bool SidesMeet(Side a, Side b);

}  // namespace caraudio::analysis
