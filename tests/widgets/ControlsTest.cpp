#include <gtest/gtest.h>

#include <QTemporaryFile>
#include <cmath>
#include <memory>

#include "GifWriter.h"
#include "SEdit2.h"
#include "SGifPlayer.h"
#include "SSimpleToolTip.h"
#include "SkButtons.h"
#include "SkRotaryKnob.h"
#include "SkSlider.h"
#include "Skin.h"
#include "WidgetInput.h"

namespace caraudio::widgets::test {
namespace {

// The compact window's knob: 238 x 216, 0..60, a 90 degree gap.
std::unique_ptr<SkRotaryKnob> CompactKnob() {
    auto k = std::make_unique<SkRotaryKnob>();
    k->resize(238, 216);
    for (auto [n, v] : {std::pair{"max", "60"},
                        {"includedAngle", "90"},
                        {"dotRadius", "55"},
                        {"fgRadius", "71"},
                        {"colorCircle", "#91b136ff"}})
        EXPECT_TRUE(k->SetAttribute(n, v)) << n;
    k->show();
    return k;
}

// A point on the dial at `degrees` clockwise from pointing right.
QPoint OnDial(double degrees) {
    const double r = degrees * 3.14159265358979 / 180;
    return {119 + static_cast<int>(80 * std::cos(r)), 108 + static_cast<int>(80 * std::sin(r))};
}

TEST(Knob, DraggingPastTheEndsLatches) {
    auto knob = CompactKnob();
    std::vector<int> raised;
    QObject::connect(knob.get(), &SkRotaryKnob::sliderPos, [&](int v) { raised.push_back(v); });
    Press(knob.get(), OnDial(-90));  // straight up: the middle
    EXPECT_EQ(knob->Value(), 30);
    MoveTo(knob.get(), OnDial(30));  // lower right, near the end
    MoveTo(knob.get(), OnDial(45));  // the end
    EXPECT_EQ(knob->Value(), 60);
    raised.clear();
    MoveTo(knob.get(), OnDial(80));   // into the gap: still max
    MoveTo(knob.get(), OnDial(100));  // across it: the value would jump to min
    EXPECT_EQ(knob->Value(), 60);
    EXPECT_TRUE(knob->StuckAtMax());
    MoveTo(knob.get(), OnDial(150));  // round past the start...
    MoveTo(knob.get(), OnDial(200));
    EXPECT_EQ(knob->Value(), 60) << "...still held at max";
    EXPECT_TRUE(raised.empty());
    MoveTo(knob.get(), OnDial(60));  // back at max: released
    EXPECT_FALSE(knob->StuckAtMax());
    MoveTo(knob.get(), OnDial(-30));
    EXPECT_LT(knob->Value(), 60);
    EXPECT_EQ(raised.size(), 1u);
    Release(knob.get(), OnDial(-30));

    // The same from min backwards.
    Press(knob.get(), OnDial(135));  // the start
    EXPECT_EQ(knob->Value(), 0);
    MoveTo(knob.get(), OnDial(80));  // back across the gap
    EXPECT_EQ(knob->Value(), 0);
    EXPECT_TRUE(knob->StuckAtMin());
    MoveTo(knob.get(), OnDial(0));
    EXPECT_EQ(knob->Value(), 0);
    Release(knob.get(), OnDial(0));
    EXPECT_FALSE(knob->StuckAtMin()) << "latches live only during a drag";
}

TEST(Knob, WheelAndKeys) {
    auto knob = CompactKnob();
    knob->SetValue(30);
    std::vector<int> raised;
    QObject::connect(knob.get(), &SkRotaryKnob::sliderPos, [&](int v) { raised.push_back(v); });
    Wheel(knob.get(), +1);
    Wheel(knob.get(), -1);
    Wheel(knob.get(), -1);
    QTest::keyClick(knob.get(), Qt::Key_PageUp);
    QTest::keyClick(knob.get(), Qt::Key_Home);
    QTest::keyClick(knob.get(), Qt::Key_Right);
    QTest::keyClick(knob.get(), Qt::Key_End);
    QTest::keyClick(knob.get(), Qt::Key_Down);
    EXPECT_EQ(raised, (std::vector<int>{31, 30, 29, 41, 60, 60, 0, 0}));
}

TEST(Knob, ZeroDrawsNoSectorAndTheDotAtTheStart) {
    auto knob = CompactKnob();
    knob->SetValue(0);
    const QImage zero = knob->grab().toImage();
    knob->SetValue(60);
    const QImage full = knob->grab().toImage();
    const QPoint inSector(119 - 60, 108);  // left of the centre, within fgRadius
    EXPECT_NE(zero.pixelColor(inSector), QColor(0x91, 0xb1, 0x36));
    EXPECT_EQ(full.pixelColor(inSector), QColor(0x91, 0xb1, 0x36));
    knob->SetValue(0);
    // The lower left end of the gap, 45 degrees below level (pi taken as 3.14).
    EXPECT_EQ(knob->DotPosition().x, static_cast<int>(119 - std::cos(45 * 3.14 / 180) * 55));
    EXPECT_EQ(knob->DotPosition().y, static_cast<int>(108 + std::sin(45 * 3.14 / 180) * 55));
}

TEST(Slider, RailClickJumpsAndDrags) {
    SkSlider s;
    s.SetAttribute("max", "66");
    s.SetAttribute("vertical", "1");
    s.resize(24, 200);
    s.show();
    std::vector<int> raised;
    QObject::connect(&s, &SkSlider::sliderPos, [&](int v) { raised.push_back(v); });
    const int rail = s.RailLength();
    const QPoint quarter(12, s.height() - s.ThumbRect().height() / 2 - rail / 4);  // a quarter up
    Press(&s, quarter);
    EXPECT_EQ(s.Value(), 67 * (rail / 4) / rail);
    EXPECT_TRUE(s.Dragging()) << "the click starts a drag";
    EXPECT_EQ(raised.size(), 1u);
    MoveTo(&s, quarter - QPoint(0, rail / 2));  // half the rail further up
    EXPECT_EQ(s.Value(), raised.front() + (rail / 2) * 67 / rail);
    MoveTo(&s, {12, -500});
    EXPECT_EQ(s.Value(), 66);
    Release(&s, {12, -500});
    EXPECT_FALSE(s.Dragging());
    // A press on the thumb itself drags without jumping.
    raised.clear();
    Press(&s, s.ThumbRect().center());
    EXPECT_TRUE(raised.empty());
    Release(&s, s.ThumbRect().center());
}

TEST(Edit2, StepsFromKeysWheelAndEnter) {
    SEdit2 e;
    e.show();
    std::vector<int> steps;
    QObject::connect(&e, &SEdit2::valueChanging, [&](int s) { steps.push_back(s); });
    QTest::keyClick(&e, Qt::Key_Up);
    QTest::keyClick(&e, Qt::Key_Down);
    QTest::keyClick(&e, Qt::Key_Return);
    QTest::keyClick(&e, Qt::Key_A);
    Wheel(&e, +1);
    Wheel(&e, -1);
    e.SetWantReturn(true);
    QTest::keyClick(&e, Qt::Key_Enter);
    EXPECT_EQ(steps, (std::vector<int>{1, -1, 0, 1, -1}));
    EXPECT_EQ(e.text(), "a");
}

TEST(Buttons, CheckStatesCarryTextTipAndColour) {
    SkCheckButton b;
    for (auto [n, v] : {std::pair{"multitext", "1"},
                        {"text1", "GEQ"},
                        {"multitip", "1"},
                        {"tip1", "graphic"},
                        {"tip2", "parametric"},
                        {"multicolor", "1"},
                        {"colortext1", "#ff0000ff"},
                        {"colortext2", "#00ff00ff"}})
        ASSERT_TRUE(b.SetAttribute(n, v)) << n;
    b.resize(60, 26);
    b.show();
    EXPECT_EQ(b.text(), "GEQ");
    EXPECT_EQ(b.toolTip(), "graphic");
    int clicks = 0;
    QObject::connect(&b, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_FALSE(b.isChecked()) << "without autoCheck a click does not toggle";
    EXPECT_EQ(clicks, 1);
    b.SetAttribute("autoCheck", "1");
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_TRUE(b.isChecked());
    EXPECT_EQ(b.text(), "") << "multitext without text2 shows nothing when checked";
    EXPECT_EQ(b.toolTip(), "parametric");
    EXPECT_EQ(b.palette().color(QPalette::ButtonText), QColor(0, 255, 0));
    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_FALSE(b.isChecked());
    EXPECT_EQ(b.text(), "GEQ");
    // Windows set the state quietly when they show the model: the tip follows too.
    b.blockSignals(true);
    b.setChecked(true);
    b.blockSignals(false);
    EXPECT_EQ(b.toolTip(), "parametric");
}

TEST(Buttons, RadioChecksItselfButNeverUnchecks) {
    QWidget group;
    auto* a = new SkRadioButton(&group);
    auto* b = new SkRadioButton(&group);
    a->SetAttribute("autoCheck", "1");
    b->SetAttribute("autoCheck", "1");
    a->resize(50, 20);
    b->setGeometry(0, 30, 50, 20);
    group.show();
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->isChecked());
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->isChecked());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->isChecked());
    EXPECT_FALSE(a->isChecked()) << "one of the group";
}

TEST(Buttons, RadioIsChosenByTheKeyboardsFocusOnly) {
    const std::pair<Qt::FocusReason, bool> cases[] = {{Qt::TabFocusReason, true},
                                                      {Qt::BacktabFocusReason, true},
                                                      {Qt::ActiveWindowFocusReason, false},
                                                      {Qt::PopupFocusReason, false},
                                                      {Qt::OtherFocusReason, false}};
    for (auto [reason, chosen] : cases) {
        SkRadioButton radio;
        radio.SetAttribute("autoCheck", "1");
        int clicks = 0;
        QObject::connect(&radio, &QAbstractButton::clicked, [&] { ++clicks; });
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(&radio, &in);
        EXPECT_EQ(radio.isChecked(), chosen) << reason;
        EXPECT_EQ(clicks, chosen ? 1 : 0) << reason;
    }
}

// An animation written by the program's own GIF writer.
QString WriteGif(std::vector<int> delays, QTemporaryFile& file) {
    resources::GifAnimation a;
    a.width = a.height = 4;
    a.palette[1] = {255, 0, 0};
    for (size_t i = 0; i < delays.size(); ++i)
        a.frames.push_back(std::vector<uint8_t>(16, static_cast<uint8_t>(1)));
    a.delays = delays;
    const std::string data = resources::EncodeGif(a);
    file.open();
    file.write(data.data(), static_cast<qint64>(data.size()));
    file.close();
    return file.fileName();
}

TEST(GifPlayer, ZeroDelayFramesShowFor90Ms) {
    QTemporaryFile file;
    const Skin skin = LoadGifSkin(WriteGif({0, 5, 0}, file));
    ASSERT_EQ(skin.FrameCount(), 3);
    EXPECT_EQ(skin.Delay(1), 5);
    SGifPlayer player;
    ASSERT_TRUE(player.SetSkin(&skin));
    EXPECT_EQ(player.Countdown(), 90);
    for (int i = 0; i < 8; ++i) player.Tick();
    EXPECT_EQ(player.Frame(), 0);
    player.Tick();  // 90 ms
    EXPECT_EQ(player.Frame(), 1);
    EXPECT_EQ(player.Countdown(), 50);
    for (int i = 0; i < 5; ++i) player.Tick();
    EXPECT_EQ(player.Frame(), 2);
    EXPECT_EQ(player.Countdown(), 90);
    EXPECT_FALSE(player.Ticking()) << "hidden: no clock";
    player.show();
    EXPECT_TRUE(player.Ticking());
    player.hide();
    EXPECT_FALSE(player.Ticking());
}

TEST(GifPlayer, StillPicturesAreDrawnNotAnimated) {
    QTemporaryFile file;
    const Skin one = LoadGifSkin(WriteGif({7}, file));
    ASSERT_EQ(one.FrameCount(), 1);
    SGifPlayer player;
    ASSERT_TRUE(player.SetSkin(&one));
    player.show();
    EXPECT_FALSE(player.Ticking());
    player.Tick();
    EXPECT_EQ(player.Frame(), 0);
    const Skin still(QImage(4, 4, QImage::Format_ARGB32), 1);
    EXPECT_FALSE(player.SetSkin(&still)) << "only animation skins";
    EXPECT_FALSE(player.SetAttribute("skin", "no_such_skin"));
    ASSERT_NE(FindSkin("GIF_LOADING"), nullptr);
    EXPECT_GE(FindSkin("GIF_LOADING")->FrameCount(), 2);
}

TEST(ToolTip, OneSharedWindowWhileAnySliderHoldsIt) {
    EXPECT_EQ(SSimpleToolTip::Current(), nullptr);
    SSimpleToolTip* first = SSimpleToolTip::Acquire();
    EXPECT_EQ(SSimpleToolTip::Acquire(), first);
    SSimpleToolTip::Release();
    EXPECT_EQ(SSimpleToolTip::Current(), first);
    first->ShowText("42", {10, 10});
    EXPECT_EQ(first->Text(), "42");
    EXPECT_GE(first->width(), 10 + 6);
    SSimpleToolTip::Release();
    EXPECT_EQ(SSimpleToolTip::Current(), nullptr);
}

}  // namespace
}  // namespace caraudio::widgets::test
