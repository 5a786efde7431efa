#pragma once

#include <vector>

#include "ComplexResponse.h"

namespace caraudio::analysis {

// A channel measured at several microphone positions as one: at each point
// the power average of the levels (a dip at one position is not a dip
// where the listener's head moves), the phase from the first position,
// whose impulse response and arrival stand for the channel. Empty in,
// silence out.
ComplexResponse AveragePositions(const std::vector<ComplexResponse>& positions);

}  // namespace caraudio::analysis
