#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

using Edit = ConnectedModel;
using RecordList = std::vector<std::pair<std::string, int>>;

int16_t Gain(const EffectBlock& b, int ch, int band) {
    return static_cast<int16_t>(b.Get(*FindParam(param::BandGain(ch, band))));
}

TEST_F(Edit, SameValueIsNeitherLoggedNorQueued) {
    db.SetParam(param::MainVol, 66);
    db.SetBandQ(2, 0, 760);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_TRUE(box.sent.empty());
}

TEST_F(Edit, ChangeIsLoggedStoredAndSent) {
    db.SetParam(param::BandGain(3, 17), static_cast<uint16_t>(-200));
    ASSERT_EQ(log.lines.size(), 3u);  // the change, the flush header, the record sent
    EXPECT_EQ(log.lines[0],
              "CarAudio: SetParam   Box3_EQ17_Gain = 65336(-200) = 0xFF38  (2bytes) index=373 offset=723\n");
    EXPECT_EQ(log.lines[1], "WriteCurrentParam==============================\n");
    EXPECT_EQ(log.lines[2],
              "CarAudio: 【Send】   Box3_EQ17_Gain = 65336(-200) = 0xFF38  (2bytes) index=373 offset=723\n");
    EXPECT_EQ(Gain(db.Block(), 3, 17), -200);
    EXPECT_EQ(Gain(box.image, 3, 17), -200);
}

TEST_F(Edit, OneByteValueAbove255KeepsItsLowByteButStillCounts) {
    db.SetParam(param::Volume(0), 0x142);  // low byte 0x42 = 66, what is already stored
    EXPECT_EQ(db.GetParam(param::Volume(0)), 0x42);
    EXPECT_EQ(log.Starting("CarAudio: SetParam").size(), 1u);
    ASSERT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_EQ(Records(box.SentWith(0x9C)[0]), (RecordList{{"Volume_0", 0x42}}));
}

TEST(EditDisconnected, ChangesOnlyTheImage) {
    FakeBox box;
    ParamDatabase db;
    db.SetParam(param::MainVol, 5);  // no device at all
    db.SetDeviceLink(&box);          // a box is open but no handshake yet
    db.SetBandGain(2, 4, 300);
    EXPECT_EQ(db.GetParam(param::MainVol), 5);
    EXPECT_EQ(db.GetParam(param::BandGain(2, 4)), 300);
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_TRUE(box.sent.empty());
    // The later connect's handshake starts with an empty queue, and reading
    // the box replaces the edited image.
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_TRUE(box.SentWith(0x9C).empty());
    ASSERT_TRUE(db.ReadDeviceBlock());
    EXPECT_EQ(db.Block(), DefaultEffectBlock());
}

TEST_F(Edit, TwelveChangesGoOutAsElevenAndOneInIndexOrder) {
    HoldSending();
    for (int n = 5; n >= 0; --n) db.SetChannelVolume(n, static_cast<uint16_t>(10 + n));
    for (int n = 5; n >= 0; --n) db.SetParam(param::Delay(n), static_cast<uint16_t>(100 + n));
    db.SetChannelVolume(0, 66);  // back to where it was: still pending, once
    db.SetParam(param::Delay(5), 999);
    db.SetParam(param::Delay(5), 1000);  // three changes: one record, latest value
    EXPECT_TRUE(box.sent.empty());
    EXPECT_EQ(db.Pending().Count(), 12);
    FireTimer();
    const auto frames = box.SentWith(0x9C);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][2], 0);
    EXPECT_EQ(frames[1][2], 1);
    EXPECT_EQ(Records(frames[0]), (RecordList{{"Volume_0", 66},
                                              {"Volume_1", 11},
                                              {"Volume_2", 12},
                                              {"Volume_3", 13},
                                              {"Volume_4", 14},
                                              {"Volume_5", 15},
                                              {"Delay_0", 100},
                                              {"Delay_1", 101},
                                              {"Delay_2", 102},
                                              {"Delay_3", 103},
                                              {"Delay_4", 104}}));
    EXPECT_EQ(Records(frames[1]), (RecordList{{"Delay_5", 1000}}));
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_EQ(box.image, db.Block());
}

TEST_F(Edit, TwentyThreeChangesTakeThreeNumberedFrames) {
    HoldSending();
    for (int b = 0; b < 23; ++b) db.SetBandGain(2, b, static_cast<uint16_t>(b + 1));
    ASSERT_TRUE(db.WriteCurrentParam());
    const auto frames = box.SentWith(0x9C);
    ASSERT_EQ(frames.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[i][2], i);
        EXPECT_EQ(frames[i][4], i < 2 ? 11 : 1);
    }
    // Record layout: offset (16-bit), size, value (16-bit), little-endian.
    const int offset = FindParam(param::BandGain(2, 0))->offset;
    EXPECT_EQ(frames[0][5], offset & 0xFF);
    EXPECT_EQ(frames[0][6], offset >> 8);
    EXPECT_EQ(frames[0][7], 2);
    EXPECT_EQ(frames[0][8], 1);
    EXPECT_EQ(frames[0][9], 0);
}

TEST_F(Edit, NothingPendingSendsNothing) {
    EXPECT_TRUE(db.WriteCurrentParam());
    EXPECT_TRUE(box.sent.empty());
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(Edit, FailedFrameStopsTheFlushAndDropsTheBatch) {
    HoldSending();
    for (int b = 0; b < 30; ++b) db.SetBandGain(2, b, static_cast<uint16_t>(b + 1));
    box.failRequest = 1;  // the second frame gets no answer
    EXPECT_FALSE(db.WriteCurrentParam());
    EXPECT_EQ(box.SentWith(0x9C).size(), 2u);
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_EQ(log.Starting("WriteCurrentParam SendAndReceive return false.\n").size(), 1u);
    EXPECT_EQ(Gain(db.Block(), 2, 29), 30) << "the image keeps the user's values";
}

TEST_F(Edit, FlushWithTheBoxGoneFails) {
    HoldSending();
    db.SetMainVolume(3);
    box.open = false;
    EXPECT_FALSE(db.WriteCurrentParam());
    EXPECT_TRUE(db.Pending().Empty());
}

TEST_F(Edit, LinkedSettersWriteEveryLinkedChannelInOrder) {
    db.LinkChannel(4, 4);
    db.LinkChannel(1, 4);
    db.LinkChannel(3, 4);
    log.lines.clear();
    db.SetThreshold(3, static_cast<uint16_t>(-1200));
    db.SetBandFreq(4, 7, 90);
    db.SetChannelVolume(0, 40);  // not linked: itself only
    EXPECT_EQ(WrittenNames(), (std::vector<std::string>{"Box1_Param_Threshold", "Box3_Param_Threshold",
                                                        "Box4_Param_Threshold", "Box1_EQ7_Freq",
                                                        "Box3_EQ7_Freq", "Box4_EQ7_Freq", "Volume_0"}));
    // Mute, phase, delay and the main volume never follow links.
    log.lines.clear();
    db.SetMute(3, true);
    db.SetPhase(3, true);
    db.SetDelayMs(3, 1.5);
    EXPECT_EQ(WrittenNames(), (std::vector<std::string>{"MuteCtrl", "PhaseCtrl", "Delay_3"}));
    EXPECT_EQ(db.GetParam(param::MuteCtrl), 1 << 3);
    EXPECT_EQ(db.GetParam(param::Delay(3)), 72);
    db.SetMute(5, true);
    db.SetMute(3, false);
    EXPECT_EQ(db.GetParam(param::MuteCtrl), 1 << 5);
}

TEST_F(Edit, DelayInMillisecondsIsTruncatedToSamples) {
    const struct {
        double ms;
        uint16_t raw;
    } cases[] = {{1.0, 48}, {0.99, 47}, {20.0, 960}, {2000.0, 30464}, {-1.0, 65488}, {1e300, 0}};
    for (const auto& c : cases) {
        db.SetDelayMs(0, c.ms);
        EXPECT_EQ(db.GetParam(param::Delay(0)), c.raw) << c.ms;
    }
}

TEST_F(Edit, CrossoverFieldChangesCarryTheEditedChannelsWholeByte) {
    db.LinkChannel(2, 2);
    db.LinkChannel(3, 2);
    db.SetParam(param::HighPassType(3), 0x41);  // a different type on the partner
    db.SetParam(param::HighPassType(2), 0x81);
    db.SetHighPassSlope(2, 5);
    EXPECT_EQ(db.GetParam(param::HighPassType(2)), 0x85);
    EXPECT_EQ(db.GetParam(param::HighPassType(3)), 0x85);
    db.SetLowPassType(3, 2);
    EXPECT_EQ(db.GetParam(param::LowPassType(2)), 0x81);
    EXPECT_EQ(db.GetParam(param::LowPassType(3)), 0x81);
    db.UnlinkChannel(3);
    db.SetLowPassSlope(3, 8);
    EXPECT_EQ(db.GetParam(param::LowPassType(3)), 0x88);
    EXPECT_EQ(db.GetParam(param::LowPassType(2)), 0x81);
}

TEST_F(Edit, CrossoverChangesRefreshTheCurvesOfEveryChannelWritten) {
    auto curves = std::make_unique<RecordingCurves>();
    RecordingCurves* seen = curves.get();
    db.SetCurveModels(std::move(curves));
    db.LinkChannel(0, 0);
    db.LinkChannel(5, 0);
    seen->refreshed.clear();
    db.SetHighPassFreq(5, 80);
    db.SetLowPassType(0, 1);
    db.SetBandGain(0, 3, 100);  // bands are redrawn by the window, not here
    EXPECT_EQ(seen->refreshed, (std::vector<int>{0, 5, 0, 5}));
}

TEST_F(Edit, LinkingToAnotherChannelCopiesItsTuningInOrder) {
    auto curves = std::make_unique<RecordingCurves>();
    RecordingCurves* seen = curves.get();
    db.SetCurveModels(std::move(curves));
    // Give channel 2 values that differ from channel 5 everywhere.
    db.SetChannelVolume(2, 50);
    db.SetHighPassType(2, 1);
    db.SetHighPassFreq(2, 80);
    db.SetLowPassType(2, 2);
    db.SetLowPassFreq(2, 5000);
    db.SetThreshold(2, 100);
    db.SetAttack(2, 500);
    db.SetRelease(2, 3);
    for (int b = 0; b < 31; ++b) {
        db.SetBandFreq(2, b, static_cast<uint16_t>(17000 + b));
        db.SetBandGain(2, b, static_cast<uint16_t>(b + 1));
        db.SetBandQ(2, b, static_cast<uint16_t>(100 + b));
    }
    db.SetDelayMs(2, 3.0);
    db.SetMute(2, true);
    db.SetPhase(2, true);
    db.SetParam(param::Input(2, 0), 7);
    log.lines.clear();
    seen->rebuilt.clear();

    db.LinkChannel(5, 2);

    std::vector<std::string> expected = {
        "Volume_5",          "Box5_HFliter_Type_Xoct", "Box5_HFliter_Freq", "Box5_LFliter_Type_Xoct",
        "Box5_LFliter_Freq", "Box5_Param_Threshold",   "Box5_Param_Attack", "Box5_Param_Release"};
    for (int b = 0; b < 31; ++b)
        for (const char* f : {"Freq", "Gain", "Q"})
            expected.push_back("Box5_EQ" + std::to_string(b) + "_" + f);
    EXPECT_EQ(WrittenNames(), expected);
    EXPECT_TRUE(db.IsLinked(5));
    EXPECT_FALSE(db.IsLinked(2)) << "only the linked channel's flag is set";
    EXPECT_EQ(seen->rebuilt, std::vector<int>{5});
    EXPECT_EQ(db.GetParam(param::Delay(5)), 0);
    EXPECT_EQ(db.GetParam(param::MuteCtrl), 1 << 2);
    EXPECT_EQ(db.GetParam(param::Input(5, 0)), 100);
}

TEST_F(Edit, LinkingAChannelToItselfCopiesItToTheOtherLinkedChannels) {
    db.LinkChannel(3, 3);
    EXPECT_TRUE(WrittenNames().empty()) << "no other channel is linked: nothing to copy";
    EXPECT_TRUE(db.IsLinked(3));
    db.LinkChannel(1, 1);
    db.SetChannelVolume(4, 20);  // channel 4 is not linked yet
    db.LinkChannel(4, 4);
    log.lines.clear();
    db.SetChannelVolume(4, 30);
    EXPECT_EQ(WrittenNames(), (std::vector<std::string>{"Volume_1", "Volume_3", "Volume_4"}));
    db.UnlinkChannel(3);
    log.lines.clear();
    db.SetChannelVolume(4, 31);
    EXPECT_EQ(WrittenNames(), (std::vector<std::string>{"Volume_1", "Volume_4"}));
}

struct LinkOntoBypassCase {
    const char* what;
    bool sourceBypassed, targetBypassed;
    void (*link)(ParamDatabase& db);  // channel 2's tuning onto channel 4
};
void PrintTo(const LinkOntoBypassCase& c, std::ostream* os) {
    *os << c.what;
}

class LinkOntoBypass : public ConnectedModel, public ::testing::WithParamInterface<LinkOntoBypassCase> {};

TEST_P(LinkOntoBypass, TheTargetKeepsItsBypassOverTheCopiedGains) {
    const LinkOntoBypassCase& c = GetParam();
    db.SetBandGain(2, 0, 300);
    db.SetBandGain(2, 5, static_cast<uint16_t>(-450));
    db.SetBandGain(4, 0, static_cast<uint16_t>(-900));
    db.SetBandGain(4, 5, 800);
    db.SetBandGain(4, 7, 600);
    ASSERT_TRUE(db.SwitchBandOff(4, 5));
    if (c.sourceBypassed) db.SetBypass(2, true);
    if (c.targetBypassed) db.SetBypass(4, true);
    FireTimer();
    clock.now += 1000;
    const int passBits = (c.sourceBypassed ? 1 << 2 : 0) | (c.targetBypassed ? 1 << 4 : 0);

    c.link(db);
    FireTimer();
    // Copied is what the source's image holds: nothing of a bypassed source's EQ.
    const int copied0 = c.sourceBypassed ? 0 : 300;
    const int copied5 = c.sourceBypassed ? 0 : -450;
    EXPECT_EQ(db.GetParam(param::PassCtrl), passBits) << c.what << ": no bypass bit is copied";
    const int shown = c.targetBypassed ? 0 : 1;  // a bypassed EQ shows flat on the PC
    EXPECT_EQ(Gain(db.Block(), 4, 0), shown * copied0) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 5), shown * copied5) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 7), 0) << c.what;
    // The box holds the copy behind the target's bypass, and matches the PC
    // wherever its EQ is not bypassed.
    EffectBlock expectedBox = db.Block();
    auto setGain = [&](int ch, int band, int gain) {
        expectedBox.Set(*FindParam(param::BandGain(ch, band)), static_cast<uint16_t>(gain));
    };
    if (c.sourceBypassed) setGain(2, 0, 300), setGain(2, 5, -450);
    setGain(4, 0, copied0), setGain(4, 5, copied5), setGain(4, 7, 0);
    EXPECT_EQ(box.image, expectedBox) << c.what;

    db.SetBypass(4, false);  // the link group's bypass ends
    FireTimer();
    EXPECT_EQ(db.GetParam(param::PassCtrl), 0) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 0), copied0) << c.what << ": the copy comes back, not what was before";
    EXPECT_EQ(Gain(db.Block(), 4, 5), copied5) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 7), 0) << c.what;
    EXPECT_EQ(Gain(db.Block(), 2, 0), 300) << c.what;
    EXPECT_EQ(Gain(db.Block(), 2, 5), -450) << c.what;
    EXPECT_EQ(box.image, db.Block()) << c.what;
    // Nothing from before the link is left to switch on.
    EXPECT_FALSE(db.SwitchBandOn(4, 5)) << c.what;
    EXPECT_FALSE(db.SwitchBandOn(4, 7)) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 5), copied5) << c.what;
    EXPECT_EQ(Gain(db.Block(), 4, 7), 0) << c.what;
}

// Channel 2 linked alone first (nothing to copy), then channel 4 to it.
void LinkFourToTwo(ParamDatabase& db) {
    db.LinkChannel(2, 2);
    db.LinkChannel(4, 2);
}
// The other way round: channel 2 linked to itself copies itself onto 4.
void LinkTwoToItself(ParamDatabase& db) {
    db.LinkChannel(4, 4);
    db.LinkChannel(2, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkOntoBypass,
    ::testing::Values(
        LinkOntoBypassCase{"neither bypassed", false, false, LinkFourToTwo},
        LinkOntoBypassCase{"the target bypassed", false, true, LinkFourToTwo},
        LinkOntoBypassCase{"the source bypassed", true, false, LinkFourToTwo},
        LinkOntoBypassCase{"both bypassed", true, true, LinkFourToTwo},
        LinkOntoBypassCase{"neither bypassed, the source linked to itself", false, false, LinkTwoToItself},
        LinkOntoBypassCase{"the target bypassed, the source linked to itself", false, true, LinkTwoToItself},
        LinkOntoBypassCase{"the source bypassed, the source linked to itself", true, false, LinkTwoToItself},
        LinkOntoBypassCase{"both bypassed, the source linked to itself", true, true, LinkTwoToItself}));

TEST_F(Edit, BypassZeroesGainsLocallyAndRestoresThemThroughTheBox) {
    db.SetBandGain(2, 0, 300);
    db.SetBandGain(2, 30, static_cast<uint16_t>(-450));
    FireTimer();
    clock.now += 1000;
    box.sent.clear();

    db.SetBypass(2, true);
    EXPECT_EQ(db.GetParam(param::PassCtrl), 1 << 2);
    EXPECT_EQ(Gain(db.Block(), 2, 0), 0);
    EXPECT_EQ(Gain(db.Block(), 2, 30), 0);
    EXPECT_EQ(Gain(box.image, 2, 0), 300) << "the box bypasses by itself; zeroed gains are not sent";
    ASSERT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_EQ(Records(box.SentWith(0x9C)[0]), (RecordList{{"PassCtrl", 4}}));
    EXPECT_TRUE(db.HasRememberedGain(2, 30));
    EXPECT_EQ(db.RememberedGain(2, 30), -450);
    EXPECT_FALSE(db.HasRememberedGain(2, 1));

    box.sent.clear();
    db.SetBypass(2, false);
    const auto frames = box.SentWith(0x9C);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Records(frames[0]), (RecordList{{"Box2_EQ0_Gain", 300}, {"Box2_EQ30_Gain", 0xFE3E}}));
    EXPECT_EQ(Records(frames[1]), (RecordList{{"PassCtrl", 0}}));
    EXPECT_EQ(Gain(db.Block(), 2, 30), -450);
    EXPECT_FALSE(db.HasRememberedGain(2, 30));
    EXPECT_EQ(box.image, db.Block());
}

TEST_F(Edit, BypassOfAFlatChannelOnlyTogglesTheBit) {
    db.SetBypass(0, true);
    for (int b = 0; b < 31; ++b) EXPECT_FALSE(db.HasRememberedGain(0, b));
    box.sent.clear();
    db.SetBypass(0, false);
    ASSERT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_EQ(Records(box.SentWith(0x9C)[0]), (RecordList{{"PassCtrl", 0}}));
}

TEST_F(Edit, BypassFollowsLinksAndKeepsOtherChannelsBits) {
    db.SetBypass(0, true);  // not linked
    db.LinkChannel(2, 2);
    db.LinkChannel(4, 2);
    db.SetBandGain(2, 5, 100);  // both linked channels get it
    db.SetBypass(4, true);
    EXPECT_EQ(db.GetParam(param::PassCtrl), 0b10101);
    EXPECT_TRUE(db.HasRememberedGain(2, 5));
    EXPECT_TRUE(db.HasRememberedGain(4, 5));
    db.SetBypass(2, false);
    EXPECT_EQ(db.GetParam(param::PassCtrl), 0b00001);
    EXPECT_EQ(Gain(db.Block(), 4, 5), 100);
    EXPECT_EQ(Gain(db.Block(), 2, 5), 100);
}

struct BypassRoundTripCase {
    const char* what;
    void (*bypassOnAndOff)(ParamDatabase& db);  // channel 2 in and out of bypass
};
void PrintTo(const BypassRoundTripCase& c, std::ostream* os) {
    *os << c.what;
}

class BypassRoundTrip : public ConnectedModel, public ::testing::WithParamInterface<BypassRoundTripCase> {};

TEST_P(BypassRoundTrip, GivesEveryBandBackAsItWasAndTheBoxTheSame) {
    const char* what = GetParam().what;
    db.SetBandGain(2, 0, 300);
    db.SetBandGain(2, 5, static_cast<uint16_t>(-450));
    db.SetBandGain(2, 9, 200);
    ASSERT_TRUE(db.SwitchBandOff(2, 5));
    FireTimer();
    clock.now += 1000;

    GetParam().bypassOnAndOff(db);
    FireTimer();

    EXPECT_EQ(db.GetParam(param::PassCtrl), 0) << what;
    EXPECT_EQ(Gain(db.Block(), 2, 0), 300) << what;
    EXPECT_EQ(Gain(db.Block(), 2, 5), 0) << what << ": a band switched off stays off";
    EXPECT_EQ(Gain(db.Block(), 2, 9), 200) << what;
    EXPECT_EQ(box.image, db.Block()) << what;
    // And it can still be switched on.
    ASSERT_TRUE(db.SwitchBandOn(2, 5)) << what;
    EXPECT_EQ(Gain(db.Block(), 2, 5), -450) << what;
}

const BypassRoundTripCase kBypassRoundTrips[] = {
    {"on, off",
     [](ParamDatabase& db) {
         db.SetBypass(2, true);
         db.SetBypass(2, false);
     }},
    {"on twice, off",
     [](ParamDatabase& db) {
         db.SetBypass(2, true);
         db.SetBypass(2, true);
         db.SetBypass(2, false);
     }},
    {"on, on again through its link group, off",
     [](ParamDatabase& db) {
         db.SetBypass(2, true);
         db.LinkChannel(2, 2);
         db.LinkChannel(3, 2);
         db.SetBypass(3, true);
         db.SetBypass(3, false);
     }},
};
INSTANTIATE_TEST_SUITE_P(Cases, BypassRoundTrip, ::testing::ValuesIn(kBypassRoundTrips));

TEST_F(Edit, AnEditThatEndsABypassSendsTheZeroedGainsBeforeTheBit) {
    db.LinkChannel(2, 2);
    db.LinkChannel(4, 2);
    db.SetBandGain(2, 0, 300);
    db.SetBandGain(2, 30, static_cast<uint16_t>(-450));
    FireTimer();
    clock.now += 1000;
    db.SetBypass(2, true);
    box.sent.clear();

    // What the window does on an edit of a band: the edit, then the end of the bypass.
    db.SetBandQ(2, 7, 200);
    db.CancelBypass(2);
    FireTimer();

    const auto frames = box.SentWith(0x9C);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Records(frames[0]), (RecordList{{"Box2_EQ0_Gain", 0},
                                              {"Box2_EQ7_Q", 200},
                                              {"Box2_EQ30_Gain", 0},
                                              {"Box4_EQ0_Gain", 0},
                                              {"Box4_EQ7_Q", 200},
                                              {"Box4_EQ30_Gain", 0}}));
    EXPECT_EQ(Records(frames[1]), (RecordList{{"PassCtrl", 0}}));
    EXPECT_EQ(box.image, db.Block());
    // Without a bypass to end, an edit sends only itself.
    box.sent.clear();
    db.SetBandQ(2, 7, 300);
    db.CancelBypass(2);
    FireTimer();
    ASSERT_EQ(box.SentWith(0x9C).size(), 1u);
    EXPECT_EQ(Records(box.SentWith(0x9C)[0]), (RecordList{{"Box2_EQ7_Q", 300}, {"Box4_EQ7_Q", 300}}));
}

TEST_F(Edit, CancelBypassLeavesTheZeroedGainsAndForgets) {
    db.SetBandGain(1, 2, 250);
    db.SetBypass(1, true);
    box.sent.clear();
    db.CancelBypass(1);
    EXPECT_EQ(db.GetParam(param::PassCtrl), 0);
    EXPECT_EQ(Gain(db.Block(), 1, 2), 0);
    EXPECT_FALSE(db.HasRememberedGain(1, 2));
    EXPECT_EQ(Gain(box.image, 1, 2), 0) << "the box is told of the zeroed gain";
    EXPECT_EQ(box.image.Get(*FindParam(param::PassCtrl)), 0);
    db.SetBypass(1, false);
    EXPECT_EQ(Gain(db.Block(), 1, 2), 0) << "nothing left to restore";
}

TEST_F(Edit, ResetOfALinkedChannelResetsAllLinkedInOneFrame) {
    auto curves = std::make_unique<RecordingCurves>();
    RecordingCurves* seen = curves.get();
    db.SetCurveModels(std::move(curves));
    db.LinkChannel(2, 2);
    db.LinkChannel(5, 2);
    for (int ch : {2, 5, 0}) {
        db.SetParam(param::HighPassType(ch), 0x83);
        db.SetParam(param::HighPassFreq(ch), 120);
        db.SetParam(param::LowPassFreq(ch), 3000);
        db.SetParam(param::BandGain(ch, 7), 500);
        db.SetParam(param::BandQ(ch, 30), 200);
        db.SetParam(param::Volume(ch), 30);
        db.SetParam(param::Delay(ch), 48);
        db.SetParam(param::Threshold(ch), 0);
    }
    db.SetBandGain(0, 9, 100);
    db.SetBypass(2, true);  // remembers channel 2 and 5 gains
    clock.now += 1000;
    box.sent.clear();
    seen->rebuilt.clear();

    db.ResetChannel(5);

    const auto frames = box.SentWith(0x9C);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Records(frames[0]), (RecordList{{"ResetCtrl", (1 << 2) | (1 << 5)}}));
    EXPECT_EQ(db.GetParam(param::ResetCtrl), 0);
    const EffectBlock& def = DefaultEffectBlock();
    for (int ch : {2, 5}) {
        for (ChannelRange r : {HighPassRange(ch), LowPassRange(ch), BandsRange(ch)})
            for (int o = r.offset; o < r.offset + r.length; ++o)
                ASSERT_EQ(db.Block().Byte(o), def.Byte(o)) << o;
        EXPECT_EQ(db.GetParam(param::Volume(ch)), 30);
        EXPECT_EQ(db.GetParam(param::Delay(ch)), 48);
        EXPECT_EQ(db.GetParam(param::Threshold(ch)), 0);
        EXPECT_FALSE(db.HasRememberedGain(ch, 7));
    }
    EXPECT_EQ(db.GetParam(param::PassCtrl), (1 << 2) | (1 << 5)) << "bypass is not touched";
    EXPECT_EQ(db.GetParam(param::HighPassFreq(0)), 120) << "unlinked channel untouched";
    EXPECT_EQ(seen->rebuilt, (std::vector<int>{2, 5}));
    // A second reset sends the mask again although the stored byte is 0.
    box.sent.clear();
    clock.now += 1000;
    db.ResetChannel(0);
    EXPECT_EQ(Records(box.SentWith(0x9C).at(0)), (RecordList{{"ResetCtrl", 1}}));
}

TEST_F(Edit, LoadBlockReplacesTheImageAndSendsItWhole) {
    db.SetVolumeMemo(3, 40);
    db.SetBandGain(1, 1, 100);
    db.SetBypass(1, true);
    EffectBlock image = DefaultEffectBlock();
    image.SetByte(FindParam(param::MainVol)->offset, 12);
    image.SetWord(FindParam(param::BandGain(5, 30))->offset, 0x1234);
    log.lines.clear();
    box.sent.clear();

    EXPECT_TRUE(db.LoadBlock(image));
    EXPECT_EQ(db.Block(), image);
    EXPECT_EQ(db.VolumeMemo(3), -1);
    EXPECT_FALSE(db.HasRememberedGain(1, 1));
    EXPECT_EQ(log.Starting("CarAudio: ").size(), 642u) << "the whole image is dumped";
    const auto chunks = box.SentWith(0x98);
    ASSERT_EQ(chunks.size(), 21u);
    for (int k = 0; k < 21; ++k) EXPECT_EQ(chunks[k][2], k);
    EXPECT_EQ(box.image, image);
}

TEST_F(Edit, LoadBlockOfItsOwnImageKeepsMemosAndStillSends) {
    db.SetVolumeMemo(3, 40);
    box.sent.clear();
    EXPECT_TRUE(db.LoadBlock(db.Block()));
    EXPECT_EQ(db.VolumeMemo(3), 40);
    EXPECT_EQ(box.SentWith(0x98).size(), 21u);
}

TEST(LoadBlockDisconnected, ReplacesTheImageAndReportsFailure) {
    ParamDatabase db;
    EffectBlock image;
    image.SetByte(0, 0x3F);
    db.SetVolumeMemo(0, 10);
    EXPECT_FALSE(db.LoadBlock(image));
    EXPECT_EQ(db.Block(), image);
    EXPECT_EQ(db.VolumeMemo(0), -1);
}

TEST(DumpParams, WritesEveryParameterInTheFixedFormat) {
    CaptureLog log;
    ParamDatabase db;
    db.SetDebugLog(&log);
    db.SetBandGain(3, 17, static_cast<uint16_t>(-200));
    log.lines.clear();
    db.DumpParams();
    ASSERT_EQ(log.lines.size(), 642u);
    EXPECT_EQ(log.lines[0], "CarAudio:         MuteCtrl =    0(0) = 0x0000  (1 bytes)\n");
    EXPECT_EQ(log.lines[373], "CarAudio:   Box3_EQ17_Gain = 65336(-200) = 0xFF38  (2 bytes)\n");
    EXPECT_EQ(log.lines[17], "CarAudio: Box0_HFliter_Type_Xoct =    1(1) = 0x0001  (1 bytes)\n");
    EXPECT_EQ(log.lines[641], "CarAudio:      Box5_Input3 =  100(100) = 0x0064  (1 bytes)\n");
}

}  // namespace
}  // namespace caraudio::test

namespace caraudio {
namespace {

TEST(Links, LinkAndUnlinkFollowTheSelection) {
    ParamDatabase db;
    db.SetSelectedChannel(4);
    db.SetParam(param::Volume(4), 33);
    db.LinkWithSelection(1);  // selection 4 not linked: it moves to 1
    EXPECT_EQ(db.SelectedChannel(), 1);
    db.LinkWithSelection(4);  // 4 takes the selected channel's settings
    EXPECT_EQ(db.SelectedChannel(), 1);
    EXPECT_EQ(db.GetParam(param::Volume(4)), db.GetParam(param::Volume(1)));
    db.LinkWithSelection(5);
    struct Reach {
        int from, to;
        bool reaches;
    };
    for (const Reach r :
         {Reach{1, 5, true}, {4, 1, true}, {1, 0, false}, {0, 0, true}, {0, 1, false}, {1, 6, false}})
        EXPECT_EQ(db.EditReaches(r.from, r.to), r.reaches) << r.from << " -> " << r.to;
    db.UnlinkKeepingSelection(5);  // not selected: the selection stays
    EXPECT_EQ(db.SelectedChannel(), 1);
    db.UnlinkKeepingSelection(1);  // selected: the lowest other linked one takes it
    EXPECT_EQ(db.SelectedChannel(), 4);
    EXPECT_FALSE(db.IsLinked(1));
    db.ClearLinks();
    for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_FALSE(db.IsLinked(ch));
    db.UnlinkKeepingSelection(4);  // alone: nobody to hand it to
    EXPECT_EQ(db.SelectedChannel(), 4);
}

}  // namespace
}  // namespace caraudio
