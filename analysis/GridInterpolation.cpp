#include "GridInterpolation.h"

#include <cmath>
#include <limits>

namespace caraudio::analysis {

Response InterpolateOntoGrid(const Measurement& m, const FrequencyGrid& grid) {
    Response out;
    out.fill(std::numeric_limits<double>::quiet_NaN());
    const std::vector<MeasuredPoint>& p = m.points;
    if (p.size() < 2) return out;
    // The grid rises, so the segment only moves up.
    size_t k = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = grid.Hz(i);
        if (hz < p.front().hz || hz > p.back().hz) continue;
        while (k + 2 < p.size() && p[k + 1].hz <= hz) ++k;
        // Rounding near two frequencies a step apart must not leave the segment.
        double t = std::log(hz / p[k].hz) / std::log(p[k + 1].hz / p[k].hz);
        if (!(t >= 0)) t = 0;
        if (t > 1) t = 1;
        out[static_cast<size_t>(i)] = p[k].db + t * (p[k + 1].db - p[k].db);
    }
    return out;
}

}  // namespace caraudio::analysis
