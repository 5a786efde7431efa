#pragma once

#include "EqCurveModel.h"

namespace caraudio::analysis {

// What the channel will measure once its EQ and crossovers act: the speaker
// alone (MeasuredCurveOnGrid: the measurement without what played while it
// was taken, aligned) plus the channel's curve now (Curve1, bands and
// crossovers) at every grid point; NaN where the measurement has no level.
Response PredictedResponse(const Response& alignedSpeaker, const EqCurveModel& channel);

}  // namespace caraudio::analysis
