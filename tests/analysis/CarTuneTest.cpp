// The whole car's levels, EQ and corrections, judged as a tuner judges
// them: the sum at the seat, computed here from the generated speakers and
// the textbook sections of what the tune set, against the house target.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "CarTune.h"
#include "EditorGrid.h"
#include "ImageLimits.h"
#include "ImpulseSpectrum.h"
#include "Target.h"
#include "Textbook.h"
#include "TextbookCrossover.h"
#include "WholeCar.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::car;

const HouseCurve kHouse{6, 80, -1.5, 1000};

// The channel's bands as the box holds them, as cookbook sections (the
// box's band takes a third of the Q it shows).
std::complex<double> BandsAt(const EffectBlock& image, int block, double hz) {
    std::complex<double> h = 1;
    for (int b = 0; b < kBandCount; ++b) {
        const auto gain = static_cast<int16_t>(image.Get(*FindParam(param::BandGain(block, b))));
        if (gain == 0) continue;
        h *= Peaking(image.Get(*FindParam(param::BandFreq(block, b))), gain / 100.0,
                     image.Get(*FindParam(param::BandQ(block, b))) / 300.0)
                 .At(hz);
    }
    return h;
}

// What the listener hears with the image's settings, from the speakers
// themselves: bands, the box's crossovers, level, polarity, delay.
std::complex<double> HeardAt(const std::vector<CarChannel>& car, const EffectBlock& image, double hz) {
    std::complex<double> sum = 0;
    for (const CarChannel& c : car) {
        const double volumeDb = image.Get(*FindParam(param::Volume(c.block))) - 60.0;
        const double sign = image.Get(*FindParam(param::PhaseCtrl)) >> c.block & 1 ? -1 : 1;
        const double delayS = image.Get(*FindParam(param::Delay(c.block))) / 48000.0;
        sum += c.speaker.At(hz) * ChainAt(BoxChain(c), hz) * BandsAt(image, c.block, hz) * sign *
               std::pow(10.0, volumeDb / 20) * std::polar(1.0, -2 * std::numbers::pi * hz * delayS);
    }
    return sum;
}

// The RMS over 20..20000 Hz of the 1/6-octave-smoothed sum against the
// target, the sum's level set onto the target over 200..2000 Hz.
double HeardRms(const std::vector<CarChannel>& car, const EffectBlock& image) {
    std::vector<double> hz, db;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        hz.push_back(test::EditorGridHz(i));
        db.push_back(20 * std::log10(std::abs(HeardAt(car, image, hz.back()))));
    }
    const std::vector<double> smooth = test::OctaveSmoothed(hz, db, 6);
    double offset = 0;
    int n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 200 && hz[i] <= 2000) offset += HouseCurveDb(kHouse, hz[i]) - smooth[i], ++n;
    offset /= n;
    double sum = 0;
    n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 20 && hz[i] <= 20000) {
            const double e = smooth[i] + offset - HouseCurveDb(kHouse, hz[i]);
            sum += e * e, ++n;
        }
    return std::sqrt(sum / n);
}

// Delays from the path lengths, so the test judges only levels and EQ.
EffectBlock AlignedByPaths(const std::vector<CarChannel>& car) {
    EffectBlock image = InstallersImage(car);
    double farthest = 0;
    for (const CarChannel& c : car) farthest = std::max(farthest, c.speaker.pathM);
    for (const CarChannel& c : car)
        image.Set(*FindParam(param::Delay(c.block)),
                  static_cast<uint16_t>(std::lround((farthest - c.speaker.pathM) / kSpeedOfSound * 48000)));
    return image;
}

std::vector<TuneChannel> Measured(const std::vector<CarChannel>& car) {
    std::vector<TuneChannel> channels;
    unsigned seed = 1;
    for (const CarChannel& c : car)
        channels.push_back({c.block, ImpulseSpectrum({Render(c.speaker, 0.5, seed++), 48000}, EditorGrid())});
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

    const double before = HeardRms(car, aligned), after = HeardRms(car, r.image);
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
