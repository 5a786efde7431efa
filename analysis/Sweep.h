#pragma once

#include <vector>

namespace caraudio::analysis {

// An exponential sine sweep: equal time per octave, so each octave gets
// the same energy as in pink noise, and a speaker's distortion falls before
// the response instead of onto it.
struct SweepSettings {
    double lowHz = 20, highHz = 20000;
    double seconds = 1.5;
    double levelDbfs = -12;  // the sweep's peak
    int rate = 48000;
};

// The sweep's samples, faded in over its first half octave (a start at
// full level would click across the whole band) and out over its last
// tenth of an octave.
std::vector<double> ExponentialSweep(const SweepSettings& settings);

}  // namespace caraudio::analysis
