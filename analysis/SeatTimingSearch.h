#pragma once

#include <vector>

#include "CrossoverPairs.h"
#include "EffectBlock.h"
#include "SeatChannel.h"

namespace caraudio::analysis {

// The look a tuner takes at the seat: each side (the channels above the sub
// that its crossovers tie together) and each channel moved in time, and
// its phase button turned, one at a time, to where the whole car's sum
// (1/6 octave, moved onto the target over 200..2000 Hz) comes nearest the
// target over 20..20000 Hz, while that gets better. No move may leave a
// crossover pair's worst loss against its perfect sum more than
// kPairLossGivenDb above where the alignment left it, nor above
// kPairLossMostDb: the sum over the whole band never buys a notch at a
// crossover. Delays move
// within about three quarters of a period of the lowest frequency the
// channel plays, never past 0..20 ms; the set is shifted so the smallest
// delay is 0. Nothing else changes.
inline constexpr double kPairLossGivenDb = 0.5, kPairLossMostDb = 3.0;
void RefineTimingAtSeat(const std::vector<SeatChannel>& channels, const std::vector<CrossoverPair>& pairs,
                        const Response& target, EffectBlock& image);

}  // namespace caraudio::analysis
