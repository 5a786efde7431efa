#pragma once

#include <optional>

#include "FilterSet.h"

namespace caraudio::analysis {

// A shelf as the cookbook biquad draws it at 48 kHz (kFileSampleRate):
// A = 10^(gain/40), w0 = 2 pi f0 / 48000, alpha = sin(w0) / (2 Q), where f0
// is the midpoint of the transition (the level is half the gain there).
struct CookbookShelf {
    bool high = false;  // a high shelf; else a low shelf
    double f0Hz = 0;
    double gainDb = 0;
    double q = 0;
};

// What a shelf line means, the way Equalizer APO reads REW's "Generic" type
// codes (its configuration reference lists them; REW and AutoEQ write them):
//   LSC, HSC with Q                  f0 = Fc, the Q as given; LSQ and HSQ, as
//                                    headphone graph tools write them, alike.
//   LSC x dB, HSC x dB               f0 = Fc, slope S = x / 12.
//   LS, HS with neither              f0 = Fc, S = 0.9.
//   LS x dB, HS x dB (LS 6dB ...)    Fc is the corner: f0 = Fc * 10^(|gain| / (80 S))
//                                    for a low shelf, Fc / 10^(...) for a high one.
//   LS, HS with Q                    Fc is the corner as above, S the slope that Q gives.
// A slope S stands for 1/Q = sqrt((A + 1/A) (1/S - 1) + 2); a slope too steep
// for its gain (the root of a negative number) is no filter. A slope in the
// line wins over a Q, as in Equalizer APO. The gain is the one given here,
// so a caller can hold it to the box's limits first. Nothing for a line that
// is not a shelf or describes none: no Fc or gain, a Q or slope that is not
// positive, or f0 outside 0..24000 Hz.
std::optional<CookbookShelf> ShelfOfLine(const FilterLine& line, double gainDb);

// Level in dB at hz.
double ShelfDb(const CookbookShelf& shelf, double hz);

}  // namespace caraudio::analysis
