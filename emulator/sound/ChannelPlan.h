#pragma once

#include <array>
#include <vector>

#include "EffectBlock.h"
#include "ParameterTable.h"

namespace caraudio::emulator {

// One second-order section in the form the renderer runs, a0 taken out.
struct Section {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    bool operator==(const Section&) const = default;
};

// What the box does to one output channel, read from its image once and
// run on every block until the image changes. The firmware is not
// documented; the emulator plays what the program's complex model of the
// box assumes, so that what it predicts can be checked against what plays:
//  - the input mixer's level 0..100 is a gain of level / 100;
//  - each EQ band is the EQ response model's biquad, none while the
//    channel's EQ is bypassed;
//  - each crossover is its second-order section raised to slope / -12: the
//    section once per 12 dB/oct and, for a 6 dB/oct remainder, the
//    section's square root as taps;
//  - the delay is whole samples at 48 kHz; the volume and the main volume
//    are gains (raw - 60 dB), raw 0 (OFF) silences; the phase button
//    inverts; a muted channel plays nothing.
//  - The limiter (threshold, attack, release) and the noise gate act only
//    above their thresholds, which a measurement at a safe level stays
//    under; they pass the sound through unchanged here.
struct ChannelPlan {
    std::array<double, kInputCount> mix{};
    std::vector<Section> sections;
    std::vector<std::vector<double>> halfSections;  // taps
    int delaySamples = 0;
    double gain = 0;  // volumes and polarity; 0 when muted
    bool operator==(const ChannelPlan&) const = default;
};

ChannelPlan PlanChannel(const EffectBlock& image, int channel);

}  // namespace caraudio::emulator
