#include <climits>
#include <functional>
#include <memory>

#include "EditSession.h"
#include "GainCompensation.h"
#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

using RecordList = std::vector<std::pair<std::string, int>>;
constexpr int kResetCtrlOffset = 3;

// What a user and the box hold, read through the model's public accessors.
struct Seen {
    EffectBlock pc, box;
    std::vector<int> remembered;  // per channel and band: the gain, or INT_MIN for none
    std::vector<int> memos, links;
    bool operator==(const Seen&) const = default;
};

// A model connected to the fake box, with a tuning that has something in
// every kind of memory: gains, two linked channels, a band switched off, a
// bypassed channel and a volume memo. The session starts from it.
class Undo : public ConnectedModel {
protected:
    void SetUp() override {
        ConnectedModel::SetUp();
        for (int ch = 0; ch < kChannelCount; ++ch)
            for (int b : {1, 7}) db.SetBandGain(ch, b, static_cast<uint16_t>(100 * (ch + 1) + b));
        db.LinkChannel(0, 0);
        db.LinkChannel(1, 0);  // CH1 takes CH0's tuning
        db.SwitchBandOff(3, 1);
        db.SetBypass(4, true);
        db.SetVolumeMemo(5, 40);
        db.Throttle().Flush();
        session = std::make_unique<EditSession>(db);
        session->SetClock(&clock);
        box.sent.clear();
    }

    Seen Look() {
        db.Throttle().Flush();
        Seen s{db.Block(), box.image, {}, {}, {}};
        // The box keeps the last reset mask it was sent; the PC never shows one.
        s.box.SetByte(kResetCtrlOffset, 0);
        for (int ch = 0; ch < kChannelCount; ++ch) {
            for (int b = 0; b < kBandCount; ++b)
                s.remembered.push_back(db.HasRememberedGain(ch, b) ? db.RememberedGain(ch, b) : INT_MIN);
            s.memos.push_back(db.VolumeMemo(ch));
            s.links.push_back(db.IsLinked(ch));
        }
        return s;
    }

    RecordList SentRecords() const {
        RecordList out;
        for (const Frame& f : box.SentWith(0x9C))
            for (const auto& r : Records(f)) out.push_back(r);
        return out;
    }

    void Step(const std::string& label, const std::function<void()>& edit) {
        EditSession::Scope step(*session, label);
        edit();
    }

    std::unique_ptr<EditSession> session;
};

TEST_F(Undo, EveryKindOfStepUndoneAndRedoneRestoresImageMemoryAndBox) {
    EffectBlock scene = DefaultEffectBlock();
    scene.Set(*FindParam(param::MainVol), 30);
    scene.Set(*FindParam(param::BandGain(2, 3)), 600);
    scene.Set(*FindParam(param::MuteCtrl), 0x05);
    const struct {
        const char* what;
        std::function<void(ParamDatabase&)> edit;
    } cases[] = {
        {"band gain, linked", [](ParamDatabase& d) { d.SetBandGain(0, 7, 250); }},
        {"band frequency", [](ParamDatabase& d) { d.SetBandFreq(2, 7, 1200); }},
        {"band Q", [](ParamDatabase& d) { d.SetBandQ(2, 7, 300); }},
        {"crossover type", [](ParamDatabase& d) { d.SetHighPassType(2, 2); }},
        {"crossover slope", [](ParamDatabase& d) { d.SetLowPassSlope(2, 3); }},
        {"crossover frequency", [](ParamDatabase& d) { d.SetHighPassFreq(2, 80); }},
        {"level", [](ParamDatabase& d) { d.SetChannelVolume(2, 50); }},
        {"mute", [](ParamDatabase& d) { d.SetMute(2, true); }},
        {"phase", [](ParamDatabase& d) { d.SetPhase(2, true); }},
        {"delay", [](ParamDatabase& d) { d.SetDelayMs(2, 1.5); }},
        {"link copy", [](ParamDatabase& d) { d.LinkChannel(3, 2); }},
        {"link copy onto the bypassed channel", [](ParamDatabase& d) { d.LinkChannel(4, 2); }},
        {"bypass on", [](ParamDatabase& d) { d.SetBypass(2, true); }},
        {"bypass off", [](ParamDatabase& d) { d.SetBypass(4, false); }},
        {"bypass cancelled", [](ParamDatabase& d) { d.CancelBypass(4); }},
        {"band off", [](ParamDatabase& d) { d.SwitchBandOff(2, 7); }},
        {"band on", [](ParamDatabase& d) { d.SwitchBandOn(3, 1); }},
        {"reset", [](ParamDatabase& d) { d.ResetChannel(2); }},
        {"gain compensation",
         [](ParamDatabase& d) {
             d.SetBandGain(2, 1, 1500);
             CompensateGain(d, 2, 1.0);
         }},
        {"scene load",
         [&](ParamDatabase& d) {
             d.LoadBlock(scene);
             d.ClearLinks();
             d.RebuildCurveModels();
         }},
        {"read back from the box",
         [&](ParamDatabase& d) {
             box.image = scene;
             d.ReadDeviceBlock();
             d.ClearLinks();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Seen before = Look();
        Step(c.what, [&] { c.edit(db); });
        const Seen after = Look();
        ASSERT_FALSE(after == before);
        ASSERT_TRUE(session->Undo());
        EXPECT_TRUE(Look() == before);
        EXPECT_EQ(Look().pc, before.pc);
        EXPECT_EQ(Look().remembered, before.remembered);
        EXPECT_EQ(Look().memos, before.memos);
        EXPECT_EQ(Look().links, before.links);
        ASSERT_TRUE(session->Redo());
        Seen redone = Look();
        // The fake box does not reset channels itself as the real one does:
        // what the redo sends makes it the PC's image then.
        if (std::string(c.what) == "reset") redone.box = after.box;
        EXPECT_TRUE(redone == after);
        ASSERT_TRUE(session->Undo());
        EXPECT_TRUE(Look() == before);
        EXPECT_EQ(session->History(EditSession::Side::A).RedoCount(), 1u);
    }
}

TEST_F(Undo, SendsOnlyTheParametersWhereTheBoxDiffers) {
    const struct {
        const char* what;
        std::function<void(ParamDatabase&)> edit;
        RecordList undo, redo;
    } cases[] = {
        {"linked gain: both channels in one frame",
         [](ParamDatabase& d) { d.SetBandGain(0, 7, 250); },
         {{"Box0_EQ7_Gain", 107}, {"Box1_EQ7_Gain", 107}},
         {{"Box0_EQ7_Gain", 250}, {"Box1_EQ7_Gain", 250}}},
        // The box keeps the gains a bypass zeroes only on the PC.
        {"bypass: the bit alone",
         [](ParamDatabase& d) { d.SetBypass(2, true); },
         {{"PassCtrl", 0x10}},
         {{"PassCtrl", 0x14}}},
        {"band off",
         [](ParamDatabase& d) { d.SwitchBandOff(2, 7); },
         {{"Box2_EQ7_Gain", 307}},
         {{"Box2_EQ7_Gain", 0}}},
        {"the volume memo alone: nothing", [](ParamDatabase& d) { d.SetVolumeMemo(2, 12); }, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Step(c.what, [&] { c.edit(db); });
        box.sent.clear();
        ASSERT_TRUE(session->Undo());
        EXPECT_EQ(SentRecords(), c.undo);
        box.sent.clear();
        ASSERT_TRUE(session->Redo());
        EXPECT_EQ(SentRecords(), c.redo);
        EXPECT_EQ(box.sent.size(), box.SentWith(0x9C).size());  // no whole image
        session->Undo();
    }
}

TEST_F(Undo, RebuildsTheCurvesOfTheChannelsWhoseFiltersChanged) {
    auto* curves = new RecordingCurves;
    db.SetCurveModels(std::unique_ptr<CurveModels>(curves));
    const struct {
        const char* what;
        std::function<void(ParamDatabase&)> edit;
        std::vector<int> rebuilt;
    } cases[] = {
        {"level", [](ParamDatabase& d) { d.SetChannelVolume(2, 50); }, {}},
        {"band frequency", [](ParamDatabase& d) { d.SetBandFreq(2, 7, 1200); }, {2}},
        {"linked gain", [](ParamDatabase& d) { d.SetBandGain(0, 7, 250); }, {0, 1}},
        {"crossover", [](ParamDatabase& d) { d.SetLowPassFreq(5, 8000); }, {5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Step(c.what, [&] { c.edit(db); });
        curves->rebuilt.clear();
        session->Undo();
        EXPECT_EQ(curves->rebuilt, c.rebuilt);
    }
}

TEST(UndoDisconnected, ChangesOnlyThePc) {
    FakeBox box;
    ParamDatabase db;
    db.SetDeviceLink(&box);  // open, but no handshake
    EditSession session(db);
    {
        EditSession::Scope step(session, "CH3 band 7 gain");
        db.SetBandGain(2, 7, 450);
    }
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(db.Block(), DefaultEffectBlock());
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(db.GetParam(param::BandGain(2, 7)), 450);
    EXPECT_TRUE(db.Pending().Empty());
    EXPECT_TRUE(box.sent.empty());
}

TEST_F(Undo, ADragIsOneStep) {
    session->BeginStep("CH3 band 7 gain");
    for (int i = 0; i < 10; ++i) {
        clock.now += 16;
        db.SetBandFreq(2, 7, static_cast<uint16_t>(500 + 20 * i));
        db.SetBandGain(2, 7, static_cast<uint16_t>(10 * i));
    }
    session->EndStep();
    EXPECT_EQ(session->History(EditSession::Side::A).UndoCount(), 1u);
    EXPECT_EQ(session->UndoLabel(), "CH3 band 7 gain");
    session->Undo();
    EXPECT_EQ(db.GetParam(param::BandGain(2, 7)), 307);
    EXPECT_EQ(db.GetParam(param::BandFreq(2, 7)), 100);
    EXPECT_FALSE(session->CanUndo());
}

TEST_F(Undo, AWheelRunMergesAndAPauseSplitsIt) {
    auto wheel = [&](uint32_t after, int value) {
        clock.now += after;
        EditSession::Scope step(*session, "CH3 level", "volume.2");
        db.SetChannelVolume(2, static_cast<uint16_t>(value));
    };
    wheel(0, 60);
    wheel(100, 59);
    wheel(600, 58);
    wheel(800, 57);  // after a pause
    wheel(50, 56);
    EXPECT_EQ(session->History(EditSession::Side::A).UndoCount(), 2u);
    session->Undo();
    EXPECT_EQ(db.GetParam(param::Volume(2)), 58);
    session->Undo();
    EXPECT_EQ(db.GetParam(param::Volume(2)), 66);
}

TEST_F(Undo, ChangesOutsideAnyStepBecomeAStepOfTheirOwn) {
    const Seen start = Look();
    db.SetMainVolume(20);  // no step around it
    EXPECT_TRUE(session->CanUndo());
    EXPECT_EQ(session->UndoLabel(), "");
    Step("CH3 level", [&] { db.SetChannelVolume(2, 50); });
    EXPECT_EQ(session->History(EditSession::Side::A).UndoCount(), 2u);
    EXPECT_EQ(session->UndoLabel(), "CH3 level");
    session->Undo();
    EXPECT_EQ(session->UndoLabel(), "");
    session->Undo();
    EXPECT_TRUE(Look() == start);

    // A loose whole image after an undo: undone first, and it clears redo.
    db.LoadBlock(DefaultEffectBlock());
    EXPECT_FALSE(session->CanRedo());
    ASSERT_TRUE(session->Undo());
    EXPECT_TRUE(Look() == start);
    EXPECT_EQ(session->History(EditSession::Side::A).RedoCount(), 1u);
}

// An image read from a box is no edit of the user's: after it the current
// side has nothing to undo, and what came before it cannot come back.
TEST_F(Undo, StartingAfreshForgetsTheStepsBeforeTheReadImage) {
    Step("one", [&] { db.SetMainVolume(10); });
    Step("two", [&] { db.SetMainVolume(20); });
    session->Undo();
    box.image.Set(*FindParam(param::MainVol), 44);
    ASSERT_TRUE(db.ReadDeviceBlock());
    session->StartAfresh();
    EXPECT_FALSE(session->CanUndo());
    EXPECT_FALSE(session->CanRedo());
    EXPECT_FALSE(session->Undo());
    EXPECT_EQ(db.GetParam(param::MainVol), 44);
    Step("three", [&] { db.SetMainVolume(30); });
    ASSERT_TRUE(session->Undo());
    EXPECT_EQ(db.GetParam(param::MainVol), 44);
    EXPECT_FALSE(session->CanUndo());
}

TEST_F(Undo, ANewStepAfterAnUndoClearsRedo) {
    Step("one", [&] { db.SetMainVolume(10); });
    Step("two", [&] { db.SetMainVolume(20); });
    session->Undo();
    EXPECT_EQ(session->RedoLabel(), "two");
    Step("three", [&] { db.SetMainVolume(30); });
    EXPECT_FALSE(session->CanRedo());
    EXPECT_FALSE(session->Redo());
    session->Undo();
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
}

TEST_F(Undo, NothingIsUndoneOrSwitchedInTheMiddleOfAGesture) {
    std::vector<EditSession::Change> heard;
    session->SetObserver([&](EditSession::Change c) { heard.push_back(c); });
    Step("one", [&] { db.SetMainVolume(10); });
    session->BeginStep("drag");
    db.SetMainVolume(20);
    EXPECT_FALSE(session->CanUndo());
    EXPECT_FALSE(session->Undo());
    EXPECT_FALSE(session->Switch());
    EXPECT_FALSE(session->Copy(EditSession::Side::A, "copy"));
    session->BeginStep("nested");
    db.SetMainVolume(30);
    session->EndStep();
    session->EndStep();
    session->EndStep();  // one too many: ignored
    EXPECT_EQ(session->UndoLabel(), "drag");
    EXPECT_TRUE(session->Undo());
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    using C = EditSession::Change;
    EXPECT_EQ(heard, (std::vector<C>{C::Steps, C::Steps, C::Tuning}));
}

class AB : public Undo {
protected:
    using Side = EditSession::Side;
    // Frames that would touch the box's memory slots or rewrite it whole.
    size_t SlotOrImageFrames() const {
        return box.SentWith(0x92).size() + box.SentWith(0x9E).size() + box.SentWith(0x98).size();
    }
};

TEST_F(AB, SwitchingSendsExactlyTheDifferencesAndTheBoxHoldsTheShownSide) {
    const Seen a = Look();
    EXPECT_TRUE(session->Copy(Side::A, "Copy A to B"));
    EXPECT_TRUE(session->Switch());
    EXPECT_EQ(session->CurrentSide(), Side::B);
    EXPECT_TRUE(box.sent.empty());  // B starts as A
    Step("B", [&] {
        db.SetBandGain(2, 3, 450);
        db.SetChannelVolume(5, 30);
        db.SetMute(0, true);
    });
    const Seen b = Look();
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        box.sent.clear();
        ASSERT_TRUE(session->Switch());
        const bool showsA = session->CurrentSide() == Side::A;
        EXPECT_EQ(showsA, i % 2 == 0);
        EXPECT_EQ(box.SentWith(0x9C).size(), 1u);
        EXPECT_EQ(SentRecords(),
                  showsA ? (RecordList{{"MuteCtrl", 0}, {"Volume_5", 66}, {"Box2_EQ3_Gain", 0}})
                         : (RecordList{{"MuteCtrl", 1}, {"Volume_5", 30}, {"Box2_EQ3_Gain", 450}}));
        EXPECT_TRUE(Look() == (showsA ? a : b));
        EXPECT_EQ(SlotOrImageFrames(), 0u);
    }
}

TEST(ABWholeChannels, EveryBandOfEveryChannelDifferentGoesInSeventeenFrames) {
    FakeBox box;
    ParamDatabase db;
    db.SetDeviceLink(&box);
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    EditSession session(db);
    session.Switch();
    {
        EditSession::Scope step(session, "all bands");
        for (int ch = 0; ch < kChannelCount; ++ch)
            for (int b = 0; b < kBandCount; ++b)
                db.SetBandGain(ch, b, static_cast<uint16_t>(1 + ch * 31 + b));
    }
    const EffectBlock b = db.Block();
    ASSERT_EQ(box.image, b);
    for (const auto& [side, image] : {std::pair{0, DefaultEffectBlock()}, std::pair{1, b}}) {
        box.sent.clear();
        session.Switch();
        EXPECT_EQ(static_cast<int>(session.CurrentSide()), side);
        const auto frames = box.SentWith(0x9C);
        EXPECT_EQ(frames.size(), 17u);  // 186 gains, 11 to a frame
        size_t records = 0;
        for (const Frame& f : frames) records += f[4];
        EXPECT_EQ(records, 186u);
        EXPECT_EQ(box.sent.size(), 17u);
        EXPECT_EQ(box.image, image);
        EXPECT_EQ(db.Block(), image);
    }
}

TEST_F(AB, EachSideKeepsItsOwnHistory) {
    Step("A edit", [&] { db.SetMainVolume(10); });
    session->Switch();
    EXPECT_FALSE(session->CanUndo());
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    Step("B edit", [&] { db.SetMainVolume(20); });
    session->Switch();
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    EXPECT_EQ(session->UndoLabel(), "A edit");
    session->Undo();
    EXPECT_EQ(box.image.Get(*FindParam(param::MainVol)), 66);
    session->Switch();
    EXPECT_EQ(db.GetParam(param::MainVol), 20);
    EXPECT_EQ(session->UndoLabel(), "B edit");
    session->Undo();
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    EXPECT_FALSE(session->CanUndo());
    EXPECT_EQ(SlotOrImageFrames(), 0u);
}

TEST_F(AB, ACopyIsAStepOfTheSideItLandsOn) {
    Step("A edit", [&] { db.SetMainVolume(10); });
    session->Switch();
    Step("B edit", [&] { db.SetMainVolume(20); });

    // Onto the side shown: the box follows, and it can be undone.
    session->Copy(Side::A, "Copy A to B");
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    EXPECT_EQ(box.image.Get(*FindParam(param::MainVol)), 10);
    EXPECT_EQ(session->UndoLabel(), "Copy A to B");
    session->Undo();
    EXPECT_EQ(db.GetParam(param::MainVol), 20);

    // Onto the hidden side: nothing reaches the box until it is shown.
    box.sent.clear();
    session->Copy(Side::B, "Copy B to A");
    EXPECT_TRUE(box.sent.empty());
    EXPECT_EQ(session->History(Side::A).UndoLabel(), "Copy B to A");
    session->Switch();
    EXPECT_EQ(db.GetParam(param::MainVol), 20);
    session->Undo();
    EXPECT_EQ(db.GetParam(param::MainVol), 10);
    EXPECT_EQ(box.image.Get(*FindParam(param::MainVol)), 10);
}

}  // namespace
}  // namespace caraudio::test
