#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "Smoothing.h"

namespace caraudio::analysis {
namespace {

// Points at `perOctave` per octave from startHz, levels from a function of log2(f).
Measurement LogSpaced(double startHz, int count, int perOctave, const std::function<double(double)>& level) {
    Measurement m;
    for (int k = 0; k < count; ++k) {
        const double octaves = static_cast<double>(k) / perOctave;
        m.points.push_back({startHz * std::pow(2.0, octaves), level(std::log2(startHz) + octaves), 0});
    }
    return m;
}

// FFT bins: evenly spaced in Hz, so ever denser in octaves.
Measurement LinearSpaced(double binHz, int count, const std::function<double(double)>& level) {
    Measurement m;
    for (int k = 1; k <= count; ++k) m.points.push_back({k * binHz, level(std::log2(k * binHz)), 0});
    return m;
}

constexpr Smoothing kEvery[] = {Smoothing::Octave48, Smoothing::Octave24, Smoothing::Octave12,
                                Smoothing::Octave6, Smoothing::Octave3};

TEST(Smoothing, ParsesTheCommandLineWords) {
    const struct {
        const char* text;
        std::optional<Smoothing> s;
        int fraction;
    } cases[] = {
        {"none", Smoothing::None, 0},      {"1/48", Smoothing::Octave48, 48},
        {"1/24", Smoothing::Octave24, 24}, {"1/12", Smoothing::Octave12, 12},
        {"1/6", Smoothing::Octave6, 6},    {" 1/3 ", Smoothing::Octave3, 3},
        {"1/5", std::nullopt, 0},          {"", std::nullopt, 0},
        {"1/6x", std::nullopt, 0},         {"6", std::nullopt, 0},
        {"1 / 6", std::nullopt, 0},        {"None", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSmoothing(c.text), c.s) << c.text;
        if (!c.s) continue;
        EXPECT_EQ(OctaveFraction(*c.s), c.fraction) << c.text;
        EXPECT_EQ(ParseSmoothing(SmoothingText(*c.s)), c.s) << c.text;
    }
}

TEST(Smoothing, LeavesConstantsAndSlopesInLogFrequencyAlone) {
    const std::function<double(double)> levels[] = {
        [](double) { return 83.5; }, [](double octave) { return 3 * octave - 10; },  // +3 dB per octave
        [](double octave) { return -4.5 * octave + 60; },                            // -4.5 dB per octave
    };
    for (const auto& level : levels) {
        const Measurement inputs[] = {LogSpaced(20, 960, 96, level), LinearSpaced(2.93, 8192, level)};
        for (const Measurement& in : inputs) {
            for (Smoothing s : kEvery) {
                const Measurement out = SmoothMeasurement(in, s);
                ASSERT_EQ(out.points.size(), in.points.size());
                for (size_t i = 0; i < in.points.size(); ++i) {
                    EXPECT_EQ(out.points[i].hz, in.points[i].hz);
                    ASSERT_NEAR(out.points[i].db, in.points[i].db, 1e-9)
                        << "1/" << OctaveFraction(s) << " at " << in.points[i].hz << " Hz";
                }
            }
        }
    }
}

TEST(Smoothing, SpreadsANarrowPeakAndLowersIt) {
    // A triangle 12 dB high and 1/96 octave wide on either side of 1 kHz, on
    // points 96 per octave: the points joined by lines are that triangle.
    // A window of +-h octave (h = 1/(2N)) that holds all of it averages its
    // area over 2h: 12 * (1/96) / (2h) at the top, the same wherever the
    // whole triangle is inside, and nothing is changed farther than h + 1/96.
    const double height = 12, halfBase = 1.0 / 96;
    const Measurement peak = LogSpaced(1000 * std::pow(2.0, -5), 961, 96, [&](double octave) {
        return std::max(0.0, height * (1 - std::fabs(octave - std::log2(1000)) / halfBase));
    });
    const size_t top = 480;
    ASSERT_NEAR(peak.points[top].hz, 1000, 1e-9);
    double lastTop = height;
    int lastWidth = 1;
    for (Smoothing s : kEvery) {
        const double h = 0.5 / OctaveFraction(s);
        const Measurement out = SmoothMeasurement(peak, s);
        const double expectedTop = height * halfBase / (2 * h);
        EXPECT_NEAR(out.points[top].db, expectedTop, 1e-9) << "1/" << OctaveFraction(s);
        EXPECT_LT(out.points[top].db, lastTop);
        int width = 0;
        for (size_t i = 0; i < out.points.size(); ++i) {
            const double octaves = std::fabs(std::log2(out.points[i].hz / 1000));
            if (octaves <= h - halfBase + 1e-9) {
                EXPECT_NEAR(out.points[i].db, expectedTop, 1e-9) << i;
            }
            if (octaves >= h + halfBase - 1e-9) {
                EXPECT_NEAR(out.points[i].db, 0, 1e-9) << i;
            }
            if (out.points[i].db > 1e-6) ++width;
        }
        EXPECT_GT(width, lastWidth) << "1/" << OctaveFraction(s);
        lastTop = out.points[top].db;
        lastWidth = width;
    }
}

TEST(Smoothing, NoneAndTinyMeasurementsPassThrough) {
    const Measurement m{{{20, 1, 10}, {40, 9, 20}, {80, 2, 30}}, true};
    const Measurement same = SmoothMeasurement(m, Smoothing::None);
    ASSERT_EQ(same.points.size(), 3u);
    EXPECT_TRUE(same.hasPhase);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(same.points[i].db, m.points[i].db);
        EXPECT_EQ(same.points[i].phaseDegrees, m.points[i].phaseDegrees);
    }
    // Ends keep their level; the middle point's +-1/6 octave window lies
    // between its neighbours, an octave away on either side.
    const Measurement smoothed = SmoothMeasurement(m, Smoothing::Octave3);
    EXPECT_EQ(smoothed.points[0].db, 1);
    EXPECT_EQ(smoothed.points[2].db, 2);
    EXPECT_FALSE(smoothed.hasPhase) << "smoothed levels and raw phases do not belong together";
    EXPECT_TRUE(std::isnan(smoothed.points[1].phaseDegrees));
    // Triangle 9 at the middle, sloping 8 dB per octave down and 7 up: the
    // mean over +-1/6 octave is 9 - (8 + 7) / 2 * (1/6) / 2.
    EXPECT_NEAR(smoothed.points[1].db, 9 - 7.5 / 12, 1e-12);
}

}  // namespace
}  // namespace caraudio::analysis
