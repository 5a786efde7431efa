#pragma once

#include <optional>
#include <vector>

#include "AutoEq.h"
#include "ComplexResponse.h"
#include "CrossoverAlignment.h"
#include "EffectBlock.h"
#include "SeatChannel.h"
#include "ValueScales.h"

namespace caraudio::analysis {

struct CarTuneOptions {
    Response target{};  // at the seat, on the editor grid
    double maxBoostDb = 6;
    GainLimits limits;
    // The responses share one scale, so their levels may be matched; false
    // for normalised exports, whose levels say nothing.
    bool matchLevels = true;
};

// What the tune did to one channel.
struct ChannelTuneResult {
    int block = 0;
    int bandsUsed = 0;                      // of its own EQ, in its band
    int correctionBands = 0;                // of the broad corrections of the sum
    int volumeBefore = 0, volumeAfter = 0;  // raw (dB + 60)
};

struct CarTuneResult {
    EffectBlock image;  // the tuning proposed: crossovers kept, everything else as tuned
    std::vector<ChannelTuneResult> channels;
    // The predicted sum at the seat before and after, smoothed to 1/6 octave
    // and moved onto the target, and its RMS against the target over
    // 20..20000 Hz.
    Response sumBefore{}, sumAfter{};
    double rmsBeforeDb = 0, rmsAfterDb = 0;
};

// The whole car's sum at the seat with each channel through its settings
// in the image.
ComplexResponse CarSum(const std::vector<SeatChannel>& channels, const EffectBlock& image);

// Levels, each channel's EQ within its band, and a few broad corrections of
// the sum, on an image whose delays and polarities are already aligned:
//  1. each channel's bands fitted to the target in its own band (the auto
//     EQ, boosting nowhere outside the band), leaving kCorrectionBands free;
//  2. the levels: channels that share their crossovers (left and right)
//     are matched to each other by their level over their band, and each
//     such group is moved in whole volume steps while that brings the sum
//     nearer the target;
//  3. up to kCorrectionBands broad bands fitted to what the sum still misses
//     in each group's band (mostly cuts, within the boost limit), set alike
//     on every channel of the group, kept only when the sum gets nearer.
inline constexpr int kCorrectionBands = 5;
CarTuneResult TuneLevelsAndEq(const std::vector<SeatChannel>& channels, const EffectBlock& aligned,
                              const CarTuneOptions& options);

// The whole tune from the installer's crossovers, in a tuner's order: the
// crossover pairs aligned (AlignCrossovers over the pairs the settings
// make), then left against right and the subs against the mids at the seat
// (RefineTimingAtSeat), then TuneLevelsAndEq; then the pairs aligned and
// the timing looked at once more through the bands, and the EQ and levels
// once more, kept where every crossover stays near its best. Levels are
// matched only when the responses do not all peak alike (normalised
// exports). The bands never lift below a high-pass or above a low-pass
// corner, and every value stays within the box's limits.
struct CarTuneOutcome {
    AlignmentStatus alignment = AlignmentStatus::NoChannels;
    std::vector<CrossoverResult> crossovers;
    bool equalPeaks = false;
    // The tune brings the car nearer the target than it is; a tune that
    // does not is not to be proposed.
    bool improves = false;
    CarTuneResult tuned;  // when aligned
};
CarTuneOutcome TuneCar(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                       CarTuneOptions options);

}  // namespace caraudio::analysis
