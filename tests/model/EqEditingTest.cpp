// The equaliser edits the windows rely on: band-off memory and the
// automatic gain compensation.
#include "GainCompensation.h"
#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

using BandOff = ConnectedModel;

uint16_t Raw(int v) {
    return static_cast<uint16_t>(v);
}
int Gain(const ParamDatabase& db, int ch, int band) {
    return static_cast<int16_t>(db.GetParam(param::BandGain(ch, band)));
}
int Gain(const EffectBlock& image, int ch, int band) {
    return static_cast<int16_t>(image.Get(*FindParam(param::BandGain(ch, band))));
}

TEST_F(BandOff, RemembersInTheLinkGroupAndRestoresTheEditedChannelsGain) {
    db.LinkChannel(2, 2);
    db.LinkChannel(3, 2);
    db.SetBandGain(2, 5, Raw(-450));
    ASSERT_EQ(Gain(db, 3, 5), -450);
    ASSERT_TRUE(db.SwitchBandOff(2, 5));
    for (int ch : {2, 3}) {
        EXPECT_EQ(Gain(db, ch, 5), 0);
        EXPECT_TRUE(db.HasRememberedGain(ch, 5));
        EXPECT_EQ(db.RememberedGain(ch, 5), -450);
    }
    FireTimer();
    EXPECT_EQ(Gain(box.image, 2, 5), 0);  // the box hears of it
    ASSERT_TRUE(db.SwitchBandOn(2, 5));
    for (int ch : {2, 3}) {
        EXPECT_EQ(Gain(db, ch, 5), -450);
        EXPECT_FALSE(db.HasRememberedGain(ch, 5));
    }
    FireTimer();
    EXPECT_EQ(Gain(box.image, 3, 5), -450);
}

TEST_F(BandOff, NothingToDoWritesNothing) {
    EXPECT_FALSE(db.SwitchBandOff(2, 5));  // already at 0
    EXPECT_FALSE(db.SwitchBandOn(2, 5));   // nothing remembered
    EXPECT_FALSE(db.SwitchBandOff(-1, 5));
    EXPECT_FALSE(db.SwitchBandOff(2, 31));
    EXPECT_TRUE(box.sent.empty());
    EXPECT_FALSE(db.HasRememberedGain(2, 5));
}

struct BandOnInBypassCase {
    const char* what;
    void (*link)(ParamDatabase& db);
    int bypassFrom, switchFrom;
    std::vector<int> group;
    int bypassBits;  // PassCtrl while bypassed
};
void PrintTo(const BandOnInBypassCase& c, std::ostream* os) {
    *os << c.what;
}

class BandOnInBypass : public ConnectedModel, public ::testing::WithParamInterface<BandOnInBypassCase> {};

TEST_P(BandOnInBypass, EndsTheBypassAndTheBoxPlaysWhatThePcHolds) {
    const BandOnInBypassCase& c = GetParam();
    db.SetBypass(0, true);  // another channel's bypass stays
    c.link(db);
    db.SetBandGain(2, 0, Raw(300));
    db.SetBandGain(2, 5, Raw(-450));
    db.SetBandGain(2, 9, Raw(200));
    ASSERT_TRUE(db.SwitchBandOff(2, 9));
    db.SetBypass(c.bypassFrom, true);
    ASSERT_EQ(box.image.Get(*FindParam(param::PassCtrl)), c.bypassBits) << c.what;

    ASSERT_TRUE(db.SwitchBandOn(c.switchFrom, 5)) << c.what;
    FireTimer();

    EXPECT_EQ(db.GetParam(param::PassCtrl), 1) << c.what;
    EXPECT_EQ(box.image, db.Block()) << c.what << ": the box plays what the PC holds";
    for (int ch : c.group) {
        EXPECT_EQ(Gain(db, ch, 5), -450) << c.what << ", channel " << ch;
        EXPECT_EQ(Gain(db, ch, 0), 0) << c.what << ", channel " << ch << ": zeroed, as an edit leaves it";
        EXPECT_FALSE(db.HasRememberedGain(ch, 0)) << c.what << ", channel " << ch;
        EXPECT_EQ(Gain(db, ch, 9), 0) << c.what << ", channel " << ch;
        EXPECT_EQ(db.RememberedGain(ch, 9), 200) << c.what << ", channel " << ch << ": still switched off";
    }
    ASSERT_TRUE(db.SwitchBandOn(c.switchFrom, 9)) << c.what;
    FireTimer();
    for (int ch : c.group) EXPECT_EQ(Gain(box.image, ch, 9), 200) << c.what << ", channel " << ch;
    EXPECT_EQ(box.image, db.Block()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BandOnInBypass,
    ::testing::Values(BandOnInBypassCase{"alone", [](ParamDatabase&) {}, 2, 2, {2}, 0b101},
                      BandOnInBypassCase{"in a link group, from the other channel",
                                         [](ParamDatabase& db) {
                                             db.LinkChannel(2, 2);
                                             db.LinkChannel(3, 2);
                                         },
                                         2,
                                         3,
                                         {2, 3},
                                         0b1101}));

struct CompensationCase {
    const char* what;
    double scale;
    int mainVol, volume, memo;
    std::vector<std::pair<int, int>> gains;  // band, raw gain
    std::vector<int> rememberedBands;        // switched off: not counted
    int wantVolume, wantMemo;
    bool wantWrite;
};

class Compensation : public ::testing::TestWithParam<CompensationCase> {};

TEST_P(Compensation, FollowsTheLargestBoost) {
    const CompensationCase& c = GetParam();
    ParamDatabase db;
    db.SetMainVolume(Raw(c.mainVol));
    db.SetChannelVolume(2, Raw(c.volume));
    db.SetVolumeMemo(2, c.memo);
    for (auto [band, gain] : c.gains) db.SetBandGain(2, band, Raw(gain));
    for (int band : c.rememberedBands) ASSERT_TRUE(db.SwitchBandOff(2, band));
    const auto written = CompensateGain(db, 2, c.scale);
    EXPECT_EQ(written.has_value(), c.wantWrite) << c.what;
    if (written) {
        EXPECT_EQ(*written, c.wantVolume) << c.what;
    }
    EXPECT_EQ(db.GetParam(param::Volume(2)), c.wantVolume) << c.what;
    EXPECT_EQ(db.VolumeMemo(2), c.wantMemo) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compensation,
    ::testing::Values(
        CompensationCase{"off", 0.0, 60, 60, -1, {{3, 600}}, {}, 60, -1, false},
        CompensationCase{"almost off", 0.001, 60, 60, -1, {{3, 600}}, {}, 60, -1, false},
        CompensationCase{"+6 dB at full scale", 1.0, 60, 60, -1, {{3, 600}}, {}, 54, 60, true},
        CompensationCase{"the largest boost counts", 1.0, 60, 60, -1, {{3, 300}, {9, 850}}, {}, 52, 60, true},
        CompensationCase{"half scale", 0.5, 60, 60, -1, {{3, 600}}, {}, 57, 60, true},
        CompensationCase{"cuts are not boosts", 1.0, 60, 60, -1, {{3, -900}}, {}, 60, -1, false},
        CompensationCase{"back to flat restores the memo", 1.0, 60, 54, 60, {}, {}, 60, 60, true},
        CompensationCase{"the memo is the level reference", 1.0, 60, 57, 60, {{3, 600}}, {}, 54, 60, true},
        CompensationCase{"room below 0 dB", 1.0, 60, 50, -1, {{3, 600}}, {}, 50, -1, false},
        CompensationCase{"switched-off bands do not count", 1.0, 60, 54, 60, {{3, 600}}, {3}, 60, 60, true},
        CompensationCase{"never below 0", 5.0, 60, 60, -1, {{3, 2000}}, {}, 0, 60, true},
        CompensationCase{"same volume writes nothing", 1.0, 60, 54, 60, {{3, 600}}, {}, 54, 60, false}));

}  // namespace
}  // namespace caraudio::test
