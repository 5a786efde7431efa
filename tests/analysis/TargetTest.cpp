#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "Target.h"

namespace caraudio::analysis {
namespace {

// The analog low shelf of the audio-EQ cookbook, slope 1 (Q = 1/sqrt(2)),
// evaluated as a complex transfer function at s = j f / f0.
double CookbookLowShelfDb(double gainDb, double cornerHz, double hz) {
    const double A = std::pow(10.0, gainDb / 40);
    const double Q = 1 / std::sqrt(2.0);
    const std::complex<double> s(0, hz / cornerHz);
    const std::complex<double> H =
        A * (s * s + std::sqrt(A) / Q * s + A) / (A * s * s + std::sqrt(A) / Q * s + 1.0);
    return 20 * std::log10(std::abs(H));
}

TEST(HouseCurve, ShelfLiftAndTrebleTilt) {
    const HouseCurve curves[] = {
        {6, 80, -1.5, 1000}, {10, 120, -3, 2000}, {-4, 40, 2, 500}, {0, 80, 0, 1000}};
    const double frequencies[] = {10, 20, 40, 80, 120, 160, 400, 999, 1000, 1001, 4000, 10000, 20000};
    for (const HouseCurve& h : curves) {
        for (double hz : frequencies) {
            const double tilt = hz > h.tiltFromHz ? h.tiltDbPerDecade * std::log10(hz / h.tiltFromHz) : 0;
            EXPECT_NEAR(HouseCurveDb(h, hz), CookbookLowShelfDb(h.bassDb, h.bassHz, hz) + tilt, 1e-9)
                << h.bassDb << "@" << h.bassHz << "," << h.tiltDbPerDecade << "@" << h.tiltFromHz << " at "
                << hz;
        }
    }
    // What an installer reads off the curve: the lift in full far below the
    // corner, half of it at the corner, the tilt per decade.
    const HouseCurve car{6, 80, -1.5, 1000};
    EXPECT_NEAR(HouseCurveDb(car, 5), 6, 0.01);
    EXPECT_NEAR(HouseCurveDb(car, 80), 3, 1e-12);
    EXPECT_NEAR(HouseCurveDb(car, 10000) - HouseCurveDb(car, 1000), -1.5, 0.01);
    EXPECT_NEAR(HouseCurveDb(car, 20000), -1.5 * std::log10(20.0), 0.01);
}

TEST(HouseCurve, OnTheGrid) {
    FrequencyGrid grid;
    grid.Build(17);
    const HouseCurve car{6, 80, -1.5, 1000};
    const Response r = HouseCurveOnGrid(car, grid);
    for (int i : {0, 100, 511, 1023})
        EXPECT_NEAR(r[static_cast<size_t>(i)], HouseCurveDb(car, grid.Hz(i)), 1e-12);
    for (double v : HouseCurveOnGrid(HouseCurve{}, grid)) EXPECT_NEAR(v, 0, 1e-12) << "flat";
}

TEST(TargetText, CommandLineForms) {
    using S = TargetText::Status;
    const struct {
        const char* text;
        S status;
        TargetKind kind;
        HouseCurve house;
        const char* path;
    } cases[] = {
        {"flat", S::Read, TargetKind::Flat, {0, 80, 0, 1000}, ""},
        {" flat ", S::Read, TargetKind::Flat, {0, 80, 0, 1000}, ""},
        {"house:6@80,-1.5", S::Read, TargetKind::House, {6, 80, -1.5, 1000}, ""},
        {"house:6@80", S::Read, TargetKind::House, {6, 80, 0, 1000}, ""},
        {"house:+3.5@120,-2@2000", S::Read, TargetKind::House, {3.5, 120, -2, 2000}, ""},
        {"house: 6 @ 80 , -1.5 ", S::Read, TargetKind::House, {6, 80, -1.5, 1000}, ""},
        {"house:-24@1000,20@20000", S::Read, TargetKind::House, {-24, 1000, 20, 20000}, ""},
        {"targets/car curve.txt", S::Read, TargetKind::File, {}, "targets/car curve.txt"},
        {"Flat", S::Read, TargetKind::File, {}, "Flat"},
        {"", S::Empty, TargetKind::Flat, {}, ""},
        {"   ", S::Empty, TargetKind::Flat, {}, ""},
    };
    for (const auto& c : cases) {
        const TargetText t = ParseTargetText(c.text);
        EXPECT_EQ(t.status, c.status) << c.text;
        EXPECT_EQ(t.kind, c.kind) << c.text;
        EXPECT_EQ(t.path, c.path) << c.text;
        if (c.kind == TargetKind::File) continue;
        EXPECT_EQ(t.house.bassDb, c.house.bassDb) << c.text;
        EXPECT_EQ(t.house.bassHz, c.house.bassHz) << c.text;
        EXPECT_EQ(t.house.tiltDbPerDecade, c.house.tiltDbPerDecade) << c.text;
        EXPECT_EQ(t.house.tiltFromHz, c.house.tiltFromHz) << c.text;
    }
}

TEST(TargetText, BadHouseText) {
    using S = TargetText::Status;
    const struct {
        const char* text;
        S status;
    } cases[] = {
        {"house:", S::BadHouse},
        {"house:6", S::BadHouse},
        {"house:6@", S::BadHouse},
        {"house:@80", S::BadHouse},
        {"house:six@80", S::BadHouse},
        {"house:6@80,", S::BadHouse},
        {"house:6@80,-1.5,2", S::BadHouse},
        {"house:6@80;-1.5", S::BadHouse},
        {"house:6@80@90", S::BadHouse},
        {"house:6,5@80", S::BadHouse},
        {"house:nan@80", S::BadHouse},
        {"house:6@inf", S::BadHouse},
        {"house:6@80,-1.5@", S::BadHouse},
        {"house:25@80", S::HouseOutOfRange},
        {"house:6@5", S::HouseOutOfRange},
        {"house:6@2000", S::HouseOutOfRange},
        {"house:6@80,-21", S::HouseOutOfRange},
        {"house:6@80,-1.5@10", S::HouseOutOfRange},
        {"house:6@80,-1.5@30000", S::HouseOutOfRange},
    };
    for (const auto& c : cases) {
        const TargetText t = ParseTargetText(c.text);
        EXPECT_EQ(t.status, c.status) << c.text;
        EXPECT_EQ(t.kind, TargetKind::House) << c.text;
    }
}

}  // namespace
}  // namespace caraudio::analysis
