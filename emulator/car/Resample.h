#pragma once

#include <vector>

namespace caraudio::emulator {

// An impulse response taken at `rate` as it would be at 48 kHz: the same
// frequency response (the samples are scaled by the rates' ratio, as the
// sum of an impulse response is its gain at 0 Hz). By libsamplerate at its
// best quality.
std::vector<double> ImpulseResponseAt48k(const std::vector<double>& samples, int rate);

}  // namespace caraudio::emulator
