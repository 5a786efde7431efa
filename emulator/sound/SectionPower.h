#pragma once

#include <vector>

#include "EqCurveModel.h"

namespace caraudio::emulator {

// The impulse response of a second-order section raised to the power one
// half: a crossover's 6 dB/oct remainder, which no IIR filter can run. It
// is the power series of sqrt(B(1/z)) / sqrt(A(1/z)), the branch that is 1
// at 0 Hz for a low-pass and +90 degrees there for a high-pass, as the
// program's complex model of the box takes it; cut where the tail has
// fallen below a millionth of a millionth of its largest tap.
std::vector<double> HalfSectionTaps(const EqFilterRecord& section);

}  // namespace caraudio::emulator
