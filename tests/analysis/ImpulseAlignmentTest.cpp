#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Arrival.h"
#include "DelayProposal.h"
#include "ImpulseResponse.h"
#include "SyntheticImpulse.h"

namespace caraudio::analysis {
namespace {

using namespace synthetic;

constexpr double kOneStepMs = 1.0 / 48;

// Built once: the high-pass runs over a dense table.
const Shape& Tweeter() {
    static const Shape shape = HighPassed(LowPassPulse(16000), 2000);
    return shape;
}

// Through a WAV file and back, as the program meets a response.
Arrival ArrivalOfWav(const Shape& shape, const Room& room, int rate, int subtype) {
    const ImpulseResponseRead r = ReadImpulseResponseBytes(Wav(Render(shape, room, rate), rate, subtype));
    EXPECT_EQ(r.status, ImpulseResponseStatus::Read);
    return DetectArrival(r.response);
}

struct ArrivalCase {
    const char* name;
    Shape shape;
    Room room;
};

// Each case at every rate and sample format, at arrivals a fraction of a
// sample apart, and with two noise seeds.
TEST(ImpulseArrival, RecoveredWithinOneDelayStep) {
    const ArrivalCase cases[] = {
        {"broadband, clean", LowPassPulse(8000), {}},
        {"broadband, noise 30 dB", LowPassPulse(8000), {.snrDb = 30}},
        {"broadband, reflection +3 ms 0.9",
         LowPassPulse(8000),
         {.reflectionDelayS = 0.003, .reflectionGain = 0.9, .snrDb = 35}},
        {"broadband, inverted reflection +2 ms 0.7",
         LowPassPulse(8000),
         {.reflectionDelayS = 0.002, .reflectionGain = -0.7, .snrDb = 35}},
        {"broadband, reflection +4 ms stronger (1.5)",
         LowPassPulse(8000),
         {.amplitude = 0.4, .reflectionDelayS = 0.004, .reflectionGain = 1.5, .snrDb = 35}},
        {"broadband, inverted, reflection +6 ms 0.5",
         LowPassPulse(8000),
         {.amplitude = -0.5, .reflectionDelayS = 0.006, .reflectionGain = 0.5, .snrDb = 30}},
        {"tweeter 2 kHz high-pass, noise 30 dB", Tweeter(), {.snrDb = 30}},
        {"tweeter, inverted, reflection +2 ms 0.8",
         Tweeter(),
         {.amplitude = -0.5, .reflectionDelayS = 0.002, .reflectionGain = 0.8, .snrDb = 35}},
        {"sub 80 Hz low-pass, noise 40 dB", ButterworthLowPass(80), {.snrDb = 40}},
        {"sub, inverted, noise 35 dB", ButterworthLowPass(80), {.amplitude = -0.5, .snrDb = 35}},
        {"sub, reflection +6 ms 0.5",
         ButterworthLowPass(80),
         {.reflectionDelayS = 0.006, .reflectionGain = 0.5, .snrDb = 40}},
    };
    const int rates[] = {44100, 48000, 96000};
    const int formats[] = {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT};
    for (const ArrivalCase& c : cases) {
        const double truthOffsetMs = HalfRise(c.shape) * 1000;
        double worst = 0;
        for (int rate : rates)
            for (int format : formats)
                for (double startMs : {4.0, 7.3, 11.61, 18.777})
                    for (unsigned seed : {1u, 2u}) {
                        Room room = c.room;
                        room.arrivalS = startMs / 1000;
                        room.seed = seed;
                        const Arrival a = ArrivalOfWav(c.shape, room, rate, format);
                        ASSERT_EQ(a.status, ArrivalStatus::Found) << c.name;
                        EXPECT_EQ(a.polarity, room.amplitude > 0 ? 1 : -1) << c.name << " at " << rate;
                        const double error = a.ms - (startMs + truthOffsetMs);
                        EXPECT_LE(std::fabs(error), kOneStepMs)
                            << c.name << " at " << rate << " Hz, format " << format << ", start " << startMs;
                        worst = std::max(worst, std::fabs(error));
                    }
        std::printf("  worst arrival error %-45s %6.2f us (%.2f steps)\n", c.name, worst * 1000,
                    worst / kOneStepMs);
    }
}

TEST(ImpulseArrival, SilenceHasNone) {
    EXPECT_EQ(DetectArrival({std::vector<double>(480, 0.0), 48000}).status, ArrivalStatus::Silent);
    EXPECT_EQ(DetectArrival({{}, 48000}).status, ArrivalStatus::Silent);
}

// Six channels measured with one timing reference at mixed rates: the
// delays, in the box's 1/48 ms steps, bring all to the latest arrival.
TEST(ImpulseDelays, SixChannelsExactInSteps) {
    struct Channel {
        Shape shape;
        int rate;
        double startMs;
        double amplitude;
        int expectedRaw;
    };
    // One shape, so the arrivals differ as the starts do: the expected steps are
    // (12.25 - start) * 48, each start a few hundredths of a step off a whole step.
    const Channel channels[] = {
        {LowPassPulse(8000), 48000, 5.0021, 0.5, 348},   // 7.2479 ms
        {LowPassPulse(8000), 44100, 7.5040, 0.5, 228},   // 4.7460 ms
        {LowPassPulse(8000), 96000, 9.0003, -0.5, 156},  // 3.2497 ms
        {LowPassPulse(8000), 48000, 12.2500, 0.5, 0},
        {LowPassPulse(8000), 44100, 6.0010, 0.5, 300},  // 6.2490 ms
        {LowPassPulse(8000), 96000, 9.9980, 0.5, 108},  // 2.2520 ms
    };
    std::vector<double> arrivals;
    std::vector<int> polarities;
    for (const Channel& c : channels) {
        const Arrival a =
            ArrivalOfWav(c.shape, {.arrivalS = c.startMs / 1000, .amplitude = c.amplitude, .snrDb = 35},
                         c.rate, SF_FORMAT_PCM_24);
        arrivals.push_back(a.ms);
        polarities.push_back(a.polarity);
    }
    const DelayProposal p = ProposeDelays(arrivals);
    ASSERT_EQ(p.status, DelayProposalStatus::Proposed);
    ASSERT_EQ(p.raw.size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(p.raw[i], channels[i].expectedRaw) << "channel " << i + 1;
    EXPECT_EQ(InvertedPolarityHints(polarities),
              (std::vector<bool>{false, false, true, false, false, false}));
}

TEST(ImpulseDelays, SpreadBeyondTwentyMsRefused) {
    struct Case {
        std::vector<double> arrivalsMs;
        DelayProposalStatus status;
        std::vector<int> raw;
    };
    const Case cases[] = {
        {{5.0, 30.0, 12.0}, DelayProposalStatus::SpreadTooLarge, {}},  // 25 ms
        {{3.0, 23.0}, DelayProposalStatus::Proposed, {960, 0}},        // 20 ms: the box's limit
        {{3.0, 23.03}, DelayProposalStatus::SpreadTooLarge, {}},       // 20.03 ms: 961 steps
        {{8.0}, DelayProposalStatus::Proposed, {0}},
        {{}, DelayProposalStatus::NoChannels, {}},
    };
    for (const Case& c : cases) {
        const DelayProposal p = ProposeDelays(c.arrivalsMs);
        EXPECT_EQ(p.status, c.status) << c.arrivalsMs.size();
        EXPECT_EQ(p.raw, c.raw);
    }
    // The 25 ms case end to end, from two measured responses.
    const Shape pulse = LowPassPulse(8000);
    const double early = ArrivalOfWav(pulse, {.arrivalS = 0.005, .snrDb = 35}, 48000, SF_FORMAT_FLOAT).ms;
    const double late = ArrivalOfWav(pulse, {.arrivalS = 0.030, .snrDb = 35}, 48000, SF_FORMAT_FLOAT).ms;
    const DelayProposal p = ProposeDelays({early, late});
    EXPECT_EQ(p.status, DelayProposalStatus::SpreadTooLarge);
    EXPECT_TRUE(p.raw.empty());
    EXPECT_NEAR(p.spreadMs, 25.0, kOneStepMs);
}

TEST(ImpulseDelays, PolarityHints) {
    struct Case {
        std::vector<int> polarities;
        std::vector<bool> inverted;
    };
    const Case cases[] = {
        {{1, 1, -1, 1, 1, 1}, {false, false, true, false, false, false}},
        {{-1, -1, 1, -1}, {false, false, true, false}},  // the majority is the reference, whichever sign
        {{1, -1}, {false, true}},                        // two: the first is the reference
        {{-1, 1}, {false, true}},
        {{1, -1, -1, 1}, {false, true, true, false}},  // a tie: the first is the reference
        {{1, 1, 1}, {false, false, false}},
        {{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(InvertedPolarityHints(c.polarities), c.inverted);
}

}  // namespace
}  // namespace caraudio::analysis
