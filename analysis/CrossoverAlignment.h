#pragma once

#include <vector>

#include "CrossoverPairs.h"
#include "EffectBlock.h"
#include "SeatChannel.h"

namespace caraudio::analysis {

enum class AlignmentStatus {
    Aligned,
    NoChannels,
    BadChannel,      // a block outside 0..5, or one given twice
    BadPair,         // a pair names a channel not in the set, or the same one twice
    NoCrossoverHz,   // a pair without a frequency, and the settings give none (or one off the grid)
    SpreadTooLarge,  // the channels cannot be brought together within the box's 20 ms of delay
};

// One crossover: the worst loss of the pair's sum against the perfect sum
// over its region (PairAlignment.h), with the delays and polarity as set and
// as proposed.
struct CrossoverResult {
    CrossoverPair pair;
    // False where an earlier pair had already tied the two channels' timing
    // (a loop of pairs): this one is only judged.
    bool setsDelay = true;
    double lossBeforeDb = 0;
    double lossAfterDb = 0;
};

// The settings proposed for one channel.
struct ChannelAlignment {
    int block = 0;
    int delayRaw = 0;  // 0..960 steps of 1/48 ms
    bool inverted = false;
};

struct CrossoverAlignment {
    AlignmentStatus status = AlignmentStatus::NoChannels;
    int badBlock = -1;                        // the channel a failed status is about, where there is one
    std::vector<ChannelAlignment> channels;   // in the order given; empty unless Aligned
    std::vector<CrossoverResult> crossovers;  // in the order they were aligned
};

// Delays and polarities for a set of channels, aligned the way a tuner
// works: the highest crossover first (tweeter to mid on each side, the left
// before the right), down to the mids against the sub. Each pair moves the
// higher channel, with every channel already tied to it, against the lower
// one (AlignPair, on the channels' responses at the seat through their
// settings in `image`, crossovers and EQ as set), starting from the delay by
// which their sound would arrive together. Groups no pair ties together
// (left against right without a sub, a second sub, a full-range speaker)
// are set to arrive together at the seat, timed by each group's lowest-
// playing speaker, and face the way that makes those two louder where both
// play. The sum tells which way the channels face each other, not which way
// the whole set faces: of the two, the one changing fewer phase buttons
// from how they are set is proposed. The set is then shifted so the
// smallest delay is 0; none exceeds 20 ms.
//
// `pairs` are those FindCrossoverPairs gives or the caller picks; a pair's
// hz of 0 is taken from the settings.
CrossoverAlignment AlignCrossovers(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                                   std::vector<CrossoverPair> pairs, const FrequencyGrid& grid);

}  // namespace caraudio::analysis
