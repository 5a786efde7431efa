#include "MeasuredCurve.h"

#include "GridInterpolation.h"

namespace caraudio::analysis {

LevelAlignment MeasuredCurveOnGrid(const Measurement& m, Smoothing smoothing, const Response& target,
                                   const FrequencyGrid& grid, ReferenceRange range) {
    return AlignLevel(InterpolateOntoGrid(SmoothMeasurement(m, smoothing), grid), target, grid, range);
}

}  // namespace caraudio::analysis
