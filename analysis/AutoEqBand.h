#pragma once

#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "FrequencySpan.h"

namespace caraudio::analysis {

// Why an end of a channel's fit range lies where it does.
enum class BandEnd {
    Crossover,    // the channel's high-pass or low-pass corner
    RollOff,      // the measurement itself has rolled off there (kRollOffDb under its level)
    Measurement,  // as far as the measurement and the target go, or the box's bands reach
    Given,        // the range asked for
};

// Where a channel plays: the speaker's passband between the channel's
// crossover corners, or without a crossover at an end, out to where the
// measurement itself has rolled off.
struct ChannelBand {
    FrequencySpan span{0, 0};
    BandEnd lowEnd = BandEnd::Measurement, highEnd = BandEnd::Measurement;
    // Where a band may lift: the band itself, never below the high-pass or
    // above the low-pass corner, nor beyond a natural roll-off.
    FrequencySpan lift{0, 0};
    // The crossover corners that act; 0 where the channel has none.
    double highPassHz = 0, lowPassHz = 0;
};

// A natural roll-off: the speaker's level, smoothed to 1/3 octave, falls
// kRollOffDb under its passband level (the median, over the crossovers'
// band, of the levels within kPassbandDb of the loudest) and stays under
// for kRollOffOctaves further out (or to the end of the measurement).
inline constexpr double kPassbandDb = 10;
// 3 dB: between a speaker's -3 and -6 dB points no lift brings it up
// without moving its -6 dB point by a good part of an octave.
inline constexpr double kRollOffDb = 3, kRollOffOctaves = 1;

// The band of block 0..5 from the image's crossovers and what the speaker
// does alone (on the editor grid, NaN where nothing was measured, at any
// level), inside `covered` (where the measurement and the target have
// levels) and 20..20000 Hz. Empty when those share nothing.
ChannelBand FindChannelBand(const Response& speakerAlone, const EffectBlock& image, int channel,
                            FrequencySpan covered = kEverywhere);

}  // namespace caraudio::analysis
