#pragma once

#include <optional>

namespace caraudio {

class ParamDatabase;

// Automatic gain compensation after a band gain change of a channel: while
// the channel's largest boost would push the level past 0 dB, its volume is
// lowered by `scale` (the tuning file's value / 100) times the excess, and
// given back when the boost goes. Writes the new volume and returns it, or
// nothing when the volume stays.
std::optional<int> CompensateGain(ParamDatabase& db, int channel, double scale);

}  // namespace caraudio
