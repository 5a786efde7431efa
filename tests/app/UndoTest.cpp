// Undo, redo and the A/B comparison as the user meets them: the keys, the
// buttons and their tooltips, and what the PC and the emulated box hold.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <set>

#include "AppRig.h"
#include "CommonDialog.h"
#include "EditSession.h"
#include "ParameterTable.h"
#include "PresetDialog.h"
#include "SEdit2.h"
#include "SMoveThumb.h"
#include "SceneStore.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkRotaryKnob.h"
#include "Translation.h"
#include "ValueScales.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using namespace widgets;

class UndoTest : public AppRig {
protected:
    void Start(bool showMain = true) {
        AppRig::Start({}, showMain);
        app->Language().Use(kEnglish);
        // The windows translate their texts once the loop runs, the first
        // time in a process only after fonts and styles have loaded.
        ASSERT_TRUE(WaitFor([this] { return Button("btn_undo")->toolTip() == "Nothing to undo"; }));
        // Runs of steps are merged by time: the test decides what a pause is.
        app->Session().SetClock(&clock);
    }
    void TearDown() override {
        if (app) app->Session().SetClock(nullptr);
    }
    QPushButton* Button(const char* name) { return Named<QPushButton>(&Main(), name); }
    void DragBand(int band, int dy) {
        SMoveThumb* thumb = Main().Editor()->BandThumb(band);
        const QPoint grab = thumb->rect().center();
        widgets::test::Press(thumb, grab);
        for (int step = 1; step <= 4; ++step) {
            widgets::test::MoveTo(thumb, grab + QPoint(0, dy * step / 4));
            clock.now += 1000;  // slow: a drag is one step however long it takes
        }
        widgets::test::Release(thumb, grab + QPoint(0, dy));
    }
    // The parameter records the box was sent since the last clear, as
    // (offset, value), read from the 0x9C frames.
    std::vector<std::pair<int, int>> SentRecords() {
        std::vector<std::pair<int, int>> out;
        for (const Frame& f : Box().Firmware().Requests()) {
            if (f[0] != 0x9C) continue;
            for (int r = 0; r < f[4]; ++r) {
                const int at = 5 + 5 * r;
                out.emplace_back(f[at] | f[at + 1] << 8, f[at + 3] | f[at + 4] << 8);
            }
        }
        return out;
    }
    // The offsets of the parameters whose bytes differ between two images.
    static std::set<int> Differing(const EffectBlock& a, const EffectBlock& b) {
        std::set<int> out;
        for (const ParamRecord& p : Parameters())
            for (int i = 0; i < p.size; ++i)
                if (a.Byte(p.offset + i) != b.Byte(p.offset + i)) out.insert(p.offset);
        return out;
    }
    void Unplug() {
        Box().Unplug();
        ASSERT_TRUE(WaitFor([&] { return !Connected(); }));
    }
    // Back about 2 s later, once what the connection asks has been answered.
    void Plug() {
        Box().Plug();
        ASSERT_TRUE(WaitFor([&] { return Connected(); }));
        Settle();
    }
    StoppedClock clock;
};

TEST_F(UndoTest, AWholeCurveDragIsUndoneWithOneCtrlZ) {
    Start();
    const EffectBlock pc = Pc(), box = SentBox();
    EXPECT_FALSE(Button("btn_undo")->isEnabled());
    EXPECT_EQ(Button("btn_undo")->toolTip(), "Nothing to undo");
    const QString gainShown = Ctl<SEdit2>(5206)->text();
    DragBand(6, -60);
    ASSERT_NE(Pc(), pc);
    EXPECT_NE(Ctl<SEdit2>(5206)->text(), gainShown);
    EXPECT_TRUE(Button("btn_undo")->isEnabled());
    EXPECT_EQ(Button("btn_undo")->toolTip(), "Undo: CH3 band 7 gain");
    const EffectBlock dragged = Pc();

    Key(&Main(), Qt::Key_Z);
    EXPECT_EQ(Pc(), pc);
    EXPECT_EQ(SentBox(), box);
    EXPECT_EQ(Ctl<SEdit2>(5206)->text(), gainShown);
    EXPECT_FALSE(Button("btn_undo")->isEnabled());
    EXPECT_TRUE(Button("btn_redo")->isEnabled());
    EXPECT_EQ(Button("btn_redo")->toolTip(), "Redo: CH3 band 7 gain");

    Key(&Main(), Qt::Key_Y);
    EXPECT_EQ(Pc(), dragged);
    EXPECT_EQ(SentBox(), dragged);
    EXPECT_NE(Ctl<SEdit2>(5206)->text(), gainShown);
}

TEST_F(UndoTest, TooltipsNameTheStepInBothLanguages) {
    Start();
    const struct {
        int language;
        const char* undo;
        const char* redo;
    } cases[] = {
        {kEnglish, "Undo: CH3 high-pass frequency", "Redo: CH3 band 7 gain"},
        {kChinese, "撤销：CH3 高通频率", "重做：CH3 第7段增益"},
    };
    DragBand(6, -40);
    Type(Ctl<SEdit2>(4002), "120");
    Type(Ctl<SEdit2>(5206), "3");
    Click(Button("btn_undo"));
    for (const auto& c : cases) {
        app->Language().Use(c.language);
        Settle();
        EXPECT_EQ(Button("btn_undo")->toolTip(), QString::fromUtf8(c.undo));
        EXPECT_EQ(Button("btn_redo")->toolTip(), QString::fromUtf8(c.redo));
    }
    EXPECT_EQ(Button("btn_undo")->text(), QString::fromUtf8("撤销"));
    EXPECT_EQ(Button("btn_ab")->text(), QString::fromUtf8("调音 A"));
}

TEST_F(UndoTest, ANewEditAfterAnUndoClearsRedo) {
    Start();
    Type(Ctl<SEdit2>(6004), "-10");
    Type(Ctl<SEdit2>(6004), "-20");
    Click(Button("btn_undo"));
    EXPECT_EQ(Ctl<SEdit2>(6004)->text(), "-10dB");
    EXPECT_TRUE(Button("btn_redo")->isEnabled());
    Click(Ctl<SkCheckButton>(1304));  // CH3 mute
    EXPECT_FALSE(Button("btn_redo")->isEnabled());
    EXPECT_EQ(Button("btn_redo")->toolTip(), "Nothing to redo");
    EXPECT_EQ(Button("btn_undo")->toolTip(), "Undo: CH3 mute");
    Click(Button("btn_redo"));  // disabled: nothing happens
    EXPECT_TRUE(Ctl<SkCheckButton>(1304)->isChecked());
}

// A field with typed text not yet taken undoes its own typing; otherwise the
// keys undo the tuning.
TEST_F(UndoTest, CtrlZInAFieldUndoesItsTypingFirstThenTheTuning) {
    Start();
    const int level = Param(param::Volume(4));
    Type(Ctl<SEdit2>(6004), "-12");
    QLineEdit* master = Ctl<SEdit2>(4000);
    const QString masterText = master->text();
    TypeOver(master, "-30");
    QTest::keyClick(master, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(master->text(), masterText) << "the typing went";
    EXPECT_NE(Param(param::Volume(4)), level) << "the tuning stayed";
    QTest::keyClick(master, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Param(param::Volume(4)), level);
    EXPECT_EQ(Ctl<SEdit2>(6004)->text(), QString::fromStdString(FormatVolume(level)));
}

// Drag a band, change a crossover, load a PC scene; three undos give the
// image back byte for byte on the PC and the box, three redos the edits.
TEST_F(UndoTest, ThreeEditsUndoneAndRedone) {
    Start();
    EffectBlock scene = Db().Block();
    scene.Set(*FindParam(param::MainVol), 30);
    scene.Set(*FindParam(param::BandGain(2, 3)), 600);
    scene.Set(*FindParam(param::HighPassFreq(0)), 250);
    storage::SceneList list;
    ASSERT_EQ(storage::AddScene(list, u"Road", scene, app->Settings()).outcome,
              storage::AddSceneResult::Added);
    const EffectBlock start = Pc();
    ASSERT_EQ(SentBox(), start);

    DragBand(6, -50);
    const EffectBlock afterDrag = Pc();
    Type(Ctl<SEdit2>(4002), "120");
    const EffectBlock afterCrossover = Pc();
    ASSERT_NE(afterCrossover, afterDrag);
    {
        CCommonDlg dialog("XML_MY_PRESET");
        new CDlgSysSettingEventHandler(dialog, app->Services(), [this] { Main().RefreshAll(); });
        Named<QPushButton>(dialog.Layout(), "btnRecallPCMode")->click();
    }
    ASSERT_EQ(Pc(), scene);
    EXPECT_EQ(Button("btn_undo")->toolTip(), "Undo: Load scene Road");
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-30dB");

    const struct {
        EffectBlock image;
        const char* redoTip;
    } undone[] = {{afterCrossover, "Redo: Load scene Road"},
                  {afterDrag, "Redo: CH3 high-pass frequency"},
                  {start, "Redo: CH3 band 7 gain"}};
    for (const auto& u : undone) {
        Key(&Main(), Qt::Key_Z);
        EXPECT_EQ(Pc(), u.image);
        EXPECT_EQ(SentBox(), u.image);
        EXPECT_EQ(Button("btn_redo")->toolTip(), u.redoTip);
    }
    EXPECT_FALSE(Button("btn_undo")->isEnabled());
    EXPECT_EQ(Ctl<SEdit2>(4002)->text(),
              QString::fromStdString(FormatHighPassFreq(start.Get(*FindParam(param::HighPassFreq(4))))));

    const EffectBlock redone[] = {afterDrag, afterCrossover, scene};
    for (size_t i = 0; i < 3; ++i) {
        Key(&Main(), i == 1 ? Qt::Key_Z : Qt::Key_Y,
            i == 1 ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        EXPECT_EQ(Pc(), redone[i]);
        EXPECT_EQ(SentBox(), redone[i]);
    }
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-30dB");
}

TEST_F(UndoTest, ACompactKnobTurnIsUndoneAsOneStep) {
    Start(false);
    CMiniDlg& compact = *app->CompactWindow();
    auto* knob = Control<SkRotaryKnob>(&compact, 1000);
    ASSERT_NE(knob, nullptr);
    const EffectBlock pc = Pc(), box = SentBox();
    for (int notch = 0; notch < 5; ++notch) {
        widgets::test::Wheel(knob, -1);
        clock.now += 300;  // a run without a pause
    }
    const int turned = Param(param::MainVol);
    ASSERT_LT(turned, pc.Get(*FindParam(param::MainVol)) - 3);
    clock.now += 2000;
    Click(Control<QPushButton>(&compact, 1002));  // "-" after a pause: a step of its own
    ASSERT_EQ(Param(param::MainVol), turned - 1);

    Key(&compact, Qt::Key_Z);
    EXPECT_EQ(Param(param::MainVol), turned);
    Key(&compact, Qt::Key_Z);
    EXPECT_EQ(Pc(), pc);
    EXPECT_EQ(SentBox(), box);
    EXPECT_EQ(knob->Value(), std::min<int>(pc.Get(*FindParam(param::MainVol)), 60));
    EXPECT_FALSE(app->Session().CanUndo());
    Key(&compact, Qt::Key_Y);
    EXPECT_EQ(Param(param::MainVol), turned);
    EXPECT_EQ(knob->Value(), turned);
}

// Tune B from a copy of A, then switch ten times: the box holds the shown
// side each time and is sent exactly the parameters that differ.
TEST_F(UndoTest, ABSwitchesSendOnlyTheDifferences) {
    Start();
    auto* side = Named<QLabel>(app->CompactWindow(), "tuning_side");
    ASSERT_NE(side, nullptr);
    const EffectBlock a = Pc();
    EXPECT_TRUE(ClickForMenu(Button("btn_ab_menu"), [](QMenu* menu) {
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[0]->text(), "Copy A to B");
        menu->setActiveAction(menu->actions()[0]);
        QTest::keyClick(menu, Qt::Key_Return);
    })) << "the copy menu was seen and used";
    EXPECT_EQ(Pc(), a) << "B is not shown yet";
    Click(Button("btn_ab"));
    EXPECT_EQ(Button("btn_ab")->text(), "Tuning B");
    EXPECT_EQ(side->text(), "Tuning B");
    EXPECT_EQ(Pc(), a) << "B starts as A's copy";
    Type(Ctl<SEdit2>(6004), "-15");
    Type(Ctl<SEdit2>(5203), "4.5");
    Type(Ctl<SEdit2>(4001), "9000");
    const EffectBlock b = Pc();
    const std::set<int> differing = Differing(a, b);
    ASSERT_EQ(differing.size(), 3u);
    ASSERT_EQ(SentBox(), b);

    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        Box().Firmware().ClearRequests();
        if (n % 2)
            Click(Button("btn_ab"));
        else
            Key(&Main(), Qt::Key_B);
        const bool showsA = n % 2 == 1;
        const EffectBlock& shown = showsA ? a : b;
        EXPECT_EQ(Pc(), shown);
        EXPECT_EQ(SentBox(), shown);
        std::set<int> sent;
        for (const auto& [offset, value] : SentRecords()) sent.insert(offset);
        EXPECT_EQ(sent, differing);
        EXPECT_EQ(SentRecords().size(), differing.size());
        EXPECT_EQ(Box().Firmware().RequestCount(0x9C), 1) << "three records fit one frame";
        EXPECT_EQ(Button("btn_ab")->text(), showsA ? "Tuning A" : "Tuning B");
        EXPECT_EQ(side->text(), showsA ? "Tuning A" : "Tuning B");
        EXPECT_EQ(
            Ctl<SEdit2>(6004)->text(),
            showsA ? QString::fromStdString(FormatVolume(a.Get(*FindParam(param::Volume(4))))) : "-15dB");
    }
}

// "Copy A to B" from the menu replaces what B held with A's tuning.
TEST_F(UndoTest, CopyAToBReplacesB) {
    Start();
    const EffectBlock a = Pc();
    Click(Button("btn_ab"));
    Type(Ctl<SEdit2>(6004), "-15");
    ASSERT_NE(Pc(), a) << "B tuned";
    Click(Button("btn_ab"));
    ASSERT_EQ(Pc(), a) << "A shown again";
    EXPECT_TRUE(ClickForMenu(Button("btn_ab_menu"), [](QMenu* menu) {
        menu->setActiveAction(menu->actions()[0]);  // Copy A to B
        QTest::keyClick(menu, Qt::Key_Return);
    }));
    EXPECT_EQ(Pc(), a) << "A is shown and stays";
    Click(Button("btn_ab"));
    EXPECT_EQ(Button("btn_ab")->text(), "Tuning B");
    EXPECT_EQ(Pc(), a) << "B holds A's copy";
    EXPECT_EQ(SentBox(), a);
}

// Unplugged, the user switches to B and tunes it; meanwhile another program
// changed the box. Plugged in again, the box's image never replaces B unasked:
// the user sends B to the box, or takes the box's tuning into B as a step that
// undo takes back. A and both histories stay.
class ReplugTest : public UndoTest, public ::testing::WithParamInterface<Answer> {};

TEST_P(ReplugTest, BothTuningsAndTheirHistoriesSurvive) {
    Start();
    Type(Ctl<SEdit2>(6004), "-20");
    const EffectBlock a = Pc();
    ASSERT_NO_FATAL_FAILURE(Unplug());
    Click(Button("btn_ab"));
    Type(Ctl<SEdit2>(6004), "-10");
    const EffectBlock b1 = Pc();
    Type(Ctl<SEdit2>(5203), "3");
    const EffectBlock b2 = Pc();
    ASSERT_NE(b1, b2);
    EffectBlock other = BoxImage();
    other.Set(*FindParam(param::MainVol), 44);
    Box().Firmware().SetCurrentImage(other);
    Texts();
    prompter.answer = GetParam();
    ASSERT_NO_FATAL_FAILURE(Plug());

    const QStringList asked = Texts();
    ASSERT_EQ(asked.size(), 1) << "one question, nothing else";
    EXPECT_TRUE(asked[0].contains("Tuning B") && asked[0].contains("Tuning A")) << asked[0].toStdString();
    EXPECT_EQ(Button("btn_ab")->text(), "Tuning B");
    if (GetParam() == Answer::Yes) {
        EXPECT_EQ(Pc(), b2);
        EXPECT_EQ(SentBox(), b2) << "the box plays B";
        Key(&Main(), Qt::Key_Z);
        EXPECT_EQ(Pc(), b1) << "B's history survived";
    } else {
        EXPECT_EQ(Pc(), other) << "the box's tuning shown as B";
        EXPECT_EQ(Button("btn_undo")->toolTip(), "Undo: Tuning from the box");
        Key(&Main(), Qt::Key_Z);
        EXPECT_EQ(Pc(), b2) << "undo brings B back";
        EXPECT_EQ(SentBox(), b2);
        Key(&Main(), Qt::Key_Z);
        EXPECT_EQ(Pc(), b1) << "and B's own history is there";
    }
    EXPECT_EQ(SentBox(), b1);
    Click(Button("btn_ab"));
    EXPECT_EQ(Pc(), a) << "A was never touched";
    EXPECT_EQ(SentBox(), a);
    Key(&Main(), Qt::Key_Z);
    EXPECT_NE(Pc(), a) << "and A's history survived";
    EXPECT_TRUE(Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, ReplugTest, ::testing::Values(Answer::Yes, Answer::No, Answer::Closed));

// The same box back with what it held: nothing to ask, and undo goes on.
TEST_F(UndoTest, AReplugOfAnUnchangedBoxAsksNothing) {
    Start();
    Type(Ctl<SEdit2>(6004), "-20");
    const EffectBlock tuned = SentBox();
    ASSERT_NO_FATAL_FAILURE(Unplug());
    ASSERT_NO_FATAL_FAILURE(Plug());
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(Pc(), tuned);
    EXPECT_EQ(Button("btn_undo")->toolTip(), "Undo: CH3 level");
    Key(&Main(), Qt::Key_Z);
    EXPECT_NE(SentBox(), tuned) << "the undo reaches the box";
}

}  // namespace
}  // namespace caraudio::app::test
