// Which channels hand over to which, from their crossovers and sides, and
// what the alignment says of a set it cannot align.
#include <gtest/gtest.h>

#include <algorithm>

#include "BoxSettings.h"
#include "CrossoverAlignment.h"
#include "CrossoverPairs.h"
#include "EditorGrid.h"

namespace caraudio::analysis {
namespace {

using namespace caraudio::test::box;

// A pass of the box: type Linkwitz, 24 dB/oct; hz 0 leaves it off.
struct Passes {
    int highHz = 0, lowHz = 0;
};

void SetPasses(EffectBlock& image, int block, Passes p) {
    SetOff(image, block);
    if (p.highHz) SetPass(image, block, true, 2, 24, p.highHz);
    if (p.lowHz) SetPass(image, block, false, 2, 24, p.lowHz);
}

struct BandCase {
    const char* name;
    Passes passes;
    SpeakerBand band;
};

class SpeakerBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(SpeakerBandTest, FollowsTheCrossovers) {
    const BandCase& c = GetParam();
    EffectBlock image = DefaultEffectBlock();
    SetPasses(image, 3, c.passes);
    EXPECT_EQ(ClassifyBand(PassesOf(image, 3)), c.band);
}

INSTANTIATE_TEST_SUITE_P(Bands, SpeakerBandTest,
                         ::testing::Values(BandCase{"Tweeter", {3000, 0}, SpeakerBand::Tweeter},
                                           BandCase{"TweeterFrom1500", {1500, 0}, SpeakerBand::Tweeter},
                                           BandCase{"HighPassOnlyLow", {500, 0}, SpeakerBand::Mid},
                                           BandCase{"Sub", {0, 80}, SpeakerBand::Sub},
                                           BandCase{"SubWithSubsonic", {25, 80}, SpeakerBand::Sub},
                                           BandCase{"SubTo200", {0, 200}, SpeakerBand::Sub},
                                           BandCase{"LowPassOnlyHigh", {0, 3000}, SpeakerBand::Mid},
                                           BandCase{"DoorMid", {80, 3000}, SpeakerBand::Mid},
                                           BandCase{"Midbass", {60, 400}, SpeakerBand::Mid},
                                           BandCase{"FullRange", {0, 0}, SpeakerBand::FullRange}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Channel {
    int block;
    Side side;
    double arrivalMs;
    Passes passes;
};

struct PairingCase {
    const char* name;
    std::vector<Channel> channels;
    std::vector<CrossoverPair> pairs;  // lower, higher, hz
};

class CrossoverPairingTest : public ::testing::TestWithParam<PairingCase> {};

TEST_P(CrossoverPairingTest, PairsMeetingPasses) {
    const PairingCase& c = GetParam();
    EffectBlock image = DefaultEffectBlock();
    std::vector<SeatChannel> channels;
    for (const Channel& ch : c.channels) {
        SetPasses(image, ch.block, ch.passes);
        SeatChannel s;
        s.block = ch.block;
        s.side = ch.side;
        s.arrivalMs = ch.arrivalMs;
        channels.push_back(s);
    }
    std::vector<CrossoverPair> found = FindCrossoverPairs(channels, image);
    ASSERT_EQ(found.size(), c.pairs.size());
    const auto key = [](const CrossoverPair& p) { return std::pair{p.lowerBlock, p.higherBlock}; };
    std::vector<CrossoverPair> want = c.pairs;
    std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    std::sort(want.begin(), want.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(key(found[k]), key(want[k]));
        EXPECT_NEAR(found[k].hz, want[k].hz, 0.05);
    }
}

const Passes kTweeter{3000, 0}, kMid{80, 3000}, kSub{0, 80};

INSTANTIATE_TEST_SUITE_P(
    Sets, CrossoverPairingTest,
    ::testing::Values(
        // Sides keep a tweeter off the far door's mid, even where that one is nearer in time.
        PairingCase{"TwoWayAndSubBySide",
                    {{2, Side::Left, 3.0, kTweeter},
                     {3, Side::Right, 3.9, kTweeter},
                     {4, Side::Left, 4.0, kMid},
                     {5, Side::Right, 3.2, kMid},
                     {0, Side::Centre, 8.5, kSub}},
                    {{4, 2, 3000}, {5, 3, 3000}, {0, 4, 80}, {0, 5, 80}}},
        // Without sides a tweeter goes with the mid whose sound arrives nearest its own.
        PairingCase{"TwoWayByArrival",
                    {{2, Side::Unknown, 2.8, kTweeter},
                     {3, Side::Unknown, 3.9, kTweeter},
                     {4, Side::Unknown, 3.1, kMid},
                     {5, Side::Unknown, 4.3, kMid}},
                    {{4, 2, 3000}, {5, 3, 3000}}},
        // Two subs: each mid takes the nearer.
        PairingCase{"TwoSubs",
                    {{4, Side::Left, 3.1, kMid},
                     {5, Side::Right, 4.3, kMid},
                     {0, Side::Centre, 8.7, kSub},
                     {1, Side::Centre, 9.6, kSub}},
                    {{0, 4, 80}, {0, 5, 80}}},
        // A low-pass within half an octave of a high-pass meets it at their geometric mean;
        // further apart they hand over to nothing.
        PairingCase{"NearPasses",
                    {{2, Side::Left, 3.0, {3000, 0}}, {4, Side::Left, 3.2, {80, 2500}}},
                    {{4, 2, 2738.61}}},
        PairingCase{"FarPasses", {{2, Side::Left, 3.0, {3000, 0}}, {4, Side::Left, 3.2, {80, 2000}}}, {}},
        // A subsonic high-pass is no crossover.
        PairingCase{"Subsonic", {{0, Side::Centre, 8.0, {25, 80}}, {1, Side::Centre, 8.0, {0, 25}}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadSetCase {
    const char* name;
    std::vector<Channel> channels;
    std::vector<CrossoverPair> pairs;
    AlignmentStatus status;
    int badBlock;
};

class AlignmentRefusesTest : public ::testing::TestWithParam<BadSetCase> {};

// A set the alignment cannot work on is refused with the reason and the
// channel it is about, and no proposal.
TEST_P(AlignmentRefusesTest, NamesWhy) {
    const BadSetCase& c = GetParam();
    EffectBlock image = DefaultEffectBlock();
    std::vector<SeatChannel> channels;
    for (const Channel& ch : c.channels) {
        if (ch.block >= 0 && ch.block < 6) SetPasses(image, ch.block, ch.passes);
        SeatChannel s;
        s.block = ch.block;
        s.side = ch.side;
        s.arrivalMs = ch.arrivalMs;
        s.alone = Unity();
        channels.push_back(s);
    }
    const CrossoverAlignment a = AlignCrossovers(channels, image, c.pairs, EditorGrid());
    EXPECT_EQ(a.status, c.status);
    if (c.status != AlignmentStatus::NoChannels) {
        EXPECT_EQ(a.badBlock, c.badBlock);
    }
    EXPECT_TRUE(a.channels.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sets, AlignmentRefusesTest,
    ::testing::Values(
        BadSetCase{"NoChannels", {}, {}, AlignmentStatus::NoChannels, -1},
        BadSetCase{"SameBlockTwice",
                   {{2, Side::Left, 3, kTweeter}, {2, Side::Left, 3, kTweeter}},
                   {},
                   AlignmentStatus::BadChannel,
                   2},
        BadSetCase{"NoSuchBlock", {{7, Side::Left, 3, kTweeter}}, {}, AlignmentStatus::BadChannel, 7},
        BadSetCase{
            "PairOutsideTheSet", {{2, Side::Left, 3, kTweeter}}, {{4, 2, 3000}}, AlignmentStatus::BadPair, 4},
        BadSetCase{"PairOfOneChannel",
                   {{2, Side::Left, 3, kTweeter}, {4, Side::Left, 3, kMid}},
                   {{4, 4, 3000}},
                   AlignmentStatus::BadPair,
                   4},
        BadSetCase{"PairWithoutFrequency",
                   {{2, Side::Left, 3, {0, 0}}, {4, Side::Left, 3, {0, 0}}},
                   {{4, 2, 0}},
                   AlignmentStatus::NoCrossoverHz,
                   2},
        // 24 ms apart, and nothing ties them but their arrival.
        BadSetCase{"ArrivalsTooFarApart",
                   {{2, Side::Left, 1, {0, 0}}, {0, Side::Centre, 25, {0, 0}}},
                   {},
                   AlignmentStatus::SpreadTooLarge,
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace caraudio::analysis
