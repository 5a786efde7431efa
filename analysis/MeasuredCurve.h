#pragma once

#include "EqCurveModel.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "Smoothing.h"

namespace caraudio::analysis {

// The measured curve as the editor and the command-line tool show it: the
// measurement smoothed on its own points, put on the grid, and moved onto
// the target over the reference range, as far as the measurement and the
// target (over targetSpan) cover it. Redone when the file, the smoothing,
// the target or the range change; the predicted curve is what follows every
// EQ edit.
LevelAlignment MeasuredCurveOnGrid(const Measurement& m, Smoothing smoothing, const Response& target,
                                   const FrequencyGrid& grid, ReferenceRange range = {},
                                   FrequencySpan targetSpan = kEverywhere);

}  // namespace caraudio::analysis
