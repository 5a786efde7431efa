#include "MeasuredCurve.h"

#include "GridInterpolation.h"

namespace caraudio::analysis {

LevelAlignment MeasuredCurveOnGrid(const Measurement& m, Smoothing smoothing, const Response& target,
                                   const FrequencyGrid& grid, ReferenceRange range, FrequencySpan targetSpan,
                                   const Response& played) {
    return AlignLevel(SpeakerAlone(InterpolateOntoGrid(SmoothMeasurement(m, smoothing), grid), played),
                      target, grid, range, Overlap(SpanOf(m), targetSpan));
}

}  // namespace caraudio::analysis
