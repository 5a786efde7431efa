#include "LevelAlignment.h"

#include <cmath>

namespace caraudio::analysis {

LevelAlignment AlignLevel(const Response& measured, const Response& target, const FrequencyGrid& grid,
                          ReferenceRange range, FrequencySpan covered) {
    LevelAlignment r;
    r.aligned = measured;
    if (!(std::isfinite(range.lowHz) && std::isfinite(range.highHz) && range.lowHz > 0 &&
          range.lowHz < range.highHz))
        return r;
    const FrequencySpan used = Overlap({range.lowHz, range.highHz}, covered);
    double measuredSum = 0, targetSum = 0;
    int count = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = grid.Hz(i);
        const size_t k = static_cast<size_t>(i);
        if (hz < used.lowHz || hz > used.highHz || std::isnan(measured[k]) || std::isnan(target[k])) continue;
        measuredSum += measured[k];
        targetSum += target[k];
        ++count;
    }
    if (count == 0) {
        r.status = LevelAlignment::Status::NoPoints;
        return r;
    }
    r.status = LevelAlignment::Status::Aligned;
    r.used = used;
    r.offsetDb = (targetSum - measuredSum) / count;
    for (double& db : r.aligned) db += r.offsetDb;
    return r;
}

}  // namespace caraudio::analysis
