// A channel measured through its settings: what played is taken out of its
// spectrum, and the delay that played out of its arrival.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "CarSetup.h"
#include "EditorGrid.h"
#include "SeatChannel.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::car;

struct PlayedCase {
    const char* name;
    MeasuredWith with;
    int delayRaw;
};

class SeatChannelTest : public ::testing::TestWithParam<PlayedCase> {};

TEST_P(SeatChannelTest, IsTheSpeakerAlone) {
    const PlayedCase& c = GetParam();
    const CarChannel mid{
        "mid",         4, Side::Left, {"", DoorMid(), 0.3, 1, 1.2, {{0.6, 0.3}}, -80}, {2, 24, 100},
        {2, 24, 3000}, 0};
    EffectBlock image = Settings({mid});
    test::box::SetLevelPolarityDelay(image, mid.block, 0, false, c.delayRaw);
    // What the microphone heard: the speaker through what played, the delay as a longer path.
    Speaker heard = mid.speaker;
    if (c.with != MeasuredWith::Flat)
        heard.chain =
            Then(Then(heard.chain, BoxCrossover(2, true, 24, 100)), BoxCrossover(2, false, 24, 3000));
    if (c.with == MeasuredWith::Current) heard.pathM += c.delayRaw / kRate * kSpeedOfSound;
    const SeatChannelRead read =
        SeatChannelFromImpulse(Recording(heard, 3), {c.with, mid.block, image}, Side::Left, EditorGrid());
    ASSERT_EQ(read.status, ArrivalStatus::Found);
    EXPECT_EQ(read.channel.block, mid.block);
    EXPECT_EQ(read.channel.side, Side::Left);
    const SeatChannelRead alone = SeatChannelFromImpulse(
        Recording(mid.speaker, 3), {MeasuredWith::Flat, mid.block, image}, Side::Left, EditorGrid());
    ASSERT_EQ(alone.status, ArrivalStatus::Found);
    // The arrival of a band-limited response is read late; what played is
    // taken out of it only as a delay, so compare like with like loosely.
    EXPECT_NEAR(read.channel.arrivalMs, alone.channel.arrivalMs, 0.3);
    for (int i = 0; i < FrequencyGrid::kPoints; i += 5) {
        const double hz = EditorGrid().Hz(i);
        if (hz < 150 || hz > 2000) continue;
        const std::complex<double> truth = mid.speaker.At(hz),
                                   got = read.channel.alone[static_cast<size_t>(i)];
        EXPECT_LT(std::abs(got - truth), 0.02 * std::abs(truth)) << hz << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Played, SeatChannelTest,
                         ::testing::Values(PlayedCase{"Flat", MeasuredWith::Flat, 0},
                                           PlayedCase{"Crossovers", MeasuredWith::Crossovers, 0},
                                           PlayedCase{"CurrentWithDelay", MeasuredWith::Current, 240}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace caraudio::analysis
