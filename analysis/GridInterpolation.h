#pragma once

#include "EqCurveModel.h"
#include "Measurement.h"

namespace caraudio::analysis {

// A measurement at every point of the editor's frequency grid (EditorGrid()),
// in the same array the EQ curves use: straight lines between the measured
// points in log frequency and dB. Grid points below the first or above the last measured
// frequency are NaN, so a partial measurement draws only where it has data.
Response InterpolateOntoGrid(const Measurement& m, const FrequencyGrid& grid);

}  // namespace caraudio::analysis
