#include "SeatSum.h"

#include <cmath>
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
    const LevelAlignment level = AlignLevel(SixthOctaveOnGrid(sumDb), target, grid, reference);
    out.status = level.status;
    if (level.status != LevelAlignment::Status::Aligned) return out;
    out.offsetDb = level.offsetDb;
    Response moved = sumDb;
    for (double& db : moved) db += level.offsetDb;
    out.rmsDb = AutoEqRmsError(moved, target, range.lowHz, range.highHz);
    return out;
}

}  // namespace caraudio::analysis
