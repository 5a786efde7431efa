// The box's image read on connect never replaces a tuning of the user's:
// only a PC at its start-up image takes it unasked; otherwise the two are
// compared as the box plays them, and a difference waits for the user.
#include <functional>

#include "EditSession.h"
#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

using ConnectImage = ParamDatabase::ConnectImage;

EffectBlock WithMainVolume(int raw) {
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::MainVol), static_cast<uint16_t>(raw));
    return image;
}

// A model on the scripted box with an undo session, as the program has.
struct ReplugRig {
    ReplugRig() {
        db.SetDeviceLink(&box);
        db.Throttle().Configure(200, &timer, 1012);
        db.Throttle().SetClock(&clock);
        session.SetClock(&clock);
    }

    // Unplugged and plugged in again: the handshake, then the read.
    ConnectImage Replug() {
        db.Disconnect();
        box.open = false;
        EXPECT_EQ(db.Connect(), ConnectStatus::Connected);
        return db.ReadImageOnConnect();
    }
    void Step(const std::function<void()>& edit) {
        EditSession::Scope step(session, "edit");
        edit();
    }
    int Pc(int index) const { return db.GetParam(index); }
    int Box(int index) const { return box.image.Get(*FindParam(index)); }

    FakeBox box;
    FakeTimerHost timer;
    FakeClock clock;
    ParamDatabase db;
    EditSession session{db};
};

class ConnectRead : public ::testing::Test, protected ReplugRig {
protected:
    // Connected, master level edited to 30, and back after someone else set 12.
    void ComeBackChanged() {
        ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
        ASSERT_EQ(db.ReadImageOnConnect(), ConnectImage::Taken);
        Step([&] { db.SetMainVolume(30); });
        box.image = WithMainVolume(12);
        ASSERT_EQ(Replug(), ConnectImage::Differs);
    }
};

TEST_F(ConnectRead, WhatTheBoxIsComparedWith) {
    struct Case {
        const char* what;
        std::function<void(ReplugRig&)> before;  // with the box unplugged
        EffectBlock boxImage;
        ConnectImage expected;
    };
    const Case cases[] = {
        {"a PC at its start-up image takes the box's", [](ReplugRig&) {}, WithMainVolume(12),
         ConnectImage::Taken},
        {"an edit on the PC and a box that differs",
         [](ReplugRig& t) { t.Step([&] { t.db.SetMainVolume(30); }); }, WithMainVolume(12),
         ConnectImage::Differs},
        {"an edit the box already holds", [](ReplugRig& t) { t.Step([&] { t.db.SetMainVolume(12); }); },
         WithMainVolume(12), ConnectImage::Same},
        {"an edit undone back to the start-up image is still the user's",
         [](ReplugRig& t) {
             t.Step([&] { t.db.SetMainVolume(30); });
             t.session.Undo();
         },
         WithMainVolume(12), ConnectImage::Differs},
        {"tuning B shown, never edited", [](ReplugRig& t) { t.session.Switch(); }, WithMainVolume(12),
         ConnectImage::Differs},
        {"a change made without any step", [](ReplugRig& t) { t.db.SetMainVolume(30); }, WithMainVolume(12),
         ConnectImage::Differs},
    };
    for (const Case& c : cases) {
        ReplugRig t;
        t.box.open = false;
        c.before(t);
        t.box.image = c.boxImage;
        ASSERT_EQ(t.db.Connect(), ConnectStatus::Connected) << c.what;
        EXPECT_EQ(t.db.ReadImageOnConnect(), c.expected) << c.what;
        EXPECT_EQ(t.db.BoxDiffers(), c.expected == ConnectImage::Differs) << c.what;
        const bool shownIsTheBoxs = t.db.Block() == c.boxImage;
        EXPECT_EQ(shownIsTheBoxs, c.expected != ConnectImage::Differs) << c.what;
    }
}

TEST_F(ConnectRead, AChannelResetTheBoxKeepsAsACommandIsNoDifference) {
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    ASSERT_EQ(db.ReadImageOnConnect(), ConnectImage::Taken);
    Step([&] { db.ResetChannel(3); });
    db.Throttle().Flush();
    ASSERT_NE(Box(param::ResetCtrl), 0);  // the box keeps the last mask it was sent
    EXPECT_EQ(Replug(), ConnectImage::Same);
}

TEST_F(ConnectRead, ABypassedChannelIsComparedAsTheBoxPlaysIt) {
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    ASSERT_EQ(db.ReadImageOnConnect(), ConnectImage::Taken);
    Step([&] { db.SetBandGain(2, 5, 450); });
    Step([&] { db.SetBypass(2, true); });  // the PC shows 0, the box keeps 4.5 dB
    db.Throttle().Flush();
    ASSERT_EQ(Pc(param::BandGain(2, 5)), 0);
    ASSERT_EQ(Box(param::BandGain(2, 5)), 450);
    EXPECT_EQ(Replug(), ConnectImage::Same);
    EXPECT_TRUE(session.CanUndo());
}

TEST_F(ConnectRead, TakingTheBoxsTuningIsAStepUndoTakesBack) {
    ASSERT_NO_FATAL_FAILURE(ComeBackChanged());
    {
        EditSession::Scope step(session, "Tuning from the box");
        ASSERT_TRUE(db.TakeBoxTuning());
    }
    EXPECT_EQ(db.Block(), WithMainVolume(12));
    EXPECT_FALSE(db.BoxDiffers());
    ASSERT_TRUE(session.Undo());
    db.Throttle().Flush();
    EXPECT_EQ(Pc(param::MainVol), 30);
    EXPECT_EQ(Box(param::MainVol), 30);  // the box follows the undo
    EXPECT_FALSE(db.TakeBoxTuning());    // nothing waits any more
}

TEST_F(ConnectRead, SendingTheShownTuningPutsItWholeIntoTheBox) {
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    ASSERT_EQ(db.ReadImageOnConnect(), ConnectImage::Taken);
    Step([&] { db.SetBandGain(1, 3, 300); });
    Step([&] { db.SetBypass(1, true); });
    db.Disconnect();
    Step([&] { db.SetMainVolume(30); });  // made while unplugged
    box.image = WithMainVolume(12);
    box.open = false;
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    ASSERT_EQ(db.ReadImageOnConnect(), ConnectImage::Differs);
    ASSERT_TRUE(db.SendShownTuning());
    EXPECT_EQ(Box(param::MainVol), 30);
    EXPECT_EQ(Box(param::BandGain(1, 3)), 300);  // the bypass hides it on the PC only
    EXPECT_EQ(Pc(param::BandGain(1, 3)), 0);
    EXPECT_EQ(box.SentWith(0x98).size(), 21u);
    EXPECT_FALSE(db.BoxDiffers());
    EXPECT_TRUE(session.CanUndo());
    EXPECT_EQ(Replug(), ConnectImage::Same);
}

TEST_F(ConnectRead, AFailedSendLetsTheBoxGoAndAFailedReadNeverConnects) {
    ASSERT_NO_FATAL_FAILURE(ComeBackChanged());
    box.failRequest = static_cast<int>(box.sent.size()) + 3;  // the fourth chunk goes unanswered
    EXPECT_FALSE(db.SendShownTuning());
    EXPECT_FALSE(db.IsConnected());
    EXPECT_EQ(Pc(param::MainVol), 30);

    box.failRequest = -1;
    box.image.SetByte(0, 0xFF);
    box.image.SetByte(1, 0xFF);  // a box that answers with a blank image
    EXPECT_EQ(Replug(), ConnectImage::Failed);
    EXPECT_FALSE(db.IsConnected());
    EXPECT_EQ(Pc(param::MainVol), 30);
}

TEST_F(ConnectRead, UnpluggedWhileTheUserChoosesLeavesNothingToChoose) {
    ASSERT_NO_FATAL_FAILURE(ComeBackChanged());
    db.Disconnect();
    EXPECT_FALSE(db.BoxDiffers());
    EXPECT_FALSE(db.SendShownTuning());
    EXPECT_FALSE(db.TakeBoxTuning());
    EXPECT_EQ(Pc(param::MainVol), 30);
}

}  // namespace
}  // namespace caraudio::test
