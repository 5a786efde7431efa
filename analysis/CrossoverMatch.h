#pragma once

#include "CookbookResponse.h"
#include "EffectBlock.h"

namespace caraudio::analysis {

// The box's crossover type and slope whose curve in this program's EQ
// response model, at the box frequency given, lies closest (RMS of dB over
// the editor's grid) to a file's high-pass or low-pass filter.
struct CrossoverMatch {
    int typeField = 0;   // 0 Butterworth, 1 Bessel, 2 Linkwitz
    int slopeIndex = 0;  // 0..7 for 6..48 dB/oct
    double rmsDb = 0;
};

// The file's filter is computed by its own convention at the same box
// frequency; `image` and `channel` supply the rest of the channel's bytes.
CrossoverMatch MatchCrossover(PassSide side, int order, double q, int freqRaw, const EffectBlock& image,
                              int channel);

}  // namespace caraudio::analysis
