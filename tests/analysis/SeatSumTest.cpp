// The sum at the seat: impulse responses' spectra with their phase, the
// box's processing with its phase, and the channels added as the sound adds.
// The truth is the generated speakers' own response and the textbook
// sections, never the program's functions.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "BoxSettings.h"
#include "EditorGrid.h"
#include "EffectBlock.h"
#include "ImpulseFrequencyResponse.h"
#include "ParameterTable.h"
#include "ProcessingResponse.h"
#include "SeatSum.h"
#include "SyntheticCar.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::car;
using namespace caraudio::test::box;

double Db(std::complex<double> h) {
    return 20 * std::log10(std::abs(h));
}

double PhaseGapDeg(std::complex<double> a, std::complex<double> b) {
    return std::fabs(std::arg(a / b)) * 180 / std::numbers::pi;
}

ImpulseResponse Measured(const Speaker& s, unsigned seed = 1) {
    return {Render(s, 0.5, seed), static_cast<int>(kRate)};
}

struct SpeakerCase {
    const char* name;
    Speaker speaker;
    double fromHz, toHz;  // where the speaker plays within 30 dB of its best
};

std::vector<SpeakerCase> Speakers() {
    Speaker tweeter{"tweeter", Then(Tweeter(1200), Crossover(Kind::Butterworth, true, 3, 3500)),
                    0.4,       1,
                    0.9,       {{0.4, 0.5}},
                    -100};
    Speaker mid{"door mid", DoorMid(), 0.3, -1, 1.3, {{0.7, 0.6}, {1.9, -0.3}}, -100};
    Speaker sub{
        "trunk sub", Then(Sub(), Crossover(Kind::LinkwitzRiley, false, 8, 70)), 0.5, 1, 3.1, {{1.2, 0.7}},
        -100};
    return {{"tweeter", tweeter, 2500, 20000}, {"mid", mid, 60, 6000}, {"sub", sub, 25, 110}};
}

class ImpulseFrequencyResponseTest : public ::testing::TestWithParam<SpeakerCase> {};

// At every grid point in the speaker's band the spectrum is the speaker's
// own response, its path's delay included: the error, as a vector, stays
// 50 dB under (over a noise floor 100 dB under the impulse's peak) the band's loudest point (that holds the
// phase too), and the level is right to 0.1 dB wherever it is within 20 dB of that.
TEST_P(ImpulseFrequencyResponseTest, IsTheSpeakersResponseWithItsDelay) {
    const SpeakerCase& c = GetParam();
    const ComplexResponse r = ImpulseFrequencyResponse(Measured(c.speaker), EditorGrid());
    double loudest = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (EditorGrid().Hz(i) >= c.fromHz && EditorGrid().Hz(i) <= c.toHz)
            loudest = std::max(loudest, std::abs(c.speaker.At(EditorGrid().Hz(i))));
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = EditorGrid().Hz(i);
        if (hz < c.fromHz || hz > c.toHz) continue;
        const std::complex<double> truth = c.speaker.At(hz), got = r[static_cast<size_t>(i)];
        EXPECT_LT(Db(got - truth), Db(loudest) - 50) << hz << " Hz";
        if (Db(truth) > Db(loudest) - 20) {
            EXPECT_NEAR(Db(got), Db(truth), 0.1) << hz << " Hz";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Speakers, ImpulseFrequencyResponseTest, ::testing::ValuesIn(Speakers()),
                         [](const auto& info) { return std::string(info.param.name); });

struct PassCase {
    int type, slopeDb, hz;
    bool high;
};

class ProcessingCrossoverTest : public ::testing::TestWithParam<PassCase> {};

// A crossover of whole sections is the cookbook section repeated; with a
// 6 dB/oct remainder its square is the section repeated twice as often,
// and its phase runs on without a jump (one branch of the root).
TEST_P(ProcessingCrossoverTest, IsTheSectionToTheSlopesPower) {
    const PassCase c = GetParam();
    EffectBlock image = DefaultEffectBlock();
    const int channel = 2;
    SetOff(image, channel);
    SetPass(image, channel, c.high, c.type, c.slopeDb, c.hz);
    const ComplexResponse r = ProcessingResponse(image, channel, {true, false, false, false}, EditorGrid());
    const Biquad section = SecondOrder(c.high, c.hz, BoxSectionQ(c.type));
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = EditorGrid().Hz(i);
        const std::complex<double> h = r[static_cast<size_t>(i)];
        const std::complex<double> twice = std::pow(section.At(hz), c.slopeDb / 6);
        if (Db(twice) < -150) continue;
        EXPECT_NEAR(std::abs(h * h - twice), 0, 1e-6 * std::abs(twice) + 1e-12) << hz << " Hz";
        if (c.slopeDb % 12 == 0) {
            const std::complex<double> whole = std::pow(section.At(hz), c.slopeDb / 12);
            EXPECT_NEAR(std::abs(h - whole), 0, 1e-6 * std::abs(whole) + 1e-12) << hz << " Hz";
        }
        if (i > 0) {
            EXPECT_LT(PhaseGapDeg(h, r[static_cast<size_t>(i - 1)]), 10) << hz << " Hz";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Passes, ProcessingCrossoverTest,
                         ::testing::Values(PassCase{2, 24, 80, false}, PassCase{2, 48, 3000, true},
                                           PassCase{0, 12, 120, true}, PassCase{1, 36, 2500, false},
                                           PassCase{0, 6, 100, true}, PassCase{2, 18, 4500, false},
                                           PassCase{0, 42, 60, false}, PassCase{1, 30, 2000, true}));

// EQ bands, volume, the phase button and the delay: the cookbook peaking
// sections, a gain, a sign and a pure delay of whole samples at 48 kHz.
TEST(ProcessingResponseTest, BandsLevelPolarityAndDelay) {
    EffectBlock image = DefaultEffectBlock();
    const int channel = 4;
    SetOff(image, channel);
    SetBand(image, channel, 3, 250, 3.0, -6);
    SetBand(image, channel, 17, 4000, 1.5, 4.5);
    SetLevelPolarityDelay(image, channel, -7, true, 137);
    const ComplexResponse r = ProcessingResponse(image, channel, {}, EditorGrid());
    // The box's band takes a third of the Q it shows.
    const Biquad a = Peaking(250, -6, 1.0), b = Peaking(4000, 4.5, 0.5);
    for (int i = 0; i < FrequencyGrid::kPoints; i += 7) {
        const double hz = EditorGrid().Hz(i);
        const std::complex<double> truth = -std::pow(10.0, -7 / 20.0) * a.At(hz) * b.At(hz) *
                                           std::polar(1.0, -2 * std::numbers::pi * hz * 137 / 48000);
        EXPECT_NEAR(std::abs(r[static_cast<size_t>(i)] - truth), 0, 1e-6) << hz << " Hz";
    }
    const ComplexResponse eqOnly =
        ProcessingResponse(image, channel, {true, true, false, true}, EditorGrid());
    EXPECT_NEAR(Db(eqOnly[500]), Db(a.At(EditorGrid().Hz(500)) * b.At(EditorGrid().Hz(500))), 1e-6);
}

TEST(ProcessingResponseTest, MutedOrOffChannelSendsNothing) {
    for (const bool byMute : {true, false}) {
        EffectBlock image = DefaultEffectBlock();
        if (byMute)
            image.Set(*FindParam(param::MuteCtrl), 1 << 1);
        else
            image.Set(*FindParam(param::Volume(1)), 0);
        EXPECT_EQ(std::abs(ProcessingResponse(image, 1, {}, EditorGrid())[300]), 0) << byMute;
        PlayedSettings played{MeasuredWith::Current, 1, image};
        EXPECT_GT(std::abs(PlayedComplex(played, EditorGrid())[300]), 0) << "not divided out";
    }
}

// Two speakers measured alone, each sent through crossovers, a delay and a
// polarity the box sets, summed: the level at the seat is the sum the test
// computes from the speakers and the textbook sections. Measured through
// its crossovers instead, a channel's old crossovers are taken out first.
TEST(SeatSumTest, PredictsTheSumOfTwoChannels) {
    const Speaker tweeter{"tweeter", Tweeter(900), 0.4, 1, 1.05, {{0.5, 0.4}}, -90};
    const Speaker mid{"mid", DoorMid(55, 6000), 0.35, 1, 1.3, {{0.8, 0.5}}, -90};
    const int tw = 0, md = 2;
    EffectBlock proposed = DefaultEffectBlock();
    SetOff(proposed, tw);
    SetOff(proposed, md);
    SetPass(proposed, tw, true, 2, 24, 3000);
    SetPass(proposed, md, false, 2, 24, 3000);
    SetLevelPolarityDelay(proposed, tw, -3, false, 12);
    SetLevelPolarityDelay(proposed, md, 0, true, 0);

    for (const MeasuredWith with : {MeasuredWith::Flat, MeasuredWith::Crossovers}) {
        // Measured through other crossovers the box had then.
        EffectBlock then = DefaultEffectBlock();
        SetOff(then, tw);
        SetOff(then, md);
        SetPass(then, tw, true, 0, 12, 2000);
        SetPass(then, md, false, 1, 12, 5000);
        Speaker twAsMeasured = tweeter, mdAsMeasured = mid;
        if (with == MeasuredWith::Crossovers) {
            twAsMeasured.chain = Then(tweeter.chain, BoxCrossover(0, true, 12, 2000));
            mdAsMeasured.chain = Then(mid.chain, BoxCrossover(1, false, 12, 5000));
        }
        std::vector<ComplexResponse> atSeat;
        for (const auto& [block, speaker] : {std::pair{tw, twAsMeasured}, std::pair{md, mdAsMeasured}}) {
            const ComplexResponse measured = ImpulseFrequencyResponse(Measured(speaker), EditorGrid());
            const ComplexResponse alone =
                SpeakerAloneComplex(measured, PlayedComplex({with, block, then}, EditorGrid()));
            atSeat.push_back(AtSeat(alone, ProcessingResponse(proposed, block, {}, EditorGrid())));
        }
        const Response sum = LevelsDb(SeatSum(atSeat));
        for (int i = 0; i < FrequencyGrid::kPoints; i += 3) {
            const double hz = EditorGrid().Hz(i);
            if (hz < 200 || hz > 16000) continue;
            const double w = 2 * std::numbers::pi * hz;
            const std::complex<double> truth = std::pow(10.0, -3 / 20.0) * tweeter.At(hz) *
                                                   ChainAt(BoxCrossover(2, true, 24, 3000), hz) *
                                                   std::polar(1.0, -w * 12 / 48000) -
                                               mid.At(hz) * ChainAt(BoxCrossover(2, false, 24, 3000), hz);
            EXPECT_NEAR(sum[static_cast<size_t>(i)], Db(truth), 0.15)
                << hz << " Hz, measured " << MeasuredWithText(with);
        }
    }
}

}  // namespace
}  // namespace caraudio::analysis
