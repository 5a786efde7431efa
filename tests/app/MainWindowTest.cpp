// The main window driven as a user drives it, against the built-in box.
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "AppRig.h"
#include "ChannelCurves.h"
#include "SEdit2.h"
#include "SMoveThumb.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "ValueScales.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using namespace widgets;
using widgets::test::MoveTo;
using widgets::test::Press;
using widgets::test::Release;

class MainWindowTest : public AppRig {
protected:
    int Ch() { return Db().SelectedChannel(); }
    int Requests(uint8_t command) { return Box().Firmware().RequestCount(command); }
    ChannelCurves& Curves() { return *dynamic_cast<ChannelCurves*>(Db().Curves()); }
    // The box's image after the throttle has sent what it holds.
    EffectBlock SentImage() {
        Db().Throttle().Flush();
        return BoxImage();
    }
    int BoxGain(int ch, int band) {
        return static_cast<int16_t>(SentImage().Get(*FindParam(param::BandGain(ch, band))));
    }
};

TEST_F(MainWindowTest, DraggingBandSevenWritesItsGainAndEverythingFollows) {
    Start();
    SkEQ* eq = Main().Editor();
    SMoveThumb* thumb = eq->BandThumb(7);
    ASSERT_TRUE(eq && thumb && thumb->isVisible());
    const int ch = Ch();
    const int freqBefore = Param(param::BandFreq(ch, 7));
    Box().Firmware().ClearRequests();
    const QPoint grab = thumb->rect().center();
    Press(thumb, grab);
    std::vector<int> seen;
    for (int step = 1; step <= 6; ++step) {
        // Up and a little to the right: in GEQ mode only the gain follows.
        MoveTo(thumb, grab + QPoint(3 * step, -9 * step));
        const int gain = SignedParam(param::BandGain(ch, 7));
        if (seen.empty() || seen.back() != gain) seen.push_back(gain);
    }
    Release(thumb, grab + QPoint(18, -54));
    // The thumb follows the mouse, so it rises 9, 27, 54, 90, 135 and 189
    // pixels over the 0 dB line; 40 dB span 208 pixels, 5.2 a dB, gains
    // truncated to 0.01 dB and stopped at the scale's +20 dB.
    EXPECT_EQ(seen, (std::vector<int>{173, 519, 1038, 1730, 2000}));
    const int gain = SignedParam(param::BandGain(ch, 7));
    ASSERT_EQ(gain, 2000);
    EXPECT_EQ(Param(param::BandFreq(ch, 7)), freqBefore);
    // Each new gain is sent as it is made (the band edit ends any bypass,
    // which sends what waits), in one frame carrying only this band's gain.
    EXPECT_EQ(Requests(0x9C), static_cast<int>(seen.size()));
    for (const Frame& f : Box().Firmware().Requests()) EXPECT_EQ(f[0], 0x9C);
    EXPECT_EQ(static_cast<int16_t>(BoxImage().Get(*FindParam(param::BandGain(ch, 7)))), gain);
    // The band's controls, the model and the thumb's place follow.
    EXPECT_EQ(Ctl<SEdit2>(5207)->text(), "20.0");
    EXPECT_EQ(Ctl<SkSlider>(2107)->Value(), 200);
    EXPECT_FALSE(Ctl<SkCheckButton>(1007)->isChecked());
    EXPECT_FALSE(Ctl<SkCheckButton>(1502)->isChecked());
    EXPECT_DOUBLE_EQ(Curves().Model(ch).Filter(7).gain, gain / 100.0);
    EXPECT_GT(Curves().Model(ch).Peak(), 0.5);
    EXPECT_EQ(thumb->geometry().center().y(), 13) << "on the plot's top line";
}

TEST_F(MainWindowTest, InPeqModeTheDragMovesTheFrequencyToo) {
    Start();
    Click(Ctl<SkCheckButton>(1501));
    ASSERT_TRUE(Main().PeqMode());
    EXPECT_TRUE(Ctl<SEdit2>(5007)->isEnabled());
    SMoveThumb* thumb = Main().Editor()->BandThumb(7);
    const QPoint grab = thumb->rect().center();
    Press(thumb, grab);
    MoveTo(thumb, grab + QPoint(60, 0));
    Release(thumb, grab + QPoint(60, 0));
    const int hz = Param(param::BandFreq(Ch(), 7));
    EXPECT_GT(hz, 80);
    EXPECT_EQ(Ctl<SEdit2>(5007)->text(), QString::number(hz));
    // Back to GEQ: the fields lock again.
    Click(Ctl<SkCheckButton>(1501));
    EXPECT_FALSE(Ctl<SEdit2>(5007)->isEnabled());
}

TEST_F(MainWindowTest, QuickLevelChangesWaitForTheThrottleAndGoOutAsTheLastValue) {
    Start();
    StoppedClock clock;
    Db().SetParam(param::Volume(4), 60);  // 0 dB
    Main().RefreshAll();
    Db().Throttle().SetClock(&clock);
    Box().Firmware().ClearRequests();
    SkSlider* slider = Ctl<SkSlider>(2204);
    const int before = 60;
    slider->setFocus();
    for (int i = 0; i < 5; ++i) QTest::keyClick(slider, Qt::Key_Down);
    EXPECT_EQ(Param(param::Volume(4)), before - 5);
    // The first change went out at once; the rest wait for timer 1012.
    EXPECT_EQ(Requests(0x9C), 1);
    EXPECT_EQ(BoxParam(param::Volume(4)), before - 1);
    Main().OnTimer(CMainDlg::kThrottleTimerId);
    EXPECT_EQ(Requests(0x9C), 2);
    EXPECT_EQ(BoxParam(param::Volume(4)), before - 5);
    EXPECT_EQ(Ctl<SEdit2>(6004)->text(), "-5dB");
    Db().Throttle().SetClock(nullptr);
}

TEST_F(MainWindowTest, TypedValuesAreParsedLimitedAndShownInTheirFormat) {
    Start();
    struct Case {
        int id;
        const char* typed;
        const char* shown;
        int index;
        int raw;
    };
    const int ch = Ch();
    const Case cases[] = {
        {4000, "-12.7", "-12dB", param::MainVol, 48},
        {4000, "abc", "0dB", param::MainVol, 60},  // no number reads as 0
        {4000, "-75", "OFF", param::MainVol, 0},
        {6004, "99", "6dB", param::Volume(ch), 66},
        {4002, "5", "OFF", param::HighPassFreq(ch), 0},
        {4002, "250.9Hz", "250Hz", param::HighPassFreq(ch), 250},
        {4001, "30000", "20000Hz", param::LowPassFreq(ch), 20000},
        {5203, "7.55", "7.5", param::BandGain(ch, 3), 755},
        {5203, "-40", "-20.0", param::BandGain(ch, 3), static_cast<uint16_t>(-2000)},
        {4003, "-10", "-10.0dBu", param::Threshold(ch), static_cast<uint16_t>(-1000)},
    };
    for (const Case& c : cases) {
        SEdit2* field = Ctl<SEdit2>(c.id);
        Type(field, c.typed);
        EXPECT_EQ(field->text(), c.shown) << c.id << " " << c.typed;
        EXPECT_EQ(Param(c.index), c.raw) << c.id << " " << c.typed;
    }
    // Leaving a field nobody typed into writes nothing.
    Box().Firmware().ClearRequests();
    SEdit2* gain = Ctl<SEdit2>(5210);
    gain->setFocus();
    Ctl<SEdit2>(5211)->setFocus();
    EXPECT_EQ(Requests(0x9C), 0);
}

TEST_F(MainWindowTest, FieldsStepByTheirOwnRules) {
    Start();
    const int ch = Ch();
    struct Case {
        int id;
        Qt::Key key;
        int index;
        int start;
        int raw;
        const char* shown;
    };
    const Case cases[] = {
        {4000, Qt::Key_Down, param::MainVol, 66, 65, "5dB"},
        {5203, Qt::Key_Up, param::BandGain(ch, 3), 250, 260, "2.6"},
        {4002, Qt::Key_Up, param::HighPassFreq(ch), 100, 101, "101Hz"},
        {4102, Qt::Key_Up, param::Delay(2), 48, 49, "1.021"},  // 1 ms + 0.021
        {4004, Qt::Key_Up, param::Attack(ch), 500, 600, "6ms"},
    };
    for (const Case& c : cases) Db().SetParam(c.index, static_cast<uint16_t>(c.start));
    Main().RefreshAll();
    for (const Case& c : cases) {
        SEdit2* field = Ctl<SEdit2>(c.id);
        field->setFocus();
        QTest::keyClick(field, c.key);
        EXPECT_EQ(Param(c.index), c.raw) << c.id;
        EXPECT_EQ(field->text(), c.shown) << c.id;
    }
    EXPECT_EQ(Ctl<SkSlider>(2000)->Value(), 65);
}

TEST_F(MainWindowTest, InputModeRadiosSetTheBoxsMode) {
    Start();
    Click(Ctl<SkRadioButton>(10001));
    EXPECT_EQ(Db().InputChannelMode(), 1);
    EXPECT_EQ(Box().Firmware().Memory().inputMode, 1);
    Click(Ctl<SkRadioButton>(10000));
    EXPECT_EQ(Box().Firmware().Memory().inputMode, 0);
}

TEST_F(MainWindowTest, MenusOfferTheirItemsAndRunThem) {
    Start();
    ASSERT_EQ(app->Language().Language(), kChinese);
    QStringList offered;
    // The menu is modal: pick from it once it is up.
    const QString about = Tr("main_menu", "About");  // in Chinese, before the switch
    EXPECT_TRUE(ClickForMenu(Ctl<QPushButton>(9004), [&](QMenu* menu) {
        for (QAction* a : menu->actions()) offered << a->text();
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    }));
    EXPECT_EQ(offered, (QStringList{"English", about}));
    EXPECT_EQ(about, "关于");
    EXPECT_EQ(app->Language().Language(), kEnglish);
    // File, Exit: the window goes and the program ends.
    bool closed = false;
    QObject::connect(&Main(), &CMainDlg::closed, [&] { closed = true; });
    EXPECT_TRUE(ClickForMenu(Ctl<QPushButton>(9003), [&](QMenu* menu) {
        offered.clear();
        for (QAction* a : menu->actions()) offered << a->text();
        menu->setActiveAction(menu->actions().back());
        QTest::keyClick(menu, Qt::Key_Return);
    }));
    EXPECT_EQ(offered,
              (QStringList{"My Preset", "Import filters...", "Export filters...", "Measurement...", "Exit"}));
    EXPECT_TRUE(closed);
    ExpectTheProgramEnded();
}

TEST_F(MainWindowTest, FieldsHaveTheProgramsEditMenu) {
    Start();
    QStringList offered;
    const auto picker = WhenMenuShows([&](QMenu* menu) {
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) offered << a->text();
        menu->close();
    });
    SEdit2* field = Ctl<SEdit2>(4000);
    QContextMenuEvent e(QContextMenuEvent::Mouse, field->rect().center(),
                        field->mapToGlobal(field->rect().center()));
    QApplication::sendEvent(field, &e);
    EXPECT_EQ(offered, (QStringList{"撤销", "剪切", "复制", "粘贴", "删除", "全选"}));
}

TEST_F(MainWindowTest, LinkingAndUnlinkingFollowTheSelection) {
    Start();
    ASSERT_EQ(Ch(), 4);  // CH3
    Db().SetChannelVolume(2, 50);
    Db().SetBandGain(2, 9, 450);
    Db().SetChannelVolume(4, 40);
    Main().RefreshAll();
    // Linking CH1 while CH3 is selected and unlinked: CH1 becomes selected,
    // nothing is copied.
    Click(Ctl<SkCheckButton>(1102));
    EXPECT_EQ(Ch(), 2);
    EXPECT_EQ(Param(param::Volume(4)), 40);
    EXPECT_TRUE(Ctl<SkCheckButton>(1402)->isChecked());
    EXPECT_FALSE(Ctl<SkCheckButton>(1404)->isChecked());
    // Linking CH3 next copies CH1's tuning to it.
    Click(Ctl<SkCheckButton>(1104));
    EXPECT_EQ(Param(param::Volume(4)), 50);
    EXPECT_EQ(SignedParam(param::BandGain(4, 9)), 450);
    EXPECT_TRUE(Ctl<SkCheckButton>(1404)->isChecked());
    EXPECT_TRUE(Ctl<SkCheckButton>(1604)->isChecked());
    EXPECT_EQ(Ctl<SEdit2>(6004)->text(), "-10dB");
    // A gain edit of CH1 reaches CH3, its mute does not.
    Type(Ctl<SEdit2>(5209), "-3");
    EXPECT_EQ(SignedParam(param::BandGain(4, 9)), -300);
    EXPECT_EQ(BoxGain(4, 9), -300);
    Click(Ctl<SkCheckButton>(1302));
    EXPECT_EQ(Param(param::MuteCtrl) & 0x3F, 1 << 2);
    // Unlinking the selected channel moves the selection to the lowest other
    // linked channel, and the editor draws that channel.
    Db().LinkChannel(5, 2);
    Main().RefreshAll();
    Click(Ctl<SkCheckButton>(1102));
    EXPECT_EQ(Ch(), 4);
    EXPECT_FALSE(Db().IsLinked(2));
    EXPECT_EQ(Main().Editor()->Model(), &Curves().Model(4));
    EXPECT_TRUE(Ctl<SkCheckButton>(1404)->isChecked() && Ctl<SkCheckButton>(1405)->isChecked());
    EXPECT_FALSE(Ctl<SkCheckButton>(1402)->isChecked());
}

struct LinkOntoBypassCase {
    const char* what;
    bool sourceBypassed, targetBypassed;
    bool sourceLinkedLast;  // CH3 linked first, then CH1 copies itself onto it
};
void PrintTo(const LinkOntoBypassCase& c, std::ostream* os) {
    *os << c.what;
}

class LinkOntoBypass : public MainWindowTest, public ::testing::WithParamInterface<LinkOntoBypassCase> {
protected:
    // Types into a field and leaves it with Tab.
    void TypeAndLeave(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
};

TEST_P(LinkOntoBypass, TheLinkedChannelKeepsItsBypassAndGivesBackTheCopy) {
    const LinkOntoBypassCase& c = GetParam();
    Start();
    ASSERT_TRUE(Activate(&Main()));  // fields commit when the focus leaves them
    ASSERT_EQ(Ch(), 4);              // CH3, to get CH1's tuning
    SkCheckButton* bypass = Ctl<SkCheckButton>(1502);
    TypeAndLeave(Ctl<SEdit2>(5203), "6");
    TypeAndLeave(Ctl<SEdit2>(5207), "-4");
    ASSERT_EQ(SignedParam(param::BandGain(4, 7)), -400);
    if (c.targetBypassed) Click(bypass);
    if (c.sourceLinkedLast) Click(Ctl<SkCheckButton>(1104));
    Click(Ctl<SkCheckButton>(1402));
    ASSERT_EQ(Ch(), 2);
    TypeAndLeave(Ctl<SEdit2>(5207), "2");
    if (c.sourceBypassed) Click(bypass);
    Click(Ctl<SkCheckButton>(1102));
    if (!c.sourceLinkedLast) Click(Ctl<SkCheckButton>(1104));
    ASSERT_EQ(Ch(), 2);
    ASSERT_TRUE(Db().IsLinked(4)) << c.what;
    EXPECT_EQ(bypass->isChecked(), c.sourceBypassed) << c.what;

    // Each channel keeps its own bypass; the box holds the copy, bypassed
    // or not, and agrees with the PC wherever the EQ plays.
    const int copied7 = c.sourceBypassed ? 0 : 200;  // what CH1 shows is what is copied
    const int passBits = (c.sourceBypassed ? 1 << 2 : 0) | (c.targetBypassed ? 1 << 4 : 0);
    const EffectBlock box = SentImage();
    EXPECT_EQ(Param(param::PassCtrl), passBits) << c.what;
    EXPECT_EQ(box.Get(*FindParam(param::PassCtrl)), passBits) << c.what;
    EXPECT_EQ(static_cast<int16_t>(box.Get(*FindParam(param::BandGain(4, 3)))), 0) << c.what;
    EXPECT_EQ(static_cast<int16_t>(box.Get(*FindParam(param::BandGain(4, 7)))), copied7) << c.what;
    for (int ch : {2, 4}) {
        if (Param(param::PassCtrl) >> ch & 1) continue;
        for (int b = 0; b < 31; ++b)
            EXPECT_EQ(static_cast<int16_t>(box.Get(*FindParam(param::BandGain(ch, b)))),
                      SignedParam(param::BandGain(ch, b)))
                << c.what << ", channel " << ch << ", band " << b;
    }

    // CH3 on its own again shows its bypass as any bypassed channel (an EQ
    // copied all flat shows so too).
    Click(Ctl<SkCheckButton>(1104));
    Click(Ctl<SkCheckButton>(1404));
    ASSERT_EQ(Ch(), 4);
    EXPECT_EQ(bypass->isChecked(), c.targetBypassed || !copied7) << c.what;
    EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "0.0") << c.what;
    EXPECT_EQ(Ctl<SEdit2>(5207)->text(), c.targetBypassed || !copied7 ? "0.0" : "2.0") << c.what;
    EXPECT_EQ(Ctl<SkCheckButton>(1007)->isChecked(), c.targetBypassed || !copied7) << c.what;

    // Ending its bypass gives back the copy, nothing from before the link.
    if (c.targetBypassed) Click(bypass);
    EXPECT_EQ(bypass->isChecked(), !copied7) << c.what;
    EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "0.0") << c.what;
    EXPECT_EQ(Ctl<SEdit2>(5207)->text(), copied7 ? "2.0" : "0.0") << c.what;
    EXPECT_EQ(Ctl<SkCheckButton>(1007)->isChecked(), !copied7) << c.what;
    EXPECT_EQ(SignedParam(param::BandGain(4, 3)), 0) << c.what;
    EXPECT_EQ(SignedParam(param::BandGain(4, 7)), copied7) << c.what;
    const EffectBlock after = SentImage();
    EXPECT_EQ(after.Get(*FindParam(param::PassCtrl)) >> 4 & 1, 0) << c.what;
    for (int b = 0; b < 31; ++b)
        EXPECT_EQ(static_cast<int16_t>(after.Get(*FindParam(param::BandGain(4, b)))),
                  SignedParam(param::BandGain(4, b)))
            << c.what << ", band " << b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkOntoBypass,
    ::testing::Values(LinkOntoBypassCase{"neither bypassed", false, false, false},
                      LinkOntoBypassCase{"CH3 bypassed", false, true, false},
                      LinkOntoBypassCase{"CH1 bypassed", true, false, false},
                      LinkOntoBypassCase{"both bypassed", true, true, false},
                      LinkOntoBypassCase{"neither bypassed, CH1 linked last", false, false, true},
                      LinkOntoBypassCase{"CH3 bypassed, CH1 linked last", false, true, true},
                      LinkOntoBypassCase{"CH1 bypassed, CH1 linked last", true, false, true},
                      LinkOntoBypassCase{"both bypassed, CH1 linked last", true, true, true}));

TEST_F(MainWindowTest, SelectingAChannelShowsItsControls) {
    Start();
    Db().SetHighPassFreq(3, 120);
    Db().SetBandGain(3, 0, 250);
    Click(Ctl<SkCheckButton>(1603));  // the speaker of CH2
    EXPECT_EQ(Ch(), 3);
    EXPECT_EQ(Ctl<SEdit2>(4002)->text(), "120Hz");
    EXPECT_EQ(Ctl<SEdit2>(5200)->text(), "2.5");
    EXPECT_TRUE(Ctl<SkCheckButton>(1403)->isChecked());
    EXPECT_EQ(Main().Editor()->Model(), &Curves().Model(3));
}

TEST_F(MainWindowTest, BypassOnAndOffRestoresEveryGain) {
    Start();
    const int ch = Ch();
    struct Gain {
        int band;
        int raw;
        const char* shown;
    };
    const Gain gains[] = {{0, 300, "3.0"}, {7, -450, "-4.5"}, {19, 1200, "12.0"}, {30, -2000, "-20.0"}};
    for (const Gain& g : gains) Db().SetBandGain(ch, g.band, static_cast<uint16_t>(g.raw));
    Main().RefreshAll();
    SkCheckButton* bypass = Ctl<SkCheckButton>(1502);
    ASSERT_FALSE(bypass->isChecked());
    Click(bypass);
    for (const Gain& g : gains) {
        EXPECT_EQ(SignedParam(param::BandGain(ch, g.band)), 0);
        EXPECT_TRUE(Ctl<SkCheckButton>(1000 + g.band)->isChecked());
    }
    EXPECT_EQ(BoxParam(param::PassCtrl) >> ch & 1, 1);
    EXPECT_NEAR(Curves().Model(ch).Peak(), 0, 0.01);
    Click(bypass);
    for (const Gain& g : gains) {
        EXPECT_EQ(SignedParam(param::BandGain(ch, g.band)), g.raw);
        EXPECT_EQ(BoxGain(ch, g.band), g.raw);
        EXPECT_EQ(Ctl<SEdit2>(5200 + g.band)->text(), g.shown);
    }
    EXPECT_EQ(BoxParam(param::PassCtrl) >> ch & 1, 0);
    EXPECT_GT(Curves().Model(ch).Peak(), 10);
}

TEST_F(MainWindowTest, ASwitchedOffBandStaysOffThroughABypass) {
    Start();
    const int ch = Ch();
    Type(Ctl<SEdit2>(5203), "6");
    Type(Ctl<SEdit2>(5205), "4");
    SkCheckButton* off5 = Ctl<SkCheckButton>(1005);
    Click(off5);
    ASSERT_TRUE(off5->isChecked());
    SkCheckButton* bypass = Ctl<SkCheckButton>(1502);
    Click(bypass);
    Click(bypass);
    EXPECT_FALSE(bypass->isChecked());
    EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "6.0");
    EXPECT_EQ(BoxGain(ch, 3), 600);
    EXPECT_EQ(Ctl<SEdit2>(5205)->text(), "0.0");
    EXPECT_TRUE(off5->isChecked());
    EXPECT_EQ(SignedParam(param::BandGain(ch, 5)), 0);
    EXPECT_EQ(BoxGain(ch, 5), 0);
    Click(off5);  // switched on, it has its gain again
    EXPECT_FALSE(off5->isChecked());
    EXPECT_EQ(Ctl<SEdit2>(5205)->text(), "4.0");
    EXPECT_EQ(BoxGain(ch, 5), 400);
}

TEST_F(MainWindowTest, AnEditThatEndsABypassLeavesTheBoxPlayingWhatTheWindowShows) {
    Start();
    const int ch = Ch();
    Click(Ctl<SkCheckButton>(1501));  // PEQ: frequency and Q can be typed
    struct Case {
        const char* what;
        int field;
        const char* typed;
    };
    const Case cases[] = {{"gain of another band", 5207, "2"},
                          {"Q of another band", 5107, "2"},
                          {"frequency of a bypassed band", 5003, "150"}};
    for (const Case& c : cases) {
        Type(Ctl<SEdit2>(5203), "6");
        Type(Ctl<SEdit2>(5209), "-4");
        Click(Ctl<SkCheckButton>(1502));
        ASSERT_EQ(BoxParam(param::PassCtrl) >> ch & 1, 1) << c.what;
        Type(Ctl<SEdit2>(c.field), c.typed);
        const EffectBlock box = SentImage();
        EXPECT_EQ(box.Get(*FindParam(param::PassCtrl)) >> ch & 1, 0) << c.what;
        for (int b = 0; b < 31; ++b)
            EXPECT_EQ(static_cast<int16_t>(box.Get(*FindParam(param::BandGain(ch, b)))),
                      SignedParam(param::BandGain(ch, b)))
                << c.what << ", band " << b;
        EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "0.0") << c.what;
        EXPECT_EQ(BoxGain(ch, 3), 0) << c.what;
    }
}

TEST_F(MainWindowTest, SwitchingABandOnEndsABypassInTheWindowAndTheBox) {
    Start();
    const int ch = Ch();
    Type(Ctl<SEdit2>(5203), "6");
    Type(Ctl<SEdit2>(5205), "4");
    Type(Ctl<SEdit2>(5209), "-4");
    SkCheckButton* off3 = Ctl<SkCheckButton>(1003);
    SkCheckButton* off5 = Ctl<SkCheckButton>(1005);
    SkCheckButton* off9 = Ctl<SkCheckButton>(1009);
    Click(off9);
    SkCheckButton* bypass = Ctl<SkCheckButton>(1502);
    Click(bypass);
    ASSERT_TRUE(bypass->isChecked());
    ASSERT_TRUE(off5->isChecked());
    Click(off5);  // band 5 plays again: the bypass ends
    auto check = [&](const char* when) {
        EXPECT_FALSE(bypass->isChecked()) << when;
        EXPECT_FALSE(off5->isChecked()) << when;
        EXPECT_EQ(Ctl<SEdit2>(5205)->text(), "4.0") << when;
        EXPECT_TRUE(off3->isChecked()) << when << ": zeroed, as by any edit that ends a bypass";
        EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "0.0") << when;
        EXPECT_TRUE(off9->isChecked()) << when;
        const EffectBlock box = SentImage();
        EXPECT_EQ(box.Get(*FindParam(param::PassCtrl)) >> ch & 1, 0) << when;
        for (int b = 0; b < 31; ++b)
            EXPECT_EQ(static_cast<int16_t>(box.Get(*FindParam(param::BandGain(ch, b)))),
                      SignedParam(param::BandGain(ch, b)))
                << when << ", band " << b;
    };
    check("after the click");
    Main().RefreshAll();
    check("after a refresh");
    EXPECT_EQ(BoxGain(ch, 5), 400);
    EXPECT_EQ(BoxGain(ch, 3), 0);
    Click(off9);  // switched off before the bypass, it can still be switched on
    EXPECT_EQ(Ctl<SEdit2>(5209)->text(), "-4.0");
    EXPECT_EQ(BoxGain(ch, 9), -400);
}

TEST_F(MainWindowTest, BandOffBoxes) {
    Start();
    const int ch = Ch();
    // A band at 0 cannot be switched: off stays checked, on is refused.
    SkCheckButton* off2 = Ctl<SkCheckButton>(1002);
    ASSERT_TRUE(off2->isChecked());
    Box().Firmware().ClearRequests();
    Click(off2);
    EXPECT_TRUE(off2->isChecked());
    EXPECT_EQ(Requests(0x9C), 0);
    // Switching band 5 off and editing band 7 leaves band 5 at 0, unmarked.
    Type(Ctl<SEdit2>(5205), "4");
    SkCheckButton* off5 = Ctl<SkCheckButton>(1005);
    ASSERT_FALSE(off5->isChecked());
    Click(off5);
    EXPECT_TRUE(off5->isChecked());
    EXPECT_EQ(SignedParam(param::BandGain(ch, 5)), 0);
    EXPECT_EQ(BoxGain(ch, 5), 0);
    EXPECT_TRUE(Db().HasRememberedGain(ch, 5));
    Click(off5);  // and on again: the gain comes back
    EXPECT_EQ(SignedParam(param::BandGain(ch, 5)), 400);
    Click(off5);
    Type(Ctl<SEdit2>(5207), "2");
    EXPECT_EQ(SignedParam(param::BandGain(ch, 5)), 0);
    EXPECT_FALSE(Db().HasRememberedGain(ch, 5));
    EXPECT_TRUE(off5->isChecked());
    Click(off5);  // nothing to restore any more
    EXPECT_TRUE(off5->isChecked());
    EXPECT_EQ(SignedParam(param::BandGain(ch, 5)), 0);
}

TEST_F(MainWindowTest, GainCompensationLowersAndRestoresTheChannel) {
    Start("[param]\nscale=100\n");
    const int ch = Ch();
    Db().SetMainVolume(60);
    Db().SetChannelVolume(ch, 60);
    Main().RefreshAll();
    Type(Ctl<SEdit2>(5203), "6");
    EXPECT_EQ(Param(param::Volume(ch)), 54);
    EXPECT_EQ(Ctl<SEdit2>(6000 + ch)->text(), "-6dB");
    EXPECT_EQ(BoxParam(param::Volume(ch)), 54);
    Type(Ctl<SEdit2>(5203), "0");
    EXPECT_EQ(Param(param::Volume(ch)), 60);
    EXPECT_EQ(Ctl<SkSlider>(2200 + ch)->Value(), 60);
    // Moving the level by hand forgets what the compensation remembered.
    Type(Ctl<SEdit2>(5203), "6");
    Type(Ctl<SEdit2>(6000 + ch), "-10");
    EXPECT_EQ(Db().VolumeMemo(ch), -1);
}

TEST_F(MainWindowTest, GainAlertWaitsForTheLastLoudChange) {
    Start("[alert]\nenable=1\ndelay=8000\nmsg=Too loud\n");
    Click(Ctl<SkCheckButton>(1501));  // PEQ: two bands on one frequency
    Type(Ctl<SEdit2>(5010), "400");
    Type(Ctl<SEdit2>(5011), "400");
    Type(Ctl<SEdit2>(5210), "20");
    EXPECT_FALSE(Main().AlertTimer().isActive());  // 20 dB alone is below the alert
    Type(Ctl<SEdit2>(5211), "20");
    ASSERT_GE(Curves().Model(Ch()).Peak(), 25.5);
    EXPECT_TRUE(Main().AlertTimer().isActive());
    EXPECT_EQ(Main().AlertTimer().interval(), 8000);
    // A later change that brings the peak down cancels it.
    Type(Ctl<SEdit2>(5211), "0");
    EXPECT_FALSE(Main().AlertTimer().isActive());
    Type(Ctl<SEdit2>(5211), "15");
    EXPECT_TRUE(Main().AlertTimer().isActive());
    EXPECT_TRUE(prompter.messages.empty());
    Main().OnTimer(CMainDlg::kAlertTimerId);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Too loud");
    EXPECT_EQ(prompter.messages[0].title, Tr("messagebox", "Notice"));
    EXPECT_FALSE(Main().AlertTimer().isActive());
}

TEST_F(MainWindowTest, AlertIsOffUnlessTheTuningFileEnablesIt) {
    Start();
    Click(Ctl<SkCheckButton>(1501));
    Type(Ctl<SEdit2>(5010), "400");
    Type(Ctl<SEdit2>(5011), "400");
    Type(Ctl<SEdit2>(5210), "20");
    Type(Ctl<SEdit2>(5211), "20");
    ASSERT_GE(Curves().Model(Ch()).Peak(), 25.5);
    EXPECT_FALSE(Main().AlertTimer().isActive());
}

TEST_F(MainWindowTest, RefreshingLeavesTheImageAsItIs) {
    Start();
    // Values the lists cannot show: a slope index past the list, a release
    // past its list.
    Db().SetParam(param::HighPassType(4), 0x14);
    Db().SetParam(param::Release(4), 9);
    Db().SetParam(param::NoiseGate, 30);
    Db().Throttle().Flush();
    const EffectBlock before = Db().Block();
    Box().Firmware().ClearRequests();
    Main().RefreshAll();
    for (int i : {2, 3, 4, 5, 0, 1}) Click(Ctl<SkCheckButton>(1400 + i));
    Main().RefreshAll();
    EXPECT_EQ(Db().Block(), before);
    EXPECT_EQ(Requests(0x9C), 0);
}

TEST_F(MainWindowTest, CrossoverListsWriteTheWholeByteToLinkedChannels) {
    Start();
    Db().SetParam(param::HighPassType(5), 0x80 | 3);  // Linkwitz, 24 dB/oct
    Click(Ctl<SkCheckButton>(1105));
    Click(Ctl<SkCheckButton>(1103));  // CH2 now follows CH4
    ASSERT_EQ(Ch(), 5);
    auto* slope = Ctl<QComboBox>(8003);
    slope->setCurrentIndex(1);  // 12 dB/oct
    EXPECT_EQ(Param(param::HighPassType(5)), 0x80 | 1);
    EXPECT_EQ(Param(param::HighPassType(3)), 0x80 | 1);
    EXPECT_EQ(Curves().Model(3).Filter(Curves().Model(3).HighPass()).type, EqFilterType::Linkwitz);
    Ctl<QComboBox>(8005)->setCurrentIndex(7);
    EXPECT_EQ(Param(param::NoiseGate), 7);
}

TEST_F(MainWindowTest, CrossoverThumbsFollowTheirParseRules) {
    Start();
    SkEQ* eq = Main().Editor();
    Db().SetHighPassFreq(Ch(), 200);
    Main().RefreshAll();
    SMoveThumb* h = eq->SlotThumb(SkEQ::kHighPass);
    ASSERT_TRUE(h && h->isVisible());
    const QPoint grab = h->rect().center();
    Press(h, grab);
    MoveTo(h, grab + QPoint(-2000, 0));  // far left of 20 Hz: off
    Release(h, grab + QPoint(-2000, 0));
    EXPECT_EQ(Param(param::HighPassFreq(Ch())), 0);
    EXPECT_EQ(Ctl<SEdit2>(4002)->text(), "OFF");
    SMoveThumb* l = eq->SlotThumb(SkEQ::kLowPass);
    const QPoint lg = l->rect().center();
    Press(l, lg);
    MoveTo(l, lg + QPoint(-300, 0));
    Release(l, lg + QPoint(-300, 0));
    const int lp = Param(param::LowPassFreq(Ch()));
    EXPECT_GE(lp, 20);
    EXPECT_LT(lp, 20000);
    EXPECT_EQ(Ctl<SEdit2>(4001)->text(), QString("%1Hz").arg(lp));
}

TEST_F(MainWindowTest, QHandlesStepAlongTheQTable) {
    Start();
    Click(Ctl<SkCheckButton>(1501));
    const int ch = Ch();
    Db().SetParam(param::BandQ(ch, 7), 400);  // Q 4.00 in the step table
    Main().RefreshAll();
    Type(Ctl<SEdit2>(5207), "6");  // band 7 becomes the current band
    SMoveThumb* right = Main().Editor()->SlotThumb(SkEQ::kQRight);
    ASSERT_TRUE(right && right->isVisible());
    EXPECT_EQ(right->ThumbTag(), 7);
    const QPoint grab = right->rect().center();
    Press(right, grab);
    MoveTo(right, grab + QPoint(5, 0));  // outwards: wider, a lower Q
    Release(right, grab + QPoint(5, 0));
    // Five steps down the table: 4.00, 3.80, 3.60, 3.40, 3.20, 3.00.
    EXPECT_EQ(Param(param::BandQ(ch, 7)), 300);
    EXPECT_EQ(Ctl<SEdit2>(5107)->text(), "3.00");
}

TEST_F(MainWindowTest, MuteAndPhase) {
    Start();
    Click(Ctl<SkCheckButton>(1106));
    EXPECT_EQ(Param(param::MuteCtrl) & 0x3F, 0x3F);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(Ctl<SkCheckButton>(1300 + i)->isChecked());
    Click(Ctl<SkCheckButton>(1303));
    EXPECT_EQ(Param(param::MuteCtrl) & 0x3F, 0x3F & ~(1 << 3));
    EXPECT_FALSE(Ctl<SkCheckButton>(1106)->isChecked());
    Click(Ctl<SkCheckButton>(1201));
    EXPECT_EQ(Param(param::PhaseCtrl) & 0x3F, 1 << 1);
    EXPECT_EQ(SentImage().Get(*FindParam(param::PhaseCtrl)) & 0x3F, 1 << 1);
}

TEST_F(MainWindowTest, DelaysInEveryUnit) {
    Start();
    Db().SetParam(param::Delay(2), 480);  // 10 ms
    Main().RefreshAll();
    EXPECT_EQ(Ctl<SEdit2>(4102)->text(), "10.000");
    Click(Ctl<SkRadioButton>(7001));
    EXPECT_EQ(Db().DelayUnit(), 1);
    EXPECT_EQ(Ctl<SEdit2>(4102)->text(), "346.00");
    Type(Ctl<SEdit2>(4103), "69.2");  // cm: 2 ms
    EXPECT_EQ(Param(param::Delay(3)), 96);
    Click(Ctl<SkRadioButton>(7002));
    EXPECT_EQ(Ctl<SEdit2>(4103)->text(), "27.24");  // 2 ms
    // The car map's path lengths, CH1..CH6, mm.
    Main().ApplySpeakerDistances({3460, 0, -50, 1000000, 173, 346});
    EXPECT_EQ(Param(param::Delay(2)), 480);
    EXPECT_EQ(Param(param::Delay(3)), 0);
    EXPECT_EQ(Param(param::Delay(4)), 0);
    EXPECT_EQ(Param(param::Delay(5)), 960);  // at most 20 ms
    EXPECT_EQ(Param(param::Delay(0)), 24);
    EXPECT_EQ(Param(param::Delay(1)), 48);
    EXPECT_EQ(Ctl<SEdit2>(4102)->text(), "136.22");  // inches
    EXPECT_EQ(Ctl<SEdit2>(4105)->text(), "272.44");
}

TEST_F(MainWindowTest, ResetEqComesBackFromTheDefaults) {
    Start();
    const int ch = Ch();
    Type(Ctl<SEdit2>(5204), "5");
    Type(Ctl<SEdit2>(4002), "300");
    Click(Ctl<QPushButton>(9001));
    EXPECT_EQ(SignedParam(param::BandGain(ch, 4)), 0);
    EXPECT_EQ(Ctl<SEdit2>(5204)->text(), "0.0");
    EXPECT_EQ(Param(param::HighPassFreq(ch)), 0);
    EXPECT_EQ(Ctl<SEdit2>(4002)->text(), "OFF");
}

TEST_F(MainWindowTest, LanguageSwitchTranslatesAtOnceAndIsRemembered) {
    Start();
    ASSERT_EQ(app->Language().Language(), kChinese);
    Settle();
    EXPECT_EQ(Ctl<SkCheckButton>(1500)->text(), "已连接设备");
    EXPECT_EQ(Main().MenuItems(9004).front().text, "English");
    Main().Command(52);
    Settle();
    EXPECT_EQ(Ctl<SkCheckButton>(1500)->text(), "Connected");
    EXPECT_EQ(Ctl<QPushButton>(9003)->text(), "File");
    EXPECT_EQ(Main().MenuItems(9004).front().id, 51);
    EXPECT_EQ(Main().MenuItems(9004).front().text, "简体中文");
    EXPECT_EQ(Main().MenuItems(9003).front().text, "My Preset");
    QFile ini(QDir(data.path()).filePath("CarAudioHalvern/config.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("Lang=1"));
    // The next start comes up in English.
    app.reset();
    Start();
    EXPECT_EQ(app->Language().Language(), kEnglish);
    Main().Command(51);
    Settle();
    EXPECT_EQ(Ctl<QPushButton>(9003)->text(), "文件");
    EXPECT_EQ(Main().MenuItems(9003).front().text, "我的场景");
}

TEST_F(MainWindowTest, PeqModeKeepsItsButtonTextThroughALanguageSwitch) {
    Start();
    auto switchLanguage = [&](int menuItem) {
        Main().Command(menuItem);
        // The switch is over once the window's own texts have followed.
        return WaitFor([&] { return Ctl<SkCheckButton>(1500)->text() == Tr("mainWindow", "Connected"); });
    };
    SkCheckButton* mode = Ctl<SkCheckButton>(1501);
    EXPECT_EQ(mode->text(), "GEQ");
    Click(mode);
    ASSERT_EQ(mode->text(), "PEQ");
    for (int menuItem : {52, 51}) {
        ASSERT_TRUE(switchLanguage(menuItem));
        EXPECT_TRUE(mode->isChecked()) << menuItem;
        EXPECT_EQ(mode->text(), "PEQ") << menuItem;
        EXPECT_TRUE(Ctl<SEdit2>(5107)->isEnabled()) << menuItem;
    }
    Click(mode);
    ASSERT_TRUE(switchLanguage(52));
    EXPECT_EQ(mode->text(), "GEQ");
}

TEST_F(MainWindowTest, FreqStyleFileReplacesTheRangeLabels) {
    WriteProgramFile("freqstyle.xml",
                     "<?xml version=\"1.0\"?><widget class=\"QLabel\" name=\"dealer_ranges\">"
                     "<property name=\"text\"><string>Dealer</string></property></widget>");
    Start("[param]\nShowFreqID=0\n");
    QWidget* freqs = Main().findChild<QWidget*>("show_eq_band_freq");
    ASSERT_TRUE(freqs);
    EXPECT_TRUE(freqs->isVisible());
    EXPECT_FALSE(Main().findChild<QWidget*>("show_eq_band_id")->isVisible());
    const auto children = freqs->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(children[0]->objectName(), "dealer_ranges");
    // The "ID" toggle shows the band numbers instead.
    Click(Ctl<SkCheckButton>(1107));
    EXPECT_FALSE(freqs->isVisible());
}

TEST_F(MainWindowTest, BrokenFreqStyleFileKeepsTheProgramsLabels) {
    WriteProgramFile("freqstyle.xml", "<widget class=\"QLabel\"><unclosed>");
    Start("[param]\nShowFreqID=0\n");
    QWidget* freqs = Main().findChild<QWidget*>("show_eq_band_freq");
    EXPECT_EQ(freqs->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 7);
}

TEST_F(MainWindowTest, AFieldLeftInEditAsTheProgramEndsFinishesOnAWholeWindow) {
    Start();
    ASSERT_TRUE(Activate(&Main()));
    auto* field = Ctl<SEdit2>(4002);
    field->setFocus();
    QTest::keyClicks(field, "1000");  // typed, not committed
    ASSERT_EQ(QApplication::focusWidget(), field);
    // The edit ends when the window goes; its handler belongs to the main window.
    int whole = -1;
    QObject::connect(field, &QLineEdit::editingFinished,
                     [&] { whole = qobject_cast<CMainDlg*>(field->window()) != nullptr; });
    app.reset();  // as after the message loop, when a stop was asked for
    EXPECT_EQ(whole, 1);
}

}  // namespace
}  // namespace caraudio::app::test
