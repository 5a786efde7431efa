#pragma once

#include "EqCurveModel.h"
#include "LevelAlignment.h"
#include "MeasuredWith.h"
#include "Measurement.h"
#include "Smoothing.h"

namespace caraudio::analysis {

// Nothing played besides the speaker: a measurement taken flat.
inline constexpr Response kNothingPlayed{};

// The speaker alone as the editor and the command-line tool set it against
// the target: the measurement smoothed on its own points, put on the grid,
// less what played while it was taken (PlayedOnGrid), and moved onto the
// target over the reference range, as far as the measurement and the
// target (over targetSpan) cover it. Redone when the file, the smoothing,
// the target, the range or what it was measured with change; the predicted
// curve is what follows every EQ edit.
LevelAlignment MeasuredCurveOnGrid(const Measurement& m, Smoothing smoothing, const Response& target,
                                   const FrequencyGrid& grid, ReferenceRange range = {},
                                   FrequencySpan targetSpan = kEverywhere,
                                   const Response& played = kNothingPlayed);

}  // namespace caraudio::analysis
