#pragma once

#include <optional>
#include <string_view>

#include "Measurement.h"

namespace caraudio::analysis {

// Fractional-octave smoothing of a measurement's level.
enum class Smoothing { None, Octave48, Octave24, Octave12, Octave6, Octave3 };

// N of a 1/N-octave window; 0 for none.
int OctaveFraction(Smoothing s);
// "none", "1/48", "1/24", "1/12", "1/6", "1/3": the words of the command line
// and of the settings file.
std::string_view SmoothingText(Smoothing s);
// The words above (surrounding spaces allowed); anything else gives nothing.
std::optional<Smoothing> ParseSmoothing(std::string_view text);

// Each point's level becomes the mean level over a window of +-1/(2N) octave
// around it: the mean in dB of the points joined by straight lines in log
// frequency, so constant levels and slopes in dB per octave come out
// unchanged, however the points are spaced. Near either end the window
// narrows to stay centred (the end points keep their level). O(n). The
// phase is dropped, as smoothed levels and raw phases do not belong together.
Measurement SmoothMeasurement(const Measurement& m, Smoothing s);

}  // namespace caraudio::analysis
