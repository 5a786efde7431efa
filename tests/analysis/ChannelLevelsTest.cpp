// Channel levels against the target at the seat. The truth is the test's:
// each speaker's generated response through the textbook box sections and
// its volume, its power over where it plays against a house curve written
// from the analog shelf's definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "CarSetup.h"
#include "ChannelLevels.h"
#include "EditorGrid.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::car;

struct House {
    double bassDb, bassHz, tiltDbPerDecade;
};

// An analog low shelf of quality 1/sqrt(2), all of bassDb far below bassHz
// and half at it, and a tilt per decade above 1 kHz.
double HouseDb(const House& h, double hz) {
    const double a = std::pow(10.0, h.bassDb / 40), q = 1 / std::sqrt(2.0);
    const std::complex<double> s(0, hz / h.bassHz);
    const double shelf = 20 * std::log10(std::abs(a * (s * s + std::sqrt(a) / q * s + a) /
                                                  (a * s * s + std::sqrt(a) / q * s + 1.0)));
    return shelf + (hz > 1000 ? h.tiltDbPerDecade * std::log10(hz / 1000) : 0);
}

Response HouseOnGrid(const House& h) {
    Response r;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        r[static_cast<size_t>(i)] = HouseDb(h, EditorGrid().Hz(i));
    return r;
}

struct Judged {
    double fromHz, toHz;  // where the speaker plays, away from its crossovers and roll-offs
};

// The channel's mean power against the target over its band, at a volume.
double TruthLevelDb(const CarChannel& c, const Judged& band, const House& h, double volumeRaw) {
    double power = 0;
    int n = 0;
    for (double f = band.fromHz; f <= band.toHz; f *= std::exp2(1.0 / 48), ++n)
        power += std::norm(Truth(c, f, 60, 0, false)) * std::pow(10.0, (volumeRaw - 60) / 10) /
                 std::pow(10.0, HouseDb(h, f) / 10);
    return 10 * std::log10(power / n);
}

// Tweeters, door mids and a sub of different sensitivities at different
// volumes, behind Linkwitz-Riley crossovers at 80 Hz and 3 kHz.
Car LevelCar() {
    const BoxPass low{2, 24, 80}, high{2, 24, 3000};
    return {
        {"tweeter L", 2, Side::Left, {"", Tweeter(1100), 0.5, 1, 0.95, {{0.5, 0.3}}, -70}, high, {}, 0},
        {"tweeter R", 3, Side::Right, {"", Tweeter(950), 0.3, 1, 1.35, {{0.35, 0.25}}, -70}, high, {}, -2},
        {"mid L", 4, Side::Left, {"", DoorMid(60, 5500), 0.22, 1, 1.05, {{0.7, 0.35}}, -70}, low, high, 3},
        {"mid R", 5, Side::Right, {"", DoorMid(52, 6000), 0.3, -1, 1.5, {{0.55, 0.3}}, -70}, low, high, 0},
        {"sub", 0, Side::Centre, {"", Sub(32, 10), 0.8, 1, 2.9, {{1.1, 0.5}}, -70}, {}, low, -5},
    };
}

// Where each of LevelCar's speakers plays: the tweeters' and mids' flat
// middle, the sub's band under its low-pass.
const Judged kJudged[] = {{5000, 12000}, {5000, 12000}, {200, 1500}, {200, 1500}, {30, 50}};

struct LevelCase {
    const char* name;
    House target;
};

class ChannelLevelsTest : public ::testing::TestWithParam<LevelCase> {};

// The trims bring every channel's level over its band within 1 dB of every
// other's, in dB and in the whole volume steps proposed (which round the
// trims); the quietest channel keeps its volume.
TEST_P(ChannelLevelsTest, TrimsMatchTheSpeakers) {
    const LevelCase& c = GetParam();
    const Car car = LevelCar();
    const EffectBlock image = Settings(car);
    const LevelProposal p = ProposeLevels(Measure(car, image), image, HouseOnGrid(c.target), EditorGrid());
    ASSERT_EQ(p.status, LevelProposal::Status::Proposed);
    EXPECT_FALSE(p.equalPeaks);
    ASSERT_EQ(p.channels.size(), car.size());
    std::vector<double> before, trimmed, stepped;
    for (size_t k = 0; k < car.size(); ++k) {
        const ChannelLevel& level = p.channels[k];
        EXPECT_EQ(level.block, car[k].block);
        EXPECT_LE(level.trimDb, 0);
        const double volume = car[k].volumeDb + 60;
        before.push_back(TruthLevelDb(car[k], kJudged[k], c.target, volume));
        trimmed.push_back(TruthLevelDb(car[k], kJudged[k], c.target, volume + level.trimDb));
        stepped.push_back(TruthLevelDb(car[k], kJudged[k], c.target, level.volumeRaw));
        EXPECT_EQ(level.volumeRaw, volume + std::lround(level.trimDb)) << car[k].name;
    }
    const auto spread = [](const std::vector<double>& v) {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return *hi - *lo;
    };
    EXPECT_GT(spread(before), 5) << "the speakers should start out of step";
    EXPECT_LE(spread(trimmed), 1.0);
    EXPECT_LE(spread(stepped), 1.5);
}

INSTANTIATE_TEST_SUITE_P(Targets, ChannelLevelsTest,
                         ::testing::Values(LevelCase{"Flat", {0, 80, 0}}, LevelCase{"House", {6, 80, -1.5}},
                                           LevelCase{"StrongBass", {10, 60, -3}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Exports normalised each to its own peak say nothing of the speakers'
// levels against each other: the set is flagged and no trim proposed. A
// set whose peaks differ by a little more is not.
TEST(ChannelLevelsTest, NormalisedExportsGetNoTrims) {
    const Car car = LevelCar();
    const EffectBlock image = Settings(car);
    for (const double apartDb : {0.0, 0.05, 0.3}) {
        std::vector<SeatChannel> channels;
        for (size_t k = 0; k < car.size(); ++k) {
            ImpulseResponse r = Recording(car[k].speaker, 1 + static_cast<unsigned>(k));
            double peak = 0;
            for (double v : r.samples) peak = std::max(peak, std::fabs(v));
            const double to = std::pow(10.0, -apartDb * static_cast<double>(k % 2) / 20);
            for (double& v : r.samples) v *= to / peak;
            channels.push_back(SeatChannelFromImpulse(r, {MeasuredWith::Flat, car[k].block, image},
                                                      car[k].side, EditorGrid())
                                   .channel);
        }
        const LevelProposal p = ProposeLevels(channels, image, HouseOnGrid({6, 80, -1.5}), EditorGrid());
        const bool normalised = apartDb <= 0.1;
        EXPECT_EQ(p.equalPeaks, normalised) << apartDb << " dB apart";
        for (size_t k = 0; k < car.size(); ++k) {
            EXPECT_TRUE(std::isfinite(p.channels[k].levelDb));
            if (normalised) {
                EXPECT_EQ(p.channels[k].trimDb, 0);
                EXPECT_EQ(p.channels[k].volumeRaw, car[k].volumeDb + 60);
            }
        }
    }
}

}  // namespace
}  // namespace caraudio::analysis
