// The whole car's levels, EQ and corrections, judged as a tuner judges
// them: the sum at the seat, computed here from the generated speakers and
// the textbook sections of what the tune set, against the house target.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "CarTune.h"
#include "EditorGrid.h"
#include "ImageLimits.h"
#include "ImpulseFrequencyResponse.h"
#include "Target.h"
#include "Textbook.h"
#include "TextbookCrossover.h"
#include "WholeCar.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::whole;

const HouseCurve kHouse{6, 80, -1.5, 1000};

// Delays from the path lengths and the phase button pressed where a
// speaker is wired inverted, so the test judges only levels and EQ.
EffectBlock AlignedByPaths(const std::vector<CarChannel>& car) {
    EffectBlock image = InstallersImage(car);
    double farthest = 0;
    for (const CarChannel& c : car) farthest = std::max(farthest, c.speaker.pathM);
    for (const CarChannel& c : car) {
        image.Set(*FindParam(param::Delay(c.block)),
                  static_cast<uint16_t>(std::lround((farthest - c.speaker.pathM) / kSpeedOfSound * 48000)));
        if (c.speaker.polarity < 0)
            image.Set(*FindParam(param::PhaseCtrl),
                      static_cast<uint16_t>(image.Get(*FindParam(param::PhaseCtrl)) | 1 << c.block));
    }
    return image;
}

std::vector<SeatChannel> Measured(const std::vector<CarChannel>& car) {
    std::vector<SeatChannel> channels;
    unsigned seed = 1;
    for (const CarChannel& c : car)
        channels.push_back(SeatChannelFromImpulse({Render(c.speaker, 0.5, seed++), 48000},
                                                  {MeasuredWith::Flat, c.block, InstallersImage(car)},
                                                  Side::Unknown, EditorGrid())
                               .channel);
    return channels;
}

class CarTuneTest : public ::testing::TestWithParam<int> {};

// Nearer the target than untouched and within 2 dB RMS; no band lifts
// below a high-pass or above a low-pass corner; every value within what
// the box's controls give.
TEST_P(CarTuneTest, BringsTheSumToTheTargetWithinTheSpeakersBands) {
    const std::vector<CarChannel> car = WholeCar(GetParam());
    const EffectBlock aligned = AlignedByPaths(car);
    CarTuneOptions options;
    options.target = HouseCurveOnGrid(kHouse, EditorGrid());
    const CarTuneResult r = TuneLevelsAndEq(Measured(car), aligned, options);

    const double before = HeardRms(car, aligned, kHouse), after = HeardRms(car, r.image, kHouse);
    EXPECT_LT(after, 2.0) << "before " << before;
    EXPECT_LT(after, before - 1);
    EXPECT_NEAR(r.rmsAfterDb, after, 0.3) << "the tune's own figure is what is heard";
    EXPECT_TRUE(OutOfLimitParams(r.image, options.limits).empty());
    for (const CarChannel& c : car)
        for (int i = 0; i < FrequencyGrid::kPoints; i += 4) {
            const double hz = test::EditorGridHz(i);
            const bool below = c.highPass.slopeDb && hz < c.highPass.hz;
            const bool above = c.lowPass.slopeDb && hz > c.lowPass.hz;
            if (below || above) {
                EXPECT_LT(20 * std::log10(std::abs(BandsAt(r.image, c.block, hz))), 0.5)
                    << c.speaker.name << " at " << hz << " Hz";
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Cars, CarTuneTest, ::testing::Range(0, 4));

}  // namespace
}  // namespace caraudio::analysis
