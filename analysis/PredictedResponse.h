#pragma once

#include "EqCurveModel.h"

namespace caraudio::analysis {

// What the channel will measure once its EQ and crossovers act: the aligned
// measurement plus the channel's curve (Curve1, bands and crossovers) at
// every grid point; NaN where the measurement has no level.
Response PredictedResponse(const Response& alignedMeasured, const EqCurveModel& channel);

}  // namespace caraudio::analysis
