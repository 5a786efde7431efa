// Measurement files from anywhere: reading never crashes, and whatever it
// accepts keeps the promises the overlay relies on, through smoothing, the
// grid and the level alignment.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "EditorGrid.h"
#include "FuzzCheck.h"
#include "GridInterpolation.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "Smoothing.h"

using namespace caraudio;
using namespace caraudio::analysis;

namespace {

void CheckPoints(const Measurement& m) {
    FUZZ_CHECK(m.points.size() >= 2);
    FUZZ_CHECK(m.points.size() <= MeasurementLimits{}.points);
    for (size_t i = 0; i < m.points.size(); ++i) {
        FUZZ_CHECK(std::isfinite(m.points[i].hz) && m.points[i].hz > 0);
        FUZZ_CHECK(std::fabs(m.points[i].db) <= kMaxMeasurementLevelDb);
        if (i > 0) FUZZ_CHECK(m.points[i].hz > m.points[i - 1].hz);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MeasurementRead r = ReadMeasurement(text);
    if (r.status != MeasurementStatus::Read) {
        FUZZ_CHECK(r.measurement.points.empty());
        FUZZ_CHECK(r.line >= 0);
        return 0;
    }
    const Measurement& m = r.measurement;
    CheckPoints(m);
    double lo = m.points[0].db, hi = lo;
    double closest = INFINITY;  // the smallest step between points in log2 frequency
    for (size_t i = 0; i < m.points.size(); ++i) {
        lo = std::min(lo, m.points[i].db);
        hi = std::max(hi, m.points[i].db);
        if (i > 0) closest = std::min(closest, std::log2(m.points[i].hz) - std::log2(m.points[i - 1].hz));
    }
    // Averages and straight lines stay between the lowest and highest level,
    // but for rounding: smoothing takes the difference of two running sums of
    // up to (hi - lo) times the octaves covered, over a window no narrower
    // than the closest step or the narrowest window (1/48 octave).
    const double octaves = std::log2(m.points.back().hz) - std::log2(m.points.front().hz);
    const double narrowest = std::min(closest, 0.5 / 48);
    const double slack = narrowest > 0 ? 1e-9 + 64 * 2.3e-16 * (hi - lo) * octaves / narrowest : INFINITY;
    for (Smoothing s : {Smoothing::None, Smoothing::Octave48, Smoothing::Octave3}) {
        const Measurement smoothed = SmoothMeasurement(m, s);
        FUZZ_CHECK(smoothed.points.size() == m.points.size());
        for (const MeasuredPoint& p : smoothed.points)
            FUZZ_CHECK(std::isfinite(p.db) && p.db >= lo - slack && p.db <= hi + slack);
        const Response grid = InterpolateOntoGrid(smoothed, EditorGrid());
        for (double db : grid)
            if (!std::isnan(db)) FUZZ_CHECK(db >= lo - slack && db <= hi + slack);
    }
    const Response measured = InterpolateOntoGrid(m, EditorGrid());
    Response flat{};
    const LevelAlignment a = AlignLevel(measured, flat, EditorGrid());
    FUZZ_CHECK(a.status != LevelAlignment::Status::BadRange);
    return 0;
}
