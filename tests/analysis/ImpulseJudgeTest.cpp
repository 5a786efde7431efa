// Which files are impulse responses a delay may be read from: speakers in a
// cabin as measuring programs export them pass, whatever else a user might
// pick is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Arrival.h"
#include "CabinResponse.h"
#include "ImpulseResponse.h"
#include "SyntheticImpulse.h"

namespace caraudio::analysis {
namespace {

using namespace cabin;

// Through a file and back: float as exported, or 16-bit at half scale.
ImpulseResponse ThroughWav(const std::vector<double>& x, int rate, bool sixteenBit) {
    std::vector<double> samples = x;
    if (sixteenBit)
        for (double& v : samples) v *= 0.5;
    const ImpulseResponseRead r = ReadImpulseResponseBytes(
        synthetic::Wav(samples, rate, sixteenBit ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT));
    EXPECT_EQ(r.status, ImpulseResponseStatus::Read);
    return r.response;
}

const char* Name(Speaker s) {
    switch (s) {
    case Speaker::Sub:
        return "sub";
    case Speaker::Midrange:
        return "midrange";
    case Speaker::Tweeter:
        return "tweeter";
    }
    return "?";
}

TEST(ImpulseJudge, SpeakersInACabinPass) {
    int checked = 0;
    unsigned seed = 1;
    for (const Speaker speaker : {Speaker::Sub, Speaker::Midrange, Speaker::Tweeter})
        for (const int rate : {44100, 48000, 96000})
            for (const bool sixteenBit : {false, true})
                for (const size_t zeroAt : {size_t{256}, size_t{0}})
                    for (const double reflection : {0.0, 0.7})
                        for (const double snrDb : {30.0, 40.0})
                            for (const bool inverted : {false, true}) {
                                Take t;
                                t.speaker = speaker;
                                t.rate = rate;
                                t.lengthS = (seed % 3 == 0) ? 0.1 : (seed % 3 == 1 ? 0.3 : 1.0);
                                t.zeroAt = zeroAt;
                                t.distanceM = speaker == Speaker::Tweeter ? 0.6 : 1.2;
                                t.reflection = reflection;
                                t.snrDb = snrDb;
                                t.inverted = inverted;
                                t.seed = seed++;
                                const Arrival a = DetectArrival(ThroughWav(Measure(t), rate, sixteenBit));
                                const std::string what =
                                    std::string(Name(speaker)) + " at " + std::to_string(rate) +
                                    (sixteenBit ? ", 16-bit" : ", float") + ", zero at " +
                                    std::to_string(zeroAt) + ", reflection " + std::to_string(reflection) +
                                    ", noise " + std::to_string(snrDb) + " dB down, " +
                                    std::to_string(t.lengthS) + " s";
                                EXPECT_EQ(a.status, ArrivalStatus::Found) << what;
                                EXPECT_EQ(a.polarity, inverted ? -1 : 1) << what;
                                // Not before the sound can have come.
                                EXPECT_GE(a.ms, 1000 * (zeroAt / double(rate) + t.distanceM / 343) - 0.05)
                                    << what;
                                ++checked;
                            }
    EXPECT_EQ(checked, 288);
}

TEST(ImpulseJudge, OtherFilesAreRefused) {
    const int rate = 48000;
    std::vector<double> click(static_cast<size_t>(0.5 * rate), 0.0);
    click[480] = 1;
    std::vector<double> clickThenNoise = WhiteNoise(click.size(), 0.25, 5);  // peaks as high as the click
    std::fill(clickThenNoise.begin(), clickThenNoise.begin() + 480, 0.0);
    clickThenNoise[480] = 1;
    std::vector<double> clickAtStart = Measure({.zeroAt = 0, .distanceM = 0});
    clickAtStart.erase(clickAtStart.begin(), clickAtStart.begin() + 2);  // cut at the peak
    const struct {
        const char* what;
        std::vector<double> samples;
        int rate;
        ArrivalStatus status;
    } cases[] = {
        {"white noise, 1 s", WhiteNoise(rate, 0.2, 1), rate, ArrivalStatus::NoPeak},
        {"white noise, 10 s at 96 kHz", WhiteNoise(960000, 0.2, 2), 96000, ArrivalStatus::NoPeak},
        {"pink noise, 2 s", PinkNoise(2 * 44100, 3), 44100, ArrivalStatus::NoPeak},
        {"a melody", Melody(rate), rate, ArrivalStatus::NoPeak},
        {"a log sweep", LogSweep(rate, 1), rate, ArrivalStatus::NoPeak},
        {"DC", std::vector<double>(rate / 2, 0.5), rate, ArrivalStatus::NoPeak},
        {"one sample", {0.8}, rate, ArrivalStatus::TooShort},
        {"a few samples", {0, 0.1, 0.9, -0.3, 0.05}, rate, ArrivalStatus::TooShort},
        {"20 ms of a response", std::vector<double>(click.begin(), click.begin() + 960), rate,
         ArrivalStatus::TooShort},
        {"silence", std::vector<double>(rate / 2, 0.0), rate, ArrivalStatus::Silent},
        {"a click, then noise as loud", clickThenNoise, rate, ArrivalStatus::NoPeak},
        {"a response cut at its peak", clickAtStart, rate, ArrivalStatus::NoLeadIn},
    };
    for (const auto& c : cases) {
        for (const bool sixteenBit : {false, true}) {
            const Arrival a = DetectArrival(ThroughWav(c.samples, c.rate, sixteenBit));
            EXPECT_EQ(a.status, c.status) << c.what << (sixteenBit ? ", 16-bit" : ", float");
        }
    }
    // A click clear of its noise that does not die away: two clicks a second apart.
    std::vector<double> twice = click;
    twice.resize(rate);
    twice[rate - 480] = -0.9;
    EXPECT_EQ(DetectArrival({twice, rate}).status, ArrivalStatus::NoDecay);
    EXPECT_EQ(DetectArrival({click, rate}).status, ArrivalStatus::Found) << "one click alone is an impulse";
}

}  // namespace
}  // namespace caraudio::analysis
