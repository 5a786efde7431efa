// Several microphone positions as one: levels power-averaged point by
// point, phase from the first position.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "PositionAverage.h"

namespace caraudio::analysis {
namespace {

ComplexResponse Flat(double level, double phaseDegrees) {
    ComplexResponse r;
    r.fill(std::polar(level, phaseDegrees * std::numbers::pi / 180));
    return r;
}

TEST(PositionAverage, PowersAveragedPhaseFromTheFirst) {
    const struct {
        std::vector<std::pair<double, double>> positions;  // level, phase in degrees
        double level, phaseDegrees;
    } cases[] = {
        {{{1, 30}}, 1, 30},
        // A dip at one position: -inf dB there, -3 dB in the average, not a hole.
        {{{1, 0}, {0, 90}}, std::sqrt(0.5), 0},
        // 0 dB and -6 dB: the mean of the powers 1 and 1/4 is 5/8.
        {{{0.5, -120}, {1, 45}}, std::sqrt(0.625), -120},
        {{{2, 10}, {2, 80}, {2, 170}}, 2, 10},
    };
    for (const auto& c : cases) {
        std::vector<ComplexResponse> positions;
        for (const auto& [level, phase] : c.positions) positions.push_back(Flat(level, phase));
        const ComplexResponse a = AveragePositions(positions);
        EXPECT_NEAR(std::abs(a[500]), c.level, 1e-12);
        EXPECT_NEAR(std::arg(a[500]) * 180 / std::numbers::pi, c.phaseDegrees, 1e-9);
    }
    EXPECT_EQ(std::abs(AveragePositions({})[0]), 0);
}

// A comb that moves with the microphone is filled in by the average: over
// 200..2000 Hz the three seats' notches fall at different frequencies.
TEST(PositionAverage, AReflectionsCombIsFilledIn) {
    std::vector<ComplexResponse> positions;
    for (const double delayMs : {0.9, 1.3, 1.7}) {
        ComplexResponse r;
        for (size_t i = 0; i < r.size(); ++i) {
            const double hz =
                200 * std::pow(10.0, static_cast<double>(i) / static_cast<double>(r.size() - 1));
            r[i] = 1.0 + 0.9 * std::polar(1.0, -2 * std::numbers::pi * hz * delayMs / 1000);
        }
        positions.push_back(r);
    }
    double deepestOne = 0, deepestAveraged = 0;
    const ComplexResponse a = AveragePositions(positions);
    for (size_t i = 0; i < a.size(); ++i) {
        deepestOne = std::min(deepestOne, 20 * std::log10(std::abs(positions[0][i])));
        deepestAveraged = std::min(deepestAveraged, 20 * std::log10(std::abs(a[i])));
    }
    EXPECT_LT(deepestOne, -18);      // 1 - 0.9: a 20 dB notch at one seat
    EXPECT_GT(deepestAveraged, -6);  // -3 dB where two seats are low together
}

}  // namespace
}  // namespace caraudio::analysis
