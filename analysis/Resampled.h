#pragma once

#include <cstddef>
#include <vector>

namespace caraudio::analysis {

// How finely: the best keeps 97 % of the band at 145 dB; good enough keeps
// 90 % (21.6 kHz at 48 kHz) at 121 dB, in a quarter of the time.
enum class ResampleQuality { Best, GoodEnough };

// `x` at `ratio` times its rate, `frames` long (zeros where `x` runs out):
// output sample n is x at n / ratio. By libsamplerate, whose own delay is
// taken out, so sample 0 stays where it was. Empty when the converter
// refuses (a ratio beyond its range).
std::vector<double> Resampled(const std::vector<double>& x, double ratio, size_t frames,
                              ResampleQuality quality = ResampleQuality::Best);

}  // namespace caraudio::analysis
