// The delay settings on the car map, the mix window, and every button of the
// main window opening what it names.
#include <QPushButton>

#include "AppRig.h"
#include "CommonDialog.h"
#include "DelayLayout.h"
#include "DelaySettingsDialog.h"
#include "MixSoundWindow.h"
#include "SEdit2.h"
#include "SWindow.h"
#include "SkButtons.h"
#include "SkCar.h"
#include "SkSlider.h"
#include "Translation.h"
#include "ValueScales.h"
#include "WidgetInput.h"

namespace caraudio::app::test {
namespace {

using namespace widgets;
using storage::DelayLayout;

// What the main window writes for a path length: whole samples at 48 kHz
// of at most 20 ms.
int RawDelayFor(double mm) {
    return static_cast<int>(std::min(std::max(mm, 0.0) / 346.0, 20.0) * 48);
}

class DelayTest : public AppRig {
protected:
    ApplyDistances ToMain() {
        return [this](const std::array<double, 6>& d) { Main().ApplySpeakerDistances(d); };
    }
    DelayLayout Stored() { return storage::ReadDelayLayout(app->Settings().Document()); }
    // Drags a thumb by a number of pixels, as the mouse would.
    static void Drag(QWidget* thumb, QPoint by) {
        const QPoint c = thumb->rect().center();
        widgets::test::Press(thumb, c);
        widgets::test::MoveTo(thumb, c + by);
        widgets::test::Release(thumb, c + by);
    }
    void ExpectDelaysOf(const SkCar* car) {
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(Param(param::Delay((k + 2) % 6)), RawDelayFor(car->DelayMm(k))) << "CH" << k + 1;
    }
    using Placement = std::array<IntPoint, 7>;  // CH1..CH6, listener
    static Placement PlacementOf(const SkCar* car) {
        Placement p;
        for (int i = 0; i < 6; ++i) p[static_cast<size_t>(i)] = car->SpeakerMm(i);
        p[6] = car->ListenerMm();
        return p;
    }
    static Placement PlacementOf(const DelayLayout& r) {
        Placement p;
        for (size_t i = 0; i < 6; ++i) p[i] = {r.speakers[i].x, r.speakers[i].y};
        p[6] = {r.listener.x, r.listener.y};
        return p;
    }
    static constexpr Placement kDefault{
        {{0, 2680}, {1825, 2680}, {0, 0}, {1825, 0}, {608, 0}, {1216, 0}, {530, 1580}}};
    void TearDown() override {
        if (app) app->Session().SetClock(nullptr);
    }
    // Presses a thumb, moves it by `by` pixels on the map in `moves` even
    // steps a second apart, and lets go.
    void SlowDrag(SkCar* car, QWidget* thumb, QPoint by, int moves) {
        const QPoint grab = thumb->rect().center(), start = thumb->mapTo(car, grab);
        widgets::test::Press(thumb, grab);
        for (int m = 1; m <= moves; ++m) {
            widgets::test::MoveTo(thumb, thumb->mapFrom(car, start + by * m / moves));
            clock.now += 1000;
        }
        widgets::test::Release(thumb, thumb->mapFrom(car, start + by));
    }
    StoppedClock clock;
};

TEST_F(DelayTest, FirstOpeningPlacesTheDefaultsAndClosingUntouchedStoresThem) {
    Start();
    ASSERT_FALSE(app->Settings().Document().Has("Config", "Delay"));
    bool seen = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgDelaySettings*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_EQ(PlacementOf(dialog->Car()), kDefault);
        EXPECT_EQ(dialog->Car()->Count(), 6);
        Named<QPushButton>(dialog, "btn_close")->click();
    });
    Click(Ctl<QPushButton>(9002));
    ASSERT_TRUE(seen);
    const DelayLayout stored = Stored();
    EXPECT_EQ(stored.positionsValid, 1);
    EXPECT_EQ(PlacementOf(stored), kDefault);
    EXPECT_EQ(stored.carWidth, 1825);
    // Written to the file as well: a new start finds it.
    storage::Settings reread(QFileInfo(QString::fromStdString(app->Settings().Path())).path().toStdString());
    reread.Load();
    EXPECT_EQ(storage::ReadDelayLayout(reread.Document()), stored);
}

TEST_F(DelayTest, TheWholeCarItsCircleAndEveryDelayShow) {
    Start();
    bool seen = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgDelaySettings*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen = true;
        const SkCar* car = dialog->Car();
        // The map is 620 x 540 with its scales 20 below the top and 40 above the bottom.
        ASSERT_EQ(car->size(), QSize(620, 540));
        const QRect plot(QPoint(45, 20), QPoint(600, 500));
        const QRect body = car->findChild<QWidget*>("car_pic")->geometry();
        EXPECT_TRUE(plot.contains(body)) << "the car from its front to its back";
        const int above = body.top() - plot.top(), below = plot.bottom() - body.bottom();
        EXPECT_LE(std::abs(above - below), 50)
            << "no more room behind the car than ahead of it, within a scale step";
        const IntBox& circle = car->Delays().circle;
        EXPECT_TRUE(
            plot.contains(QRect(QPoint(circle.left, circle.top), QPoint(circle.right, circle.bottom))))
            << "the circle of equal arrival";
        std::vector<QRect> taken;
        for (int data = 0; data <= 6; ++data) taken.push_back(car->Thumb(data)->geometry());
        for (int i = 1; i <= 6; ++i) {
            const auto* tip = car->findChild<SWindow*>(QString("ch%1_tip").arg(i));
            ASSERT_TRUE(tip->isVisible());
            EXPECT_TRUE(car->rect().contains(tip->geometry())) << "CH" << i;
            for (const QRect& r : taken) EXPECT_FALSE(r.intersects(tip->geometry())) << "CH" << i;
            taken.push_back(tip->geometry());
        }
        Named<QPushButton>(dialog, "btn_close")->click();
    });
    Click(Ctl<QPushButton>(9002));
    ASSERT_TRUE(seen);
}

TEST_F(DelayTest, PathLengthsBecomeSamplesAndTheFieldFollowsTheUnit) {
    Start();
    struct Case {
        double mm;
        int unit, raw;
        const char* shown;
    };
    const Case cases[] = {
        {3460, kDelayMs, 480, "10.000"}, {10000, kDelayMs, 960, "20.000"},   {10000, kDelayCm, 960, "692.00"},
        {3460, kDelayCm, 480, "346.00"}, {10000, kDelayInch, 960, "272.44"}, {-50, kDelayMs, 0, "0.000"},
        {173, kDelayInch, 24, "6.81"},
    };
    for (const Case& c : cases) {
        Db().SetDelayUnit(c.unit);
        Main().ApplySpeakerDistances({c.mm, 0, 0, 0, 0, 0});
        EXPECT_EQ(Param(param::Delay(2)), c.raw) << c.mm;  // CH1 is block 2
        EXPECT_EQ(Ctl<SEdit2>(4102)->text(), c.shown) << c.mm << " unit " << c.unit;
    }
}

TEST_F(DelayTest, EveryMoveIsAppliedAndUndoThenCloseStoresTheOpeningPlacement) {
    Start();
    DelayLayout opening;
    opening.positionsValid = 1;
    opening.listener = {900, 1200};
    for (size_t i = 0; i < 6; ++i)
        opening.speakers[i] = {static_cast<int32_t>(100 * i), static_cast<int32_t>(2000 - 100 * i)};
    storage::WriteDelayLayout(app->Settings().Document(), opening);
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgDelaySettings*>(modal);
        ASSERT_NE(dialog, nullptr);
        SkCar* car = dialog->Car();
        EXPECT_EQ(PlacementOf(car), PlacementOf(opening));
        Drag(car->Thumb(1), {40, -30});
        EXPECT_NE(car->SpeakerMm(0), (IntPoint{0, 2000}));
        ExpectDelaysOf(car);
        Named<QPushButton>(dialog, "btnDefault")->click();
        EXPECT_EQ(PlacementOf(car), kDefault);
        ExpectDelaysOf(car);
        Drag(car->Thumb(0), {-20, 20});
        Named<QPushButton>(dialog, "btnUndo")->click();
        EXPECT_EQ(PlacementOf(car), PlacementOf(opening));
        ExpectDelaysOf(car);
        QTest::keyClick(dialog, Qt::Key_Escape);  // any way out keeps the placement
    });
    RunDelaySettings(&Main(), app->Settings(), app->Session(), app->Services().sessionEvents, ToMain());
    const DelayLayout stored = Stored();
    EXPECT_EQ(stored.positionsValid, 1);
    EXPECT_EQ(PlacementOf(stored), PlacementOf(opening));
}

// What the user has before them while the dialog is open: the tuning on
// the PC and the box, the map and its delays, the main window's delays.
struct DelayView {
    EffectBlock pc, box;
    std::array<IntPoint, 7> placement;
    std::array<QString, 6> tips, mainFields;
};

TEST_F(DelayTest, ADragOnTheMapIsOneStepForCtrlZAndCtrlShiftZ) {
    Start();
    app->Session().SetClock(&clock);
    bool seen = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgDelaySettings*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen = true;
        SkCar* car = dialog->Car();
        auto view = [&] {
            DelayView v{Pc(), SentBox(), PlacementOf(car), {}, {}};
            for (int i = 0; i < 6; ++i) {
                v.tips[static_cast<size_t>(i)] =
                    car->findChild<SWindow*>(QString("ch%1_tip").arg(i + 1))->Text();
                v.mainFields[static_cast<size_t>(i)] = Ctl<SEdit2>(4100 + i)->text();
            }
            return v;
        };
        const DelayView before = view();
        ASSERT_EQ(before.box, before.pc);
        // CH4 at the back right, the farthest from the listener, five moves
        // towards the listener: the other speakers' delays shorten with it.
        SlowDrag(car, car->Thumb(4), {-60, -90}, 5);
        const DelayView dragged = view();
        int changed = 0;
        for (int b = 0; b < 6; ++b)
            changed += Param(param::Delay(b)) != before.pc.Get(*FindParam(param::Delay(b)));
        ASSERT_GE(changed, 5) << "the drag moves several delays";
        ASSERT_NE(dragged.tips, before.tips);
        ASSERT_NE(dragged.mainFields, before.mainFields);

        const struct {
            Qt::KeyboardModifiers mods;
            const DelayView& expected;
            const char* what;
        } presses[] = {{Qt::ControlModifier, before, "Ctrl+Z"},
                       {Qt::ControlModifier | Qt::ShiftModifier, dragged, "Ctrl+Shift+Z"}};
        for (const auto& p : presses) {
            Key(dialog, Qt::Key_Z, p.mods);
            const DelayView now = view();
            EXPECT_EQ(now.pc, p.expected.pc) << p.what;
            EXPECT_EQ(now.box, p.expected.pc) << p.what;
            EXPECT_EQ(now.placement, p.expected.placement) << p.what;
            EXPECT_EQ(now.tips, p.expected.tips) << p.what;
            // The fields show the car map's exact path delays after a move,
            // the box's whole samples after a refresh: a sample apart at most.
            for (size_t i = 0; i < now.mainFields.size(); ++i)
                EXPECT_NEAR(now.mainFields[i].toDouble(), p.expected.mainFields[i].toDouble(), 1.0 / 48)
                    << p.what << " CH" << i + 1;
        }
        EXPECT_EQ(app->Session().History(app->Session().CurrentSide()).UndoCount(), 1u) << "one step";
        Named<QPushButton>(dialog, "btn_close")->click();
    });
    Click(Ctl<QPushButton>(9002));
    ASSERT_TRUE(seen);
}

TEST_F(DelayTest, AStopAskedForWhileTheDialogIsOpenStillStoresThePlacement) {
    Start();
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgDelaySettings*>(modal);
        ASSERT_NE(dialog, nullptr);
        Drag(dialog->Car()->Thumb(2), {-30, 0});
        app->Quit();  // as SIGTERM does: every loop ends, the dialog's too
    });
    Click(Ctl<QPushButton>(9002));
    const DelayLayout stored = Stored();
    EXPECT_EQ(stored.positionsValid, 1);
    EXPECT_NE(PlacementOf(stored), kDefault);
    // The loop was asked to end; run it so the next test starts afresh.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

TEST_F(DelayTest, EnterLeavesTheDialogOpen) {
    Start();
    CDlgDelaySettings dialog(Stored(), ToMain());
    dialog.show();
    ASSERT_TRUE(Activate(&dialog));
    QWidget* speaker = dialog.Car()->Thumb(0);
    speaker->setFocus();
    QTest::keyClick(speaker, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DelayTest, AMissingOrDamagedRecordOpensWithTheDefaults) {
    Start();
    DelayLayout wild;
    wild.mmPerPx = 0;
    wild.mmPerScale = -5;
    wild.positionsValid = 1;
    wild.speakers.fill({2000000000, -2000000000});
    wild.listener = {-2000000000, 2000000000};
    struct Case {
        const char* what;
        std::function<void()> store;
        Placement expected;
    };
    const Case cases[] = {
        {"not hexadecimal", [&] { app->Settings().Document().SetText("Config", "Delay", "zz"); }, kDefault},
        {"wrong check byte",
         [&] {
             storage::WriteDelayLayout(app->Settings().Document(), DelayLayout{});
             std::string text = app->Settings().Document().GetText("Config", "Delay");
             text.back() = text.back() == '0' ? '1' : '0';
             app->Settings().Document().SetText("Config", "Delay", text);
         },
         kDefault},
        // A geometry the map cannot draw takes the defaults; positions are kept on the car.
        {"impossible geometry", [&] { storage::WriteDelayLayout(app->Settings().Document(), wild); },
         Placement{{{1825, 0}, {1825, 0}, {1825, 0}, {1825, 0}, {1825, 0}, {1825, 0}, {0, 2680}}}},
    };
    for (const Case& c : cases) {
        c.store();
        CDlgDelaySettings dialog(Stored(), ToMain());
        dialog.show();
        EXPECT_EQ(PlacementOf(dialog.Car()), c.expected) << c.what;
        EXPECT_EQ(dialog.Car()->Attributes().mmPerPx, 10) << c.what;
    }
}

class MixTest : public AppRig {
protected:
    void Open() {
        mix = std::make_unique<CCommonDlg>("XML_MIXSOUNDWD");
        handler = new CDlgMixSoundEventHandler(*mix, app->Services());
        mix->show();
    }
    template <typename T>
    T* M(int id) {
        T* w = Control<T>(mix.get(), id);
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    SEdit2* Edit(int id) { return M<SEdit2>(id); }
    void TearDown() override {
        if (app) app->Session().SetClock(nullptr);
    }
    StoppedClock clock;
    std::unique_ptr<CCommonDlg> mix;
    CDlgMixSoundEventHandler* handler = nullptr;
};

TEST_F(MixTest, OpeningShowsTheImage) {
    Start();
    Db().SetParam(param::MainVol, 0);
    Db().SetParam(param::MuteCtrl, 63);
    Db().SetParam(param::PhaseCtrl, 1 << 4);
    Db().SetParam(param::Input(0, 3), 0);
    Db().SetParam(param::Input(5, 1), 42);
    Db().SetParam(param::Volume(3), 30);
    Db().LinkChannel(1, 1);
    Open();
    EXPECT_EQ(Edit(7900)->text(), "OFF");
    EXPECT_EQ(M<SkSlider>(7200)->Value(), 0);
    EXPECT_TRUE(M<SkCheckButton>(7400)->isChecked());
    for (int b = 0; b < 6; ++b) {
        EXPECT_TRUE(M<SkCheckButton>(7700 + b)->isChecked());
        EXPECT_EQ(M<SkCheckButton>(7600 + b)->isChecked(), b == 4);
        EXPECT_EQ(M<SkCheckButton>(8200 + b)->isChecked(), b == 1);
        EXPECT_EQ(M<SkCheckButton>(7500 + b)->isChecked(), b == Db().SelectedChannel());
    }
    EXPECT_TRUE(M<SkCheckButton>(7803)->isChecked());  // level 0: input off
    EXPECT_FALSE(M<SkCheckButton>(7802)->isChecked());
    EXPECT_EQ(Edit(8051)->text(), "42");
    EXPECT_EQ(M<SkSlider>(7051)->Value(), 42);
    EXPECT_EQ(Edit(7913)->text(), "-30dB");
    EXPECT_EQ(M<SkSlider>(7103)->Value(), 30);
    EXPECT_EQ(M<SkCheckButton>(7600)->toolTip(), Tr("mainWindow", "NPhase"));
    EXPECT_EQ(M<SkCheckButton>(7604)->toolTip(), Tr("mainWindow", "RPhase"));
}

TEST_F(MixTest, InputLevelsSwitchesAndTheirRememberedLevels) {
    Start();
    Open();
    const int level = param::Input(2, 1);  // CH1, input 2
    SEdit2* edit = Edit(8021);
    SkCheckButton* off = M<SkCheckButton>(7821);
    emit M<SkSlider>(7021)->sliderPos(0);
    EXPECT_EQ(Param(level), 0);
    EXPECT_EQ(edit->text(), "0");
    EXPECT_TRUE(off->isChecked());
    Click(off);
    EXPECT_EQ(Param(level), 100);  // remembered from the opening
    EXPECT_FALSE(off->isChecked());

    struct Case {
        const char* typed;
        int written;
        bool switchedOff;
    };
    const Case cases[] = {
        {"37", 37, false}, {"150", 100, false}, {"abc", 0, true}, {" 12.9 ", 12, false}, {"-4", 0, true}};
    for (const Case& c : cases) {
        Type(edit, c.typed);
        EXPECT_TRUE(mix->isVisible()) << c.typed;
        EXPECT_EQ(Param(level), c.written) << c.typed;
        EXPECT_EQ(edit->text().toInt(), c.written) << c.typed;
        EXPECT_EQ(M<SkSlider>(7021)->Value(), c.written) << c.typed;
        EXPECT_EQ(off->isChecked(), c.switchedOff) << c.typed;
    }
    Type(edit, "37");
    Click(off);
    EXPECT_EQ(Param(level), 0);
    EXPECT_EQ(handler->RememberedLevel(2, 1), 37);
    Click(off);
    EXPECT_EQ(Param(level), 37);
    // Stepping stops at the ends.
    Type(edit, "100");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(Param(level), 100);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(Param(level), 99);
    Db().Throttle().Flush();
    EXPECT_EQ(BoxParam(level), 99);
    // Another opening remembers 100 again.
    emit M<SkSlider>(7021)->sliderPos(0);
    Open();
    Click(M<SkCheckButton>(7821));
    EXPECT_EQ(Param(level), 100);
}

// A typed level, then the same input switched off: two steps, undone last
// first with Ctrl+Z in the field just left (its text is taken) and redone
// with Ctrl+Y; the PC, the box and the window show each state whole.
TEST_F(MixTest, CtrlZUndoesATypedLevelAndAnInputSwitchOneAtATime) {
    Start();
    app->Session().SetClock(&clock);
    Open();
    const int level = param::Input(2, 1);  // CH1, input 2
    SEdit2* edit = Edit(8021);
    SkCheckButton* in = M<SkCheckButton>(7821);
    struct State {
        EffectBlock image;
        int level;
        bool off;
    };
    const State opening{Pc(), Param(level), Param(level) == 0};
    ASSERT_NE(opening.level, 37);
    ASSERT_EQ(SentBox(), opening.image);
    Type(edit, "37");
    const State typed{Pc(), 37, false};
    ASSERT_EQ(Param(level), 37);
    Click(in);
    const State switched{Pc(), 0, true};
    ASSERT_EQ(Param(level), 0);
    ASSERT_EQ(edit->text(), "0");

    const struct {
        Qt::Key key;
        const State& expected;
        const char* what;
    } presses[] = {{Qt::Key_Z, typed, "undo the switch"},
                   {Qt::Key_Z, opening, "undo the typing"},
                   {Qt::Key_Y, typed, "redo the typing"},
                   {Qt::Key_Y, switched, "redo the switch"}};
    for (const auto& p : presses) {
        edit->setFocus();
        Key(edit, p.key);
        EXPECT_EQ(Pc(), p.expected.image) << p.what;
        EXPECT_EQ(SentBox(), p.expected.image) << p.what;
        EXPECT_EQ(Param(level), p.expected.level) << p.what;
        EXPECT_EQ(edit->text(), QString::number(p.expected.level)) << p.what;
        EXPECT_EQ(M<SkSlider>(7021)->Value(), p.expected.level) << p.what;
        EXPECT_EQ(in->isChecked(), p.expected.off) << p.what;
    }
    // The switch on again brings back the level typed before it went off.
    Click(in);
    EXPECT_EQ(Param(level), 37);
}

TEST_F(MixTest, VolumesAndMaster) {
    Start();
    Open();
    struct Case {
        const char* typed;
        int raw;
        const char* shown;
    };
    const Case cases[] = {
        {"off", 0, "OFF"}, {"OfF", 0, "OFF"}, {"9", 66, "6dB"}, {"-12.7", 48, "-12dB"}, {"-80", 0, "OFF"}};
    for (const Case& c : cases) {
        Db().SetVolumeMemo(2, 25);
        Type(Edit(7912), c.typed);
        EXPECT_TRUE(mix->isVisible()) << c.typed;
        EXPECT_EQ(Param(param::Volume(2)), c.raw) << c.typed;
        EXPECT_EQ(Edit(7912)->text(), c.shown) << c.typed;
        EXPECT_EQ(M<SkSlider>(7102)->Value(), c.raw) << c.typed;
        EXPECT_EQ(Db().VolumeMemo(2), -1) << c.typed;
        Type(Edit(7900), c.typed);
        EXPECT_EQ(Param(param::MainVol), c.raw) << c.typed;
        EXPECT_EQ(Edit(7900)->text(), c.shown) << c.typed;
        EXPECT_EQ(M<SkSlider>(7200)->Value(), c.raw) << c.typed;
    }
    emit M<SkSlider>(7200)->sliderPos(50);
    EXPECT_EQ(Param(param::MainVol), 50);
    EXPECT_EQ(Edit(7900)->text(), "-10dB");
    Click(M<SkCheckButton>(7603));
    EXPECT_EQ(Param(param::PhaseCtrl) & (1 << 3), 1 << 3);
}

TEST_F(MixTest, LinkedChannelsMoveTogether) {
    Start();
    Db().SetSelectedChannel(2);
    Db().SetParam(param::Volume(4), 61);
    Open();
    Click(M<SkCheckButton>(8202));  // CH1
    Click(M<SkCheckButton>(8203));  // CH2 takes CH1's settings
    ASSERT_TRUE(Db().IsLinked(2) && Db().IsLinked(3));
    emit M<SkSlider>(7102)->sliderPos(30);
    for (int b : {2, 3}) {
        EXPECT_EQ(Param(param::Volume(b)), 30);
        EXPECT_EQ(M<SkSlider>(7100 + b)->Value(), 30);
        EXPECT_EQ(Edit(7910 + b)->text(), "-30dB");
    }
    EXPECT_EQ(Param(param::Volume(4)), 61);  // not linked
    EXPECT_TRUE(M<SkCheckButton>(7502)->isChecked() && M<SkCheckButton>(7503)->isChecked());
    EXPECT_FALSE(M<SkCheckButton>(7504)->isChecked());
}

TEST_F(MixTest, UnlinkingTheCurrentChannelMovesItToTheLowestOtherLinked) {
    Start();
    Db().SetSelectedChannel(4);
    Open();
    for (int b : {4, 5, 1}) Click(M<SkCheckButton>(8200 + b));
    Click(M<SkCheckButton>(8204));
    EXPECT_FALSE(Db().IsLinked(4));
    EXPECT_EQ(Db().SelectedChannel(), 1);
    for (int b = 0; b < 6; ++b) EXPECT_EQ(M<SkCheckButton>(7500 + b)->isChecked(), b == 1 || b == 5) << b;
    // A label click selects an unlinked channel alone.
    for (int b : {1, 5}) Click(M<SkCheckButton>(8200 + b));
    Click(M<SkCheckButton>(7503));
    EXPECT_EQ(Db().SelectedChannel(), 3);
    for (int b = 0; b < 6; ++b) EXPECT_EQ(M<SkCheckButton>(7500 + b)->isChecked(), b == 3) << b;
}

TEST_F(MixTest, MutingAllSixChecksTheMasterMuteAndItUnmutesAll) {
    Start();
    Open();
    SkCheckButton* master = M<SkCheckButton>(7400);
    for (int b = 0; b < 6; ++b) {
        EXPECT_FALSE(master->isChecked());
        Click(M<SkCheckButton>(7700 + b));
    }
    EXPECT_EQ(Param(param::MuteCtrl), 63);
    EXPECT_TRUE(master->isChecked());
    Click(master);
    EXPECT_EQ(Param(param::MuteCtrl), 0);
    for (int b = 0; b < 6; ++b) EXPECT_FALSE(M<SkCheckButton>(7700 + b)->isChecked());
    Click(master);
    for (int b = 0; b < 6; ++b) EXPECT_TRUE(M<SkCheckButton>(7700 + b)->isChecked());
}

// Enter in a level applies it and leaves the window open, with the levels
// the input switches remember.
TEST_F(MixTest, EnterInAFieldAppliesItAndTheWindowStaysOpen) {
    Start();
    Open();
    TypeAndEnter(Edit(8021), "37");
    EXPECT_TRUE(mix->isVisible());
    EXPECT_EQ(Param(param::Input(2, 1)), 37);
    Click(M<SkCheckButton>(7821));  // off: 37 is remembered
    EXPECT_EQ(Param(param::Input(2, 1)), 0);
    TypeAndEnter(Edit(8032), "50");
    TypeAndEnter(Edit(7912), "-20");
    TypeAndEnter(Edit(7900), "-6");
    EXPECT_TRUE(mix->isVisible());
    EXPECT_EQ(Param(param::Input(3, 2)), 50);
    EXPECT_EQ(Param(param::Volume(2)), 40);
    EXPECT_EQ(Param(param::MainVol), 54);
    Click(M<SkCheckButton>(7821));
    EXPECT_EQ(Param(param::Input(2, 1)), 37);
}

TEST_F(MixTest, ClosingRefreshesTheMainWindow) {
    Start();
    bool openAfterTyping = false;
    OnNextModal([&](QWidget* modal) {
        Type(Control<SEdit2>(modal, 7912), "-20");
        openAfterTyping = modal->isVisible();
        Named<QPushButton>(modal, "btn_close")->click();
    });
    Click(Named<QPushButton>(&Main(), "btn_menu"));
    EXPECT_TRUE(openAfterTyping);
    EXPECT_EQ(Param(param::Volume(2)), 40);
    EXPECT_EQ(Ctl<SEdit2>(6002)->text(), "-20dB");
}

TEST_F(DelayTest, EveryButtonAndMenuOfTheMainWindowOpensWhatItNames) {
    Start();
    struct Case {
        std::function<void()> open;
        const char* layout;
    };
    const Case cases[] = {
        {[&] { Click(Ctl<QPushButton>(9002)); }, "XML_DELAYSETTINGS"},
        {[&] { Click(Ctl<QPushButton>(9005)); }, "XML_DEVICE_PRESET"},
        {[&] { Click(Named<QPushButton>(&Main(), "btn_menu")); }, "XML_MIXSOUNDWD"},
        {[&] { Main().Command(64); }, "XML_MY_PRESET"},
        {[&] { Main().Command(63); }, "XML_ABOUT"},
    };
    for (const Case& c : cases) {
        QString opened;
        bool modal = false;
        OnNextModal([&](QWidget* dialog) {
            opened = dialog->objectName();
            modal = dialog->isModal();
            Named<QPushButton>(dialog, "btn_close")->click();
        });
        c.open();
        EXPECT_EQ(opened, c.layout);
        EXPECT_TRUE(modal) << c.layout;
    }
}

}  // namespace
}  // namespace caraudio::app::test
