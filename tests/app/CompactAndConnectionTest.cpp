// The compact window, the login and the connection as the user meets them.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppRig.h"
#include "CommonDialog.h"
#include "ConnectionIndicator.h"
#include "DeviceManager.h"
#include "LoginDialog.h"
#include "ResumeWatcher.h"
#include "SEdit2.h"
#include "SWindow.h"
#include "SkButtons.h"
#include "SkRotaryKnob.h"
#include "Translation.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using namespace widgets;

class CompactTest : public AppRig {
protected:
    CMiniDlg& Compact() { return *app->CompactWindow(); }
    template <typename T>
    T* Mini(int id) {
        T* w = Control<T>(&Compact(), id);
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    QString LevelText() { return Mini<SWindow>(3000)->Text(); }
    static bool ShowsNotConnected(const QAbstractButton* b) {
        return !b->isChecked() && b->text() == Tr("mainWindow", "Not connect") &&
               b->palette().color(QPalette::ButtonText) == QColor(0xff, 0x00, 0x00);
    }
};

TEST_F(CompactTest, StartsWithTheCompactWindowOnTopAndTheMainWindowHidden) {
    Start({}, false);
    EXPECT_TRUE(Compact().isVisible());
    EXPECT_FALSE(Main().isVisible());
    EXPECT_TRUE(Compact().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Compact().TimerActive(CMiniDlg::kTopmostTimerId));
    Compact().OnTimer(CMiniDlg::kTopmostTimerId);
    EXPECT_FALSE(Compact().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Compact().isVisible());
    EXPECT_TRUE(Mini<SkCheckButton>(1004)->isChecked());
}

TEST_F(CompactTest, KnobDrivesMasterOrSub) {
    Start({}, false);
    SkRotaryKnob* knob = Mini<SkRotaryKnob>(1000);
    Db().SetMainVolume(66);  // a box may report more than the knob shows
    Compact().RefreshCompact();
    EXPECT_EQ(knob->Value(), 60);
    EXPECT_EQ(LevelText(), "0dB");
    const int sub0 = Param(param::Volume(0));
    widgets::test::Wheel(knob, -1);
    EXPECT_EQ(Param(param::MainVol), knob->Value());
    EXPECT_LT(knob->Value(), 60);
    EXPECT_EQ(Param(param::Volume(0)), sub0);
    // "Sub" drives CH5 and CH6 together, and nothing else.
    Click(Mini<SkRadioButton>(1006));
    const int master = Param(param::MainVol);
    EXPECT_EQ(knob->Value(), std::min(sub0, 60));
    Click(Mini<QPushButton>(1002));
    // One step from the value itself, then limited: a box's 66 gives 60.
    EXPECT_EQ(Param(param::Volume(0)), std::clamp(sub0 - 1, 0, 60));
    EXPECT_EQ(Param(param::Volume(1)), std::clamp(sub0 - 1, 0, 60));
    EXPECT_EQ(Param(param::MainVol), master);
}

TEST_F(CompactTest, PlusAndMinusStopAtTheEnds) {
    Start({}, false);
    struct Case {
        int start, button, want;
        const char* text;
    };
    for (const Case& c : {Case{60, 1001, 60, "0dB"}, Case{0, 1002, 0, "-60dB"}, Case{66, 1001, 60, "0dB"},
                          Case{66, 1002, 60, "0dB"}, Case{30, 1001, 31, "-29dB"}}) {
        Db().SetMainVolume(static_cast<uint16_t>(c.start));
        Compact().RefreshCompact();
        Click(Mini<QPushButton>(c.button));
        EXPECT_EQ(Param(param::MainVol), c.want) << c.start << " " << c.button;
        EXPECT_EQ(Mini<SkRotaryKnob>(1000)->Value(), c.want);
        EXPECT_EQ(LevelText(), c.text);
    }
}

TEST_F(CompactTest, MuteAllChannels) {
    Start({}, false);
    Click(Mini<SkCheckButton>(1003));
    EXPECT_EQ(Param(param::MuteCtrl), 63);
    Click(Mini<SkCheckButton>(1003));
    EXPECT_EQ(Param(param::MuteCtrl), 0);
}

TEST_F(CompactTest, RecallingAModeClearsTheLinksAndShowsTheBoxsValues) {
    Start({}, false);
    // Slot C on the box holds a distinct master level.
    emulator::BoxMemory memory = Box().Firmware().Memory();
    memory.user[2].Set(*FindParam(param::MainVol), 33);
    Box().Firmware().SetMemory(memory);
    Db().LinkChannel(2, 2);
    Db().LinkChannel(3, 2);
    Click(Mini<SkRadioButton>(2002));
    Settle();
    EXPECT_TRUE(prompter.messages.empty());
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Db().IsLinked(i));
    EXPECT_EQ(Db().CurrentDeviceMode(), 2);
    EXPECT_EQ(Param(param::MainVol), 33);
    EXPECT_EQ(Mini<SkRotaryKnob>(1000)->Value(), 33);
    EXPECT_TRUE(Mini<SkRadioButton>(2002)->isChecked());
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-27dB");  // the main window too
    EXPECT_FALSE(Ctl<SkCheckButton>(1102)->isChecked());
}

TEST_F(CompactTest, RecallWithoutABoxOrRefusedSaysSoAndChangesNothing) {
    Start({}, false);
    Box().Firmware().WrongStatus(ParamDatabase::kTries);  // every try refused
    Click(Mini<SkRadioButton>(2005));
    Settle();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, Tr("messagebox", "Recall device mode failed"));
    EXPECT_TRUE(Mini<SkRadioButton>(2000)->isChecked());  // still the box's mode
    Box().Unplug();
    ASSERT_TRUE(WaitFor([&] { return !Connected(); }));
    Box().Firmware().ClearRequests();
    Click(Mini<SkRadioButton>(2003));
    Settle();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text, Tr("messagebox", "Device not connected"));
    EXPECT_TRUE(prompter.messages[1].title.isEmpty());
    EXPECT_TRUE(Box().Firmware().Requests().empty());
    EXPECT_FALSE(Mini<SkRadioButton>(2003)->isChecked());
}

struct ReadBackFault {
    const char* what;
    void (*fault)(emulator::BoxFirmware& box);  // on the box before slot D is recalled
};
void PrintTo(const ReadBackFault& f, std::ostream* os) {
    *os << f.what;
}

class RecallReadBack : public CompactTest, public ::testing::WithParamInterface<ReadBackFault> {};

TEST_P(RecallReadBack, ARecallWhoseSettingsCannotBeReadLeavesTheBoxDisconnected) {
    const char* what = GetParam().what;
    Start({}, false);
    Db().LinkChannel(2, 2);
    Db().LinkChannel(3, 2);
    Main().RefreshAll();
    GetParam().fault(Box().Firmware());
    Click(Mini<SkRadioButton>(2003));
    Settle();
    ASSERT_EQ(prompter.messages.size(), 1u) << what;
    EXPECT_EQ(prompter.messages[0].text, Tr("messagebox", "Recall device mode failed")) << what;
    EXPECT_TRUE(prompter.messages[0].title.isEmpty()) << what;
    EXPECT_FALSE(Connected()) << what;
    EXPECT_TRUE(ShowsNotConnected(Mini<SkCheckButton>(1004))) << what;
    EXPECT_TRUE(ShowsNotConnected(Ctl<SkCheckButton>(1500))) << what << ": the main window too";
    EXPECT_FALSE(Ctl<SkCheckButton>(1102)->isChecked()) << what << ": the links went with the recall";
    // The level stays on the PC: the box plays settings the PC does not know.
    Box().Firmware().ClearRequests();
    Click(Mini<QPushButton>(1002));
    EXPECT_EQ(Box().Firmware().RequestCount(0x9C), 0) << what;
}

INSTANTIATE_TEST_SUITE_P(Faults, RecallReadBack,
                         ::testing::Values(ReadBackFault{"the slot's image is marked invalid",
                                                         [](emulator::BoxFirmware& box) {
                                                             emulator::BoxMemory memory = box.Memory();
                                                             memory.user[3].SetByte(0, 0xFF);
                                                             memory.user[3].SetByte(1, 0xFF);
                                                             box.SetMemory(memory);
                                                         }},
                                           ReadBackFault{
                                               "a chunk comes back with the wrong number",
                                               [](emulator::BoxFirmware& box) { box.WrongChunkEcho(1); }}));

TEST_F(CompactTest, AdvancedLoginOpensTheMainWindowOnlyWithThePassword) {
    Start({}, false);
    Compact().runLogin = [](QWidget*) { return false; };
    Click(Named<QPushButton>(&Compact(), "btn_advanced"));
    EXPECT_TRUE(Compact().isVisible());
    EXPECT_FALSE(Main().isVisible());
    Compact().runLogin = [](QWidget*) { return true; };
    Db().SetParam(param::MainVol, 20);  // shown once the main window comes up
    Click(Named<QPushButton>(&Compact(), "btn_advanced"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->CompactWindow(), nullptr);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-40dB");
    EXPECT_TRUE(app->Lock().Held());  // the program goes on
}

TEST_F(CompactTest, ClosingTheCompactWindowEndsTheProgram) {
    Start({}, false);
    // The message loop runs until the window's close button ends it.
    QTimer::singleShot(0, [&] { Click(Named<QPushButton>(&Compact(), "btn_close")); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(app->Lock().Held());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->CompactWindow(), nullptr);
}

TEST_F(CompactTest, UnplugAndPlugFollowTheBox) {
    Start();
    Box().Unplug();
    // The removal reaches the window, which shows it.
    ASSERT_TRUE(WaitFor([&] { return !Ctl<SkCheckButton>(1500)->isChecked(); }));
    EXPECT_FALSE(Connected());
    EXPECT_EQ(Ctl<SkCheckButton>(1500)->text(), Tr("mainWindow", "Not connect"));
    EXPECT_FALSE(Ctl<SkCheckButton>(1500)->isChecked());
    // Edits without a box change only the PC's copy.
    Type(Ctl<SEdit2>(4000), "-30");
    EXPECT_EQ(Param(param::MainVol), 30);
    // The box comes back with its own values; about 2 s later they show.
    EffectBlock image = BoxImage();
    image.Set(*FindParam(param::MainVol), 44);
    Box().Firmware().SetCurrentImage(image);
    Box().Plug();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    Settle();
    EXPECT_EQ(Ctl<SkCheckButton>(1500)->text(), Tr("mainWindow", "Connected"));
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-16dB");
    EXPECT_TRUE(Compact().TimerActive(CMiniDlg::kRefreshTimerId));
    Compact().OnTimer(CMiniDlg::kRefreshTimerId);
    EXPECT_EQ(Mini<SkRotaryKnob>(1000)->Value(), 44);
    EXPECT_TRUE(Mini<SkCheckButton>(1004)->isChecked());
}

TEST_F(CompactTest, ASecondBoxWaitsUntilTheFirstGoes) {
    Start();
    emulator::EmulatedBox& second = app->Emulator()->AddBox();
    second.Unplug();
    second.Plug();  // arrives while the first is connected: nothing happens
    Settle();
    ASSERT_NE(app->Manager().ConnectedPath(), nullptr);
    EXPECT_EQ(*app->Manager().ConnectedPath(), "emulator:0");
    Box().Unplug();  // the connected one goes: the other one is taken
    ASSERT_TRUE(WaitFor([&] {
        const std::string* path = app->Manager().ConnectedPath();
        return path && *path == "emulator:1" && Connected();
    }));
    Settle();
    EXPECT_TRUE(Ctl<SkCheckButton>(1500)->isChecked());
}

TEST_F(CompactTest, IndicatorLetsGoAndReconnects) {
    Start();
    SkCheckButton* indicator = Ctl<SkCheckButton>(1500);
    Click(indicator);
    EXPECT_FALSE(indicator->isChecked());
    EXPECT_EQ(indicator->text(), Tr("mainWindow", "Not connect"));
    EXPECT_TRUE(app->Manager().IsOpen());  // the box stays open
    EffectBlock image = BoxImage();
    image.Set(*FindParam(param::MainVol), 12);
    Box().Firmware().SetCurrentImage(image);
    Click(indicator);
    EXPECT_TRUE(indicator->isChecked());
    // The box changed while it was let go: the user is asked, and the
    // answer the rig gives takes the box's values.
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].text.contains(Tr("steps", "Tuning %1").arg("A")));
    EXPECT_EQ(Param(param::MainVol), 12);
    EXPECT_EQ(Ctl<SEdit2>(4000)->text(), "-48dB");
}

TEST_F(CompactTest, ABoxWhoseImageCannotBeReadIsAFailedConnection) {
    Start();
    SkCheckButton* indicator = Ctl<SkCheckButton>(1500);
    Click(indicator);  // let go, then the box's image goes bad
    EffectBlock bad = BoxImage();
    bad.SetByte(0, 0xFF);
    bad.SetByte(1, 0xFF);
    Box().Firmware().SetCurrentImage(bad);
    Click(indicator);
    EXPECT_FALSE(Connected());
    EXPECT_TRUE(ShowsNotConnected(indicator));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, Tr("messagebox", "Fail to connect device!"));
    EXPECT_EQ(prompter.messages[0].title, Tr("messagebox", "Prompt"));
    // The same box plugged in again: opened, but not connected, and both
    // windows say so.
    Box().Unplug();
    ASSERT_TRUE(WaitFor([&] { return !app->Manager().IsOpen(); }));
    Box().Plug();
    ASSERT_TRUE(WaitFor([&] { return app->Manager().IsOpen(); }));
    Settle();
    EXPECT_FALSE(Connected());
    EXPECT_TRUE(ShowsNotConnected(indicator));
    Compact().OnTimer(CMiniDlg::kRefreshTimerId);
    EXPECT_TRUE(ShowsNotConnected(Mini<SkCheckButton>(1004)));
    // Edits stay on the PC.
    Box().Firmware().ClearRequests();
    Type(Ctl<SEdit2>(4000), "-30");
    EXPECT_EQ(Box().Firmware().RequestCount(0x9C), 0);
}

TEST_F(CompactTest, IndicatorWithoutABoxSaysNoDevice) {
    Start();
    Box().Unplug();
    ASSERT_TRUE(WaitFor([&] { return !Connected(); }));
    Click(Ctl<SkCheckButton>(1500));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, Tr("messagebox", "No device detected!"));
    EXPECT_EQ(prompter.messages[0].title, Tr("messagebox", "Prompt"));
}

TEST_F(CompactTest, ResumeReconnects) {
    Start();
    ASSERT_NE(app->ResumeNotices(), nullptr);
    Box().Firmware().ClearRequests();
    emit app->ResumeNotices()->resumed();
    EXPECT_TRUE(Connected());
    EXPECT_GT(Box().Firmware().RequestCount(0x90), 0);  // a new handshake
}

TEST(LoginDialog, OnlyTheExactPasswordPasses) {
    struct Case {
        const char* typed;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {{"", "Please enter password"},
                          {"73058214 ", "Password is incorrect"},
                          {" 73058214", "Password is incorrect"},
                          {"7305821", "Password is incorrect"},
                          {"73058214", ""}};
    for (const Case& c : cases) {
        CCommonDlg dialog("XML_ADVANCED_LOGIN");
        auto* handler = new CDlgLoginEventHandler(dialog);
        auto* field = Named<QLineEdit>(dialog.Layout(), "txt_pwd");
        auto* message = Named<QLabel>(dialog.Layout(), "txt_msg");
        ASSERT_TRUE(field && message);
        EXPECT_EQ(field->echoMode(), QLineEdit::Password);
        field->setText(c.typed);
        QTest::mouseClick(Named<QPushButton>(dialog.Layout(), "btnOK"), Qt::LeftButton);
        if (*c.message) {
            EXPECT_EQ(message->text(), c.message) << c.typed;
            EXPECT_EQ(field->text(), c.typed);  // left as typed
            EXPECT_EQ(dialog.result(), 0);
        } else {
            EXPECT_EQ(dialog.result(), CCommonDlg::kOk);
        }
        (void)handler;
    }
    for (const char* button : {"btnCancel", "btn_close"}) {
        CCommonDlg dialog("XML_ADVANCED_LOGIN");
        new CDlgLoginEventHandler(dialog);
        QTest::mouseClick(Named<QPushButton>(dialog.Layout(), button), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), CCommonDlg::kCancel) << button;
    }
}

}  // namespace
}  // namespace caraudio::app::test
