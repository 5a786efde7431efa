#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "EditorRig.h"
#include "SMoveThumb.h"
#include "SkEQ.h"
#include "Skin.h"
#include "WidgetInput.h"
#include "WidgetRegistry.h"

namespace caraudio::widgets::test {
namespace {

QPoint CentreOf(const QWidget* w) {
    return {w->x() + w->width() / 2, w->y() + w->height() / 2};
}

TEST_F(Editor, ThumbsSitOnTheirBandsAndCrossoversOnTheMinus15Line) {
    block.SetWord(FindParam(param::BandGain(2, 10))->offset, 600);  // +6 dB at 200 Hz
    Load();
    EXPECT_TRUE(eq->BandThumb(30)->isVisible());
    EXPECT_EQ(eq->BandThumb(31), nullptr);
    EXPECT_EQ(eq->SlotThumb(-3), nullptr);
    // The plot runs from x 36 to 895 for 17 Hz to 24 kHz (859 pixels over
    // log10(24000 / 17) decades) and from y 13 (+24 dB) to 381 (-24 dB).
    EXPECT_EQ(CentreOf(eq->BandThumb(10)), QPoint(328, 151));
    // High-pass 0 Hz (off) at 17 Hz, low-pass 20000 Hz at 22000 Hz, both at -15 dB.
    EXPECT_EQ(CentreOf(eq->SlotThumb(-1)), QPoint(36, 312));
    EXPECT_EQ(CentreOf(eq->SlotThumb(-2)), QPoint(885, 312));
    EXPECT_FALSE(eq->SlotThumb(-5)->isVisible());
    // A band above dbMax is placed above the plot: +30 dB is 6 dB over the top.
    Model().SetBand(4, {EqFilterRole::Band, EqFilterType::Peaking, 50, 30, 1, 1});
    eq->RefreshCurve();
    EXPECT_EQ(CentreOf(eq->BandThumb(4)).y(), 13 - 45);
}

TEST_F(Editor, CrossoverThumbsStayOnTheEditorWhateverItsScale) {
    Load();
    const struct {
        const char *dbMax, *dbMin;
        int y;
    } cases[] = {
        {"24", "-24", 312},  // -15 dB is on the scale
        {"12", "-12", 381},  // the bottom line
        {"24", "-12", 381},
        {"-18", "-42", 13},  // the top line
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(eq->SetAttribute("dbMax", c.dbMax));
        ASSERT_TRUE(eq->SetAttribute("dbMin", c.dbMin));
        eq->RefreshCurve();
        for (int slot : {-1, -2}) {
            SMoveThumb* t = eq->SlotThumb(slot);
            EXPECT_EQ(CentreOf(t).y(), c.y) << c.dbMax << ".." << c.dbMin;
            EXPECT_TRUE(eq->rect().contains(t->geometry())) << c.dbMax << ".." << c.dbMin;
            // Where the user presses, the thumb is what is hit.
            EXPECT_EQ(eq->childAt(CentreOf(t)), t) << c.dbMax << ".." << c.dbMin;
        }
    }
}

TEST_F(Editor, GridLinesAreOnePixelSharp) {
    Load();
    const QImage picture = Picture();
    const int grey = 0xdd;  // white at alpha 0xdd over black
    auto level = [&](int x, int y) { return picture.pixelColor(x, y).red(); };
    // The +12 dB line at y 105 (13 + 2 x 46), between the 3 and 4 kHz lines.
    EXPECT_NEAR(level(667, 105), grey, 2);
    EXPECT_EQ(level(667, 104), 0);
    EXPECT_EQ(level(667, 106), 0);
    // The 1 kHz line at x 518, between the +18 and +12 dB lines.
    EXPECT_NEAR(level(518, 80), grey, 2);
    EXPECT_EQ(level(517, 80), 0);
    EXPECT_EQ(level(519, 80), 0);
}

TEST_F(Editor, AWatermarkLiesFaintlyBehindThePlot) {
    QImage red(200, 60, QImage::Format_ARGB32);
    red.fill(Qt::red);
    RegisterSkin("test_watermark_small", Skin(red, 1));
    QImage big(3000, 1000, QImage::Format_ARGB32);
    big.fill(Qt::red);
    RegisterSkin("test_watermark_big", Skin(big, 1));
    Load();
    // Faint: a fifth of the picture's colour over the black.
    auto faintRed = [](QColor c) {
        return c.red() >= 45 && c.red() <= 58 && c.green() == 0 && c.blue() == 0;
    };
    ASSERT_TRUE(eq->SetAttribute("watermark", "test_watermark_small"));
    QImage picture = Picture();
    // Its own size, centred in the plot's lower half (x 36..894, y 197..380):
    // x 365..564, y 259..318.
    EXPECT_TRUE(faintRed(picture.pixelColor(470, 270))) << picture.pixelColor(470, 270).name().toStdString();
    EXPECT_TRUE(faintRed(picture.pixelColor(370, 314)));
    EXPECT_EQ(picture.pixelColor(470, 325), QColor(0, 0, 0)) << "below it";
    EXPECT_EQ(picture.pixelColor(340, 270), QColor(0, 0, 0)) << "left of it";
    // A picture larger than the lower half is shrunk to its height: 552 x 184
    // pixels, x 189..740.
    ASSERT_TRUE(eq->SetAttribute("watermark", "test_watermark_big"));
    picture = Picture();
    EXPECT_TRUE(faintRed(picture.pixelColor(200, 220)));
    EXPECT_EQ(picture.pixelColor(180, 220), QColor(0, 0, 0)) << "left of it";
    EXPECT_EQ(picture.pixelColor(470, 190), QColor(0, 0, 0)) << "above it";
    EXPECT_FALSE(eq->SetAttribute("watermark", "no_such_skin"));
}

TEST_F(Editor, QHandlesSpreadWithTheBandsWidth) {
    Load();
    const struct {
        int rawQ;
        int d;
    } cases[] = {{40, 120}, {12800, 20}, {760, 69}, {1230, 61}};
    for (const auto& c : cases) {
        Model().SetBand(12,
                        {EqFilterRole::Band, EqFilterType::Peaking, 315, 4, c.rawQ / 300.0, c.rawQ / 300.0});
        eq->ShowQHandles(true);
        eq->RefreshCurve();
        const QPoint band = CentreOf(eq->BandThumb(12));
        ASSERT_TRUE(eq->SlotThumb(-5)->isVisible());
        EXPECT_EQ(CentreOf(eq->SlotThumb(-5)), band - QPoint(c.d, 0)) << c.rawQ;
        EXPECT_EQ(CentreOf(eq->SlotThumb(-6)), band + QPoint(c.d, 0)) << c.rawQ;
        EXPECT_EQ(eq->SlotThumb(-6)->ThumbTag(), 12);
    }
    // A crossover becoming current hides them; the next band brings them back.
    Model().SetHighPass(80, -12, 1, EqFilterType::Butterworth);
    eq->RefreshCurve();
    EXPECT_FALSE(eq->SlotThumb(-5)->isVisible());
    EXPECT_EQ(eq->SlotThumb(-5)->ThumbTag(), -1);
    Model().SetBand(3, {EqFilterRole::Band, EqFilterType::Peaking, 40, 2, 1, 1});
    eq->RefreshCurve();
    EXPECT_TRUE(eq->SlotThumb(-6)->isVisible());
    eq->ShowQHandles(false);
    EXPECT_FALSE(eq->SlotThumb(-6)->isVisible());
}

TEST_F(Editor, DraggingAThumbReportsWithoutMoving) {
    Load();
    SMoveThumb* t = eq->BandThumb(5);
    SMoveThumb* h = eq->SlotThumb(-1);
    SetWidgetAttribute(h, "canYMove", "0");
    std::vector<ThumbMove> moves;
    for (SMoveThumb* thumb : {t, h})
        QObject::connect(thumb, &SMoveThumb::thumbMoving, [&](const ThumbMove& m) { moves.push_back(m); });
    const QPoint before = t->pos();
    Press(t, {5, 8});
    MoveTo(t, {25, -12});
    Release(t, {25, -12});
    MoveTo(t, {40, 40});  // not dragging any more
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].id, 905);
    EXPECT_EQ(moves[0].newLeft, before.x() + 20);
    EXPECT_EQ(moves[0].newTop, before.y() - 20);
    EXPECT_EQ(moves[0].oldLeft, before.x());
    EXPECT_EQ(moves[0].oldTop, before.y());
    EXPECT_EQ(t->pos(), before) << "the owner moves it, not the drag";
    Press(h, {3, 3});
    MoveTo(h, {30, 30});
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].newTop, h->y()) << "canYMove 0 keeps the top";
    EXPECT_EQ(moves[1].newLeft, h->x() + 27);
}

TEST_F(Editor, PaintsTheZeroLineAndTheHighlight) {
    Load();
    QImage flat = Picture();
    const int y0 = 13 + 184;  // 24 dB below the top at 368 / 48 pixels per dB
    const int x = 667;        // 3500 Hz, between grid lines
    EXPECT_EQ(flat.pixelColor(x, y0), QColor(0xc0, 0x27, 0xc0)) << "a flat curve lies on the 0 dB line";
    EXPECT_EQ(flat.pixelColor(x, y0 + 30), QColor(0, 0, 0));

    Model().SetBand(20, {EqFilterRole::Band, EqFilterType::Peaking, 2000, 12, 2, 2});
    eq->RefreshCurve();
    const QImage lit = Picture();
    const int xb = 601;                                // 2000 Hz
    const QColor under = lit.pixelColor(xb, y0 - 20);  // between the line and the band's peak
    EXPECT_GT(under.red(), 20) << "the current band is filled with colorCurrLine";
    EXPECT_EQ(under.red(), under.green());
    EXPECT_EQ(lit.pixelColor(x - 200, y0 - 20), QColor(0, 0, 0)) << "not elsewhere";

    // A crossover's highlight reaches from 0 dB down to the grid bottom.
    Model().SetHighPass(80, 0, 1, EqFilterType::Butterworth);  // slope "OFF", in range: flat but current
    eq->RefreshCurve();
    const QImage band = Picture();
    EXPECT_GT(band.pixelColor(721, 381 - 40).red(), 20);  // 5500 Hz, above the grid's bottom
}

TEST_F(Editor, NothingRepaintsWhenNothingChanges) {
    Load();
    QApplication::processEvents();
    int paints = 0;
    struct Counter : QObject {
        int& n;
        explicit Counter(int& c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++n;
            return false;
        }
    } counter(paints);
    curve->installEventFilter(&counter);
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
    EXPECT_EQ(paints, 0);
    eq->RefreshCurve();
    QTest::qWait(20);
    EXPECT_GE(paints, 1);
}

TEST(Registry, EveryTagMakesItsClass) {
    for (const QString& tag : KnownTags()) {
        std::unique_ptr<QWidget> w(CreateWidget(tag, nullptr));
        ASSERT_TRUE(w) << tag.toStdString();
        EXPECT_TRUE(QString(w->metaObject()->className()).endsWith(ClassForTag(tag))) << tag.toStdString();
        EXPECT_TRUE(SetWidgetAttribute(w.get(), "pos", "3,4")) << tag.toStdString();
        EXPECT_EQ(w->pos(), QPoint(3, 4));
    }
    EXPECT_EQ(CreateWidget("nosuchwidget", nullptr), nullptr);
}

TEST(Attributes, TextValuesAsLayoutsWriteThem) {
    EXPECT_EQ(ParseInt("0x1F"), 31);
    EXPECT_EQ(ParseInt("-12"), -12);
    EXPECT_EQ(ParseInt("12px"), std::nullopt);
    EXPECT_EQ(ParseColor("#c027c0ff"), QColor(0xc0, 0x27, 0xc0, 0xff));
    EXPECT_EQ(ParseColor("#80808050"), QColor(0x80, 0x80, 0x80, 0x50));
    EXPECT_EQ(ParseColor("#zzz"), std::nullopt);
    EXPECT_EQ(ParseFloat("0.25"), 0.25);
    const auto f = ParseFont("size:11,bold:0,face:Arial", QFont());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pixelSize(), 11);
    EXPECT_EQ(f->family(), "Arial");
    EXPECT_EQ(ParsePos("1,2,11,22", {}), QRect(QPoint(1, 2), QPoint(10, 21)));
    SkEQ eq;
    EXPECT_FALSE(eq.SetAttribute("dbMax", "lots"));
    eq.setProperty("nKedu", "4");  // as a .ui file sets it
    EXPECT_EQ(eq.Axis().nKedu, 4);
}

}  // namespace
}  // namespace caraudio::widgets::test
