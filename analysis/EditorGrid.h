#pragma once

#include "FrequencyGrid.h"

namespace caraudio::analysis {

// The frequency grid the EQ editor and `caraudio-cli curve` draw on (from
// 17 Hz), built once; comparisons with the box's curves are made on it.
FrequencyGrid& EditorGrid();

}  // namespace caraudio::analysis
