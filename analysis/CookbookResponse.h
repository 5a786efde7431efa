#pragma once

#include "PeakingFilter.h"

namespace caraudio::analysis {

// Filters as filter-set files mean them: the cookbook biquads designed at the
// sample rate measurement programs use. Written apart from the EQ response
// model on purpose, so each can check the other.
inline constexpr double kFileSampleRate = 48000;

// Level in dB at hz of a peaking filter.
double PeakingDb(const PeakingFilter& filter, double hz);

// Level in dB at hz of a high-pass or low-pass: second order with the given
// Q, or first order (bilinear, prewarped at the corner).
enum class PassSide { High, Low };
double PassDb(PassSide side, int order, double fcHz, double q, double hz);

}  // namespace caraudio::analysis
