#pragma once

#include "ComplexResponse.h"

namespace caraudio::analysis {

// Where two speakers hand over, the sum is judged from half to twice the
// crossover frequency: beyond it one of them is at least 12 dB down (for the
// gentlest crossover), and what it adds no longer decides the sum.
inline constexpr double kCrossoverRegionOctaves = 1;

// The worst loss, in dB (0 or more), of the sum |a + b| against the perfect
// sum |a| + |b| over the crossover region around hz: 6 dB where the two are
// equal and opposite, 0 where they are in phase. Grid points where both are
// silent do not count; with none left the loss is 0.
double WorstSumLossDb(const ComplexResponse& a, const ComplexResponse& b, double hz,
                      const FrequencyGrid& grid);

// How the higher channel of a pair is to be moved against the lower one.
struct PairAlignment {
    int delayRaw = 0;   // whole steps (1/48 ms) added to the higher one's delay, may be negative
    bool flip = false;  // the higher one's polarity turned over
    double lossDb = 0;  // the worst loss of the sum then
};

// The delay and polarity of `higher` against `lower` (each as it plays now,
// at the seat) that make their sum flattest over the crossover region: the
// smallest worst loss. Delays are tried in whole steps over one period of
// hz either side of `guessRaw` (the delay by which they would arrive
// together), kept within minRaw..maxRaw. The higher one is flipped where
// that makes the sum flatter by more than 0.25 dB; then of the delays within
// 0.1 dB of the smallest loss the one nearest the guess is taken. Both
// polarities are tried at every delay, so the
// polarity comes from the sum as a whole, not from the shape of a first
// lobe, and a move of a millimetre (a twentieth of a step) cannot turn it.
PairAlignment AlignPair(const ComplexResponse& lower, const ComplexResponse& higher, double hz, int guessRaw,
                        int minRaw, int maxRaw, const FrequencyGrid& grid);

// Whether two channels that play the same band (left and right, two subs)
// add up louder with b flipped, over fromHz..toHz: a pair that cancels
// there is in opposite polarity.
bool LouderFlipped(const ComplexResponse& a, const ComplexResponse& b, double fromHz, double toHz,
                   const FrequencyGrid& grid);

// r delayed by `raw` steps, and inverted if asked.
ComplexResponse Delayed(const ComplexResponse& r, int raw, bool inverted, const FrequencyGrid& grid);

}  // namespace caraudio::analysis
