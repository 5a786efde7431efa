#include "SeatSum.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "AutoEq.h"

namespace caraudio::analysis {

ComplexResponse AtSeat(const ComplexResponse& speakerAlone, const ComplexResponse& processing) {
    ComplexResponse out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = speakerAlone[i] * processing[i];
    return out;
}

ComplexResponse SeatSum(const std::vector<ComplexResponse>& atSeat) {
    ComplexResponse out;
    out.fill(0.0);
    for (const ComplexResponse& r : atSeat)
        for (size_t i = 0; i < out.size(); ++i) out[i] += r[i];
    return out;
}

Response PhaseDegrees(const ComplexResponse& r) {
    Response out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = std::arg(r[i]) * 180 / std::numbers::pi;
    return out;
}

SumAgainstTarget JudgeSum(const Response& sumDb, const Response& target, const FrequencyGrid& grid,
                          ReferenceRange reference, FrequencySpan range) {
    SumAgainstTarget out;
    // Smoothing averages dB, so the moved curve's smoothing is the smoothed
    // curve moved: once is enough.
    const Response smoothed = SixthOctaveOnGrid(sumDb);
    const LevelAlignment level = AlignLevel(smoothed, target, grid, reference);
    out.status = level.status;
    if (level.status != LevelAlignment::Status::Aligned) return out;
    out.offsetDb = level.offsetDb;
    double sum = 0;
    int count = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const auto k = static_cast<size_t>(i);
        if (!std::isfinite(smoothed[k]) || !std::isfinite(target[k]) || grid.Hz(i) < range.lowHz ||
            grid.Hz(i) > range.highHz)
            continue;
        const double e = smoothed[k] + level.offsetDb - target[k];
        sum += e * e;
        ++count;
    }
    out.rmsDb = count ? std::sqrt(sum / count) : std::numeric_limits<double>::quiet_NaN();
    return out;
}

}  // namespace caraudio::analysis
