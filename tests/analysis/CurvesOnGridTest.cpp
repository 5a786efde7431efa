// The measurement on the editor's grid: interpolation, level alignment and
// the predicted response.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "GridInterpolation.h"
#include "LevelAlignment.h"
#include "MeasuredCurve.h"
#include "PredictedResponse.h"

namespace caraudio::analysis {
namespace {

struct Grid {
    Grid() { grid.Build(17); }
    FrequencyGrid grid;
};

Measurement PointsAt(std::initializer_list<std::pair<double, double>> hzDb) {
    Measurement m;
    for (auto [hz, db] : hzDb) m.points.push_back({hz, db, NAN});
    return m;
}

// A grid curve from a function of frequency; NaN outside [fromHz, toHz].
Response CurveOf(const FrequencyGrid& grid, const std::function<double(double)>& db, double fromHz = 0,
                 double toHz = 1e9) {
    Response r;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = grid.Hz(i);
        r[static_cast<size_t>(i)] = hz >= fromHz && hz <= toHz ? db(hz) : NAN;
    }
    return r;
}

TEST(GridInterpolation, StraightInLogFrequency) {
    Grid g;
    // A line of 4.2 dB per decade, given by a few points far apart: every
    // grid point lies on it.
    auto line = [](double hz) { return 4.2 * std::log10(hz) + 61; };
    const Measurement sparse =
        PointsAt({{5, line(5)}, {33, line(33)}, {1000, line(1000)}, {30000, line(30000)}});
    const Response r = InterpolateOntoGrid(sparse, g.grid);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        ASSERT_NEAR(r[static_cast<size_t>(i)], line(g.grid.Hz(i)), 1e-9) << i;

    // Points on grid frequencies come through as they are; the grid point
    // halfway between two of them in log frequency gets the mean level.
    const Measurement onGrid =
        PointsAt({{g.grid.Hz(100), 70}, {g.grid.Hz(300), 90}, {g.grid.Hz(700), 60}, {g.grid.Hz(900), 60.5}});
    const Response s = InterpolateOntoGrid(onGrid, g.grid);
    const struct {
        int i;
        double db;
    } expected[] = {{100, 70}, {200, 80}, {300, 90}, {500, 75}, {700, 60}, {800, 60.25}, {900, 60.5}};
    for (const auto& e : expected) EXPECT_NEAR(s[static_cast<size_t>(e.i)], e.db, 1e-9) << e.i;
}

TEST(GridInterpolation, NothingOutsideTheMeasuredRange) {
    Grid g;
    const struct {
        double fromHz, toHz;
    } ranges[] = {{100, 5000}, {5, 100000}, {g.grid.Hz(10), g.grid.Hz(20)}, {30000, 40000}, {1000, 1000.5}};
    for (const auto& r : ranges) {
        const Response c = InterpolateOntoGrid(PointsAt({{r.fromHz, 80}, {r.toHz, 81}}), g.grid);
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = g.grid.Hz(i);
            const bool covered = hz >= r.fromHz && hz <= r.toHz;
            EXPECT_EQ(std::isnan(c[static_cast<size_t>(i)]), !covered)
                << r.fromHz << ".." << r.toHz << " at " << hz;
        }
    }
}

TEST(LevelAlignment, MeanOverTheRangeLandsOnTheTarget) {
    Grid g;
    const Response house =
        CurveOf(g.grid, [](double hz) { return 6 / (1 + hz / 80) - 1.5 * std::log10(hz); });
    // Measured: the target 4 dB up inside the reference range, far off
    // outside it; only the part inside counts.
    auto offTarget = [&](double hz, double inside) {
        const double t = 6 / (1 + hz / 80) - 1.5 * std::log10(hz);
        return hz >= 200 && hz <= 2000 ? t + inside : t + 30 * std::sin(hz);
    };
    const struct {
        const char* name;
        Response measured;
        double offset;
    } cases[] = {
        {"whole range", CurveOf(g.grid, [&](double hz) { return offTarget(hz, 4); }), -4},
        {"absolute level", CurveOf(g.grid, [&](double hz) { return offTarget(hz, 85); }), -85},
        {"only part of the range measured",
         CurveOf(
             g.grid, [&](double hz) { return offTarget(hz, -7); }, 500, 9000),
         7},
    };
    for (const auto& c : cases) {
        const LevelAlignment a = AlignLevel(c.measured, house, g.grid);
        ASSERT_EQ(a.status, LevelAlignment::Status::Aligned) << c.name;
        EXPECT_NEAR(a.offsetDb, c.offset, 1e-9) << c.name;
        for (size_t i = 0; i < a.aligned.size(); ++i) {
            if (std::isnan(c.measured[i])) {
                EXPECT_TRUE(std::isnan(a.aligned[i])) << c.name;
                continue;
            }
            EXPECT_NEAR(a.aligned[i], c.measured[i] + c.offset, 1e-9) << c.name;
        }
    }
}

TEST(LevelAlignment, ChosenRangeAndRangesWithoutPoints) {
    Grid g;
    const Response flat = CurveOf(g.grid, [](double) { return 0; });
    const Response step = CurveOf(g.grid, [](double hz) { return hz < 1000 ? 80 : 90; });
    using S = LevelAlignment::Status;
    const struct {
        ReferenceRange range;
        Response measured;
        S status;
        double offset;
    } cases[] = {
        {{100, 500}, step, S::Aligned, -80},
        {{2000, 5000}, step, S::Aligned, -90},
        {{30000, 40000}, step, S::NoPoints, 0},
        {{200, 2000},
         CurveOf(
             g.grid, [](double) { return 75; }, 5000, 10000),
         S::NoPoints,
         0},
        {{2000, 200}, step, S::BadRange, 0},
        {{0, 2000}, step, S::BadRange, 0},
        {{NAN, 2000}, step, S::BadRange, 0},
        {{200, INFINITY}, step, S::BadRange, 0},
    };
    for (const auto& c : cases) {
        const LevelAlignment a = AlignLevel(c.measured, flat, g.grid, c.range);
        EXPECT_EQ(a.status, c.status) << c.range.lowHz << ".." << c.range.highHz;
        EXPECT_NEAR(a.offsetDb, c.offset, 1e-9) << c.range.lowHz << ".." << c.range.highHz;
        if (c.status != S::Aligned) {
            for (size_t i = 0; i < a.aligned.size(); ++i)
                EXPECT_TRUE(a.aligned[i] == c.measured[i] || std::isnan(c.measured[i])) << "left as it was";
        }
    }
}

TEST(PredictedResponse, MeasurementPlusTheChannelsCurve) {
    Grid g;
    EqCurveModel channel(g.grid);
    std::array<EqFilterInput, EqCurveModel::kBands> bands;
    for (int n = 0; n < EqCurveModel::kBands; ++n)
        bands[static_cast<size_t>(n)] = {EqFilterRole::Band, EqFilterType::Peaking, 100.0 + n, 0, 2.53, 2.53};
    ASSERT_TRUE(channel.InitBands(bands));
    // A peaking band has its full gain at its own frequency, whatever its
    // width; a 4th-order Linkwitz-Riley high pass is 6.02 dB down at its corner.
    const int bandAt = 900, cornerAt = 360;
    channel.SetBand(4, {EqFilterRole::Band, EqFilterType::Peaking, g.grid.Hz(bandAt), -5.5, 3, 3});
    channel.SetHighPass(g.grid.Hz(cornerAt), -24, 1.0, EqFilterType::Linkwitz);

    const Response measured = CurveOf(
        g.grid, [](double hz) { return 70 + 3 * std::sin(std::log(hz)); }, 50, 15000);
    const Response predicted = PredictedResponse(measured, channel);
    EXPECT_NEAR(predicted[bandAt], measured[bandAt] - 5.5, 1e-4);
    EXPECT_NEAR(predicted[cornerAt], measured[cornerAt] - 6.0206, 1e-3);
    for (size_t i = 0; i < predicted.size(); ++i) {
        if (std::isnan(measured[i])) {
            EXPECT_TRUE(std::isnan(predicted[i])) << "no measurement, no prediction at " << g.grid.Hz(int(i));
        } else {
            EXPECT_NEAR(predicted[i], measured[i] + channel.Curve1()[i], 1e-12);
        }
    }
    // Two octaves below the corner the high pass takes the level down hard.
    const size_t low = static_cast<size_t>(
        std::find_if(measured.begin(), measured.end(), [](double db) { return !std::isnan(db); }) -
        measured.begin());
    ASSERT_LT(g.grid.Hz(int(low)) * 4, g.grid.Hz(cornerAt));
    EXPECT_LT(predicted[low] - measured[low], -40);
}

TEST(MeasuredCurve, SmoothedOnTheGridAndOnTheTarget) {
    Grid g;
    // A measurement from 100 Hz to 10 kHz at 48 points per octave: 86 dB but
    // one point near 3 kHz 20 dB down. On a flat target the level lands at
    // 0 dB (the dip is outside the reference range). 1/3-octave smoothing
    // spreads the dip's area, 20 dB times 1/48 octave, over 1/3 octave.
    Measurement m;
    for (int k = 0; k < 320; ++k)
        m.points.push_back({100 * std::pow(2.0, k / 48.0), k == 235 ? 66.0 : 86.0, NAN});
    const Response flat{};
    const LevelAlignment raw = MeasuredCurveOnGrid(m, Smoothing::None, flat, g.grid);
    const LevelAlignment third = MeasuredCurveOnGrid(m, Smoothing::Octave3, flat, g.grid);
    ASSERT_EQ(raw.status, LevelAlignment::Status::Aligned);
    ASSERT_EQ(third.status, LevelAlignment::Status::Aligned);
    EXPECT_NEAR(raw.offsetDb, -86, 1e-9);
    EXPECT_NEAR(third.offsetDb, -86, 1e-9);
    double rawLowest = 0, thirdLowest = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const size_t k = static_cast<size_t>(i);
        const double hz = g.grid.Hz(i);
        EXPECT_EQ(std::isnan(third.aligned[k]), hz < m.points.front().hz || hz > m.points.back().hz) << hz;
        if (std::isnan(raw.aligned[k])) continue;
        rawLowest = std::min(rawLowest, raw.aligned[k]);
        thirdLowest = std::min(thirdLowest, third.aligned[k]);
    }
    EXPECT_LT(rawLowest, -15);
    EXPECT_NEAR(thirdLowest, -20.0 / 48 * 3, 1e-9);
}

// The level is set over as much of the reference range as the measurement
// and the target both cover, and that is the range named.
TEST(MeasuredCurve, LevelledOverWhatBothCover) {
    Grid g;
    auto slope = [](double hz) { return 80 + 6 * std::log2(hz / 1000); };  // 6 dB per octave
    const struct {
        double fromHz, toHz;   // measured
        FrequencySpan target;  // where the target file has levels
        FrequencySpan used;
    } cases[] = {
        {20, 20000, kEverywhere, {200, 2000}},
        {900, 1100, kEverywhere, {900, 1100}},
        {20, 20000, {500, 2000}, {500, 2000}},
        {300, 20000, {20, 1500}, {300, 1500}},
    };
    for (const auto& c : cases) {
        Measurement m;
        for (int k = 0; k <= 100; ++k) {
            const double hz = c.fromHz * std::pow(c.toHz / c.fromHz, k / 100.0);
            m.points.push_back({hz, slope(hz), NAN});
        }
        const Response target = CurveOf(
            g.grid, [](double) { return 3; }, c.target.lowHz, c.target.highHz);
        const LevelAlignment a =
            MeasuredCurveOnGrid(m, Smoothing::None, target, g.grid, {200, 2000}, c.target);
        ASSERT_EQ(a.status, LevelAlignment::Status::Aligned) << c.fromHz;
        EXPECT_EQ(a.used, c.used) << c.fromHz << ".." << c.toHz;
        // The mean over the grid points of the range used, worked out here.
        double sum = 0;
        int n = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i)
            if (g.grid.Hz(i) >= c.used.lowHz && g.grid.Hz(i) <= c.used.highHz)
                sum += slope(g.grid.Hz(i)), ++n;
        EXPECT_NEAR(a.offsetDb, 3 - sum / n, 1e-6) << c.fromHz << ".." << c.toHz;
    }
}

}  // namespace
}  // namespace caraudio::analysis
