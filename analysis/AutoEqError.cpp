#include <cmath>
#include <limits>

#include "AutoEq.h"
#include "EditorGrid.h"
#include "Measurement.h"
#include "Smoothing.h"

namespace caraudio::analysis {

Response SmoothedOnGrid(const Response& curve, Smoothing smoothing) {
    const FrequencyGrid& grid = EditorGrid();
    Measurement m;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (std::isfinite(curve[static_cast<size_t>(i)]))
            m.points.push_back({grid.Hz(i), curve[static_cast<size_t>(i)], std::nan("")});
    if (m.points.size() < 2) return curve;
    const Measurement smoothed = SmoothMeasurement(m, smoothing);
    Response out = curve;
    size_t k = 0;
    for (double& db : out)
        if (std::isfinite(db)) db = smoothed.points[k++].db;
    return out;
}

Response SixthOctaveOnGrid(const Response& curve) {
    return SmoothedOnGrid(curve, Smoothing::Octave6);
}

double AutoEqRmsError(const Response& predicted, const Response& target, double loHz, double hiHz) {
    const FrequencyGrid& grid = EditorGrid();
    const Response smoothed = SixthOctaveOnGrid(predicted);
    double sum = 0;
    int count = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const auto k = static_cast<size_t>(i);
        if (!std::isfinite(smoothed[k]) || !std::isfinite(target[k]) || grid.Hz(i) < loHz ||
            grid.Hz(i) > hiHz)
            continue;
        sum += (smoothed[k] - target[k]) * (smoothed[k] - target[k]);
        ++count;
    }
    return count ? std::sqrt(sum / count) : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace caraudio::analysis
