#pragma once

#include "ChannelPlan.h"

namespace caraudio::emulator {

// The cookbook's second-order sections at 48 kHz, each minimum phase: what
// the virtual car's speakers and microphone are made of.
Section PassSection(bool high, double hz, double q);
Section PeakSection(double hz, double q, double db);
Section LowShelfSection(double hz, double db);  // shelf slope 1

}  // namespace caraudio::emulator
