#pragma once

#include "ImpulseResponse.h"

namespace caraudio::analysis {

enum class ArrivalStatus {
    Found,
    Silent,  // every sample is zero
};

// When the direct sound reaches the microphone, and which way it swings.
struct Arrival {
    ArrivalStatus status = ArrivalStatus::Silent;
    double ms = 0;     // from the first sample of the response
    int polarity = 0;  // +1 or -1: the sign of the direct sound's first strong lobe
};

// The direct sound is the first lobe (a run of samples of one sign) that
// reaches kDirectSoundFraction of the response's largest magnitude: noise
// before it stays below that, and reflections, however strong, come later.
// Its arrival is where that lobe's rising edge crosses half of the lobe's
// own peak, interpolated between samples. The half-height point rather than
// the peak: a low-passed (sub) response has a broad, skewed hump whose top is
// flat under noise, while its rising edge is steep and well defined; for a
// short broadband pulse the two differ by the pulse's half width only.
// Broad lobes are first smoothed by a local quadratic fit over about half
// their rise, so noise on a slow edge averages out without moving the edge.
inline constexpr double kDirectSoundFraction = 0.4;
inline constexpr double kArrivalLevel = 0.5;

Arrival DetectArrival(const ImpulseResponse& response);

}  // namespace caraudio::analysis
