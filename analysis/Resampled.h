#pragma once

#include <cstddef>
#include <vector>

namespace caraudio::analysis {

// `x` at `ratio` times its rate, `frames` long (zeros where `x` runs out):
// output sample n is x at n / ratio. By libsamplerate at its best quality,
// whose own delay is taken out, so sample 0 stays where it was. Empty when
// the converter refuses (a ratio beyond its range).
std::vector<double> Resampled(const std::vector<double>& x, double ratio, size_t frames);

}  // namespace caraudio::analysis
