// What the main window looks like: on a small screen, in GEQ mode, with a
// dealer's tuning file and pictures.
#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <utility>

#include "AppRig.h"
#include "SEdit2.h"
#include "SMoveThumb.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "Skin.h"
#include "TextContrast.h"
#include "ValueScales.h"

// Readable failure messages for places on the screen.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.width() << "x" << r.height() << " at " << r.x() << "," << r.y();
}

namespace caraudio::app::test {
namespace {

using namespace widgets;

QScreen* ScreenNamed(const QString& name) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name) return s;
    return nullptr;
}

class MainWindowLook : public AppRig {
protected:
    QScrollArea* Area() { return Main().findChild<QScrollArea*>(); }
    // A click where the user points, at a place on the screen: what is there
    // under the window's own hit testing gets it.
    void ClickAt(QPoint global) {
        QTest::mouseClick(Main().windowHandle(), Qt::LeftButton, {}, Main().mapFromGlobal(global));
    }
    // Each control of the band table's bottom row: the band sliders and the
    // band-off boxes.
    std::vector<QWidget*> BottomRow() {
        std::vector<QWidget*> row;
        for (int b = 0; b < 31; ++b) {
            row.push_back(Ctl<SkSlider>(2100 + b));
            row.push_back(Ctl<SkCheckButton>(1000 + b));
        }
        return row;
    }
    // Shows the window on the laptop's screen; null where there is none.
    QScreen* ShowOnLaptop() {
        QScreen* laptop = ScreenNamed("laptop");
        if (!laptop) return nullptr;
        Start({}, false);
        Main().setScreen(laptop);
        Main().move(laptop->geometry().topLeft());
        Main().show();
        Settle();
        return laptop;
    }
    // The user scrolls to the far end, clicking the scroll bars' arrows.
    void ScrollToTheEnd() {
        for (QScrollBar* bar : {Area()->horizontalScrollBar(), Area()->verticalScrollBar()}) {
            if (!bar->isVisible()) continue;
            const QPoint end = bar->orientation() == Qt::Horizontal
                                   ? QPoint(bar->width() - 4, bar->height() / 2)
                                   : QPoint(bar->width() / 2, bar->height() - 4);
            for (int i = 0; i < 200 && bar->value() < bar->maximum(); ++i) ClickAt(bar->mapToGlobal(end));
            EXPECT_EQ(bar->value(), bar->maximum());
        }
    }
    QRect GlobalRect(QWidget* w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }
    // On the screen, in the window's visible part, and the first thing hit there.
    void ExpectReachable(QWidget* w, const QRect& free) {
        const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
        const QRect shown(Area()->viewport()->mapToGlobal(QPoint(0, 0)), Area()->viewport()->size());
        EXPECT_TRUE(free.contains(global)) << IdOf(w);
        EXPECT_TRUE(shown.contains(global)) << IdOf(w);
        EXPECT_EQ(Main().childAt(Main().mapFromGlobal(global.center())), w) << IdOf(w);
    }
};

TEST_F(MainWindowLook, OnA1280x720ScreenTheBottomRowCanBeReachedAndClicked) {
    QScreen* laptop = ShowOnLaptop();
    if (!laptop) GTEST_SKIP() << "the platform has no 1280 x 720 screen";
    const QRect free = laptop->availableGeometry();
    ASSERT_EQ(free.size(), QSize(1280, 720));
    EXPECT_TRUE(free.contains(Main().frameGeometry())) << "the whole window is on the screen";
    ASSERT_NE(Area(), nullptr);
    ScrollToTheEnd();
    for (QWidget* w : BottomRow()) ExpectReachable(w, free);
    // And clicks there do what they say: band 31's slider raises its gain,
    // its box turns it off.
    const int gain = param::BandGain(Db().SelectedChannel(), 30);
    ASSERT_EQ(Param(gain), 0);
    auto* slider = Ctl<SkSlider>(2130);
    ClickAt(slider->mapToGlobal(QPoint(slider->width() / 2, slider->height() / 4)));
    EXPECT_GT(SignedParam(gain), 0);
    auto* off = Ctl<SkCheckButton>(1030);
    ASSERT_FALSE(off->isChecked()) << "a band with gain is on";
    ClickAt(off->mapToGlobal(off->rect().center()));
    EXPECT_TRUE(off->isChecked());
    EXPECT_EQ(Param(gain), 0);
    // The keyboard reaches hidden controls too: the focused field is scrolled into view.
    QWidget* hpFreq = Ctl<SEdit2>(4002);
    hpFreq->setFocus();
    Settle();
    ExpectReachable(hpFreq, free);
}

TEST_F(MainWindowLook, OnA1280x720ScreenTheCaptionStaysWholeAndItsButtonsWork) {
    QScreen* laptop = ShowOnLaptop();
    if (!laptop) GTEST_SKIP() << "the platform has no 1280 x 720 screen";
    const QRect free = laptop->availableGeometry();
    ASSERT_NE(Area(), nullptr);
    auto* caption = Named<QWidget>(&Main(), "caption");
    auto* minimise = Named<QPushButton>(&Main(), "btn_min");
    auto* close = Named<QPushButton>(&Main(), "btn_close");
    ASSERT_TRUE(caption && minimise && close);
    // Where the user looks for them, before and after scrolling to the far end:
    // the caption across the window's top, the buttons at its right edge.
    for (bool scrolled : {false, true}) {
        if (scrolled) ScrollToTheEnd();
        const QRect window = Main().frameGeometry();
        EXPECT_EQ(GlobalRect(caption), QRect(window.left(), window.top(), window.width(), 35)) << scrolled;
        EXPECT_EQ(GlobalRect(close), QRect(window.right() - 39, window.top() + 5, 34, 25)) << scrolled;
        EXPECT_EQ(GlobalRect(minimise), QRect(window.right() - 77, window.top() + 5, 34, 25)) << scrolled;
        for (QWidget* button : {minimise, close}) {
            EXPECT_TRUE(free.contains(GlobalRect(button))) << scrolled;
            EXPECT_EQ(Main().childAt(Main().mapFromGlobal(GlobalRect(button).center())), button) << scrolled;
        }
        // The caption's empty middle is there to drag the window by.
        const QPoint middle(window.left() + 900, window.top() + 17);
        EXPECT_EQ(Main().childAt(Main().mapFromGlobal(middle)), caption) << scrolled;
    }
    ClickAt(GlobalRect(minimise).center());
    EXPECT_TRUE(Main().isMinimized());
    Main().showNormal();
    Settle();
    // Close ends the program, as it always did.
    bool closed = false;
    QObject::connect(&Main(), &CMainDlg::closed, [&] { closed = true; });
    ClickAt(GlobalRect(close).center());
    EXPECT_TRUE(closed);
    ExpectTheProgramEnded();
}

TEST_F(MainWindowLook, OnADesktopScreenTheWindowIsAsItWas) {
    Start();
    Settle();
    const QRect free = Main().screen()->availableGeometry();
    ASSERT_GE(free.width(), 1340);
    ASSERT_GE(free.height(), 707);
    EXPECT_EQ(Main().size(), QSize(1340, 707));
    EXPECT_TRUE(free.contains(Main().frameGeometry()));
    ASSERT_NE(Area(), nullptr);
    EXPECT_FALSE(Area()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(Area()->verticalScrollBar()->isVisible());
    // The layout and its caption where the layout puts them.
    auto* layout = Main().findChild<QWidget*>("XML_MAINWND");
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->mapTo(&Main(), QPoint(0, 0)), QPoint(0, 0));
    EXPECT_EQ(layout->size(), QSize(1340, 707));
    for (auto [name, place] : {std::pair{"caption", QRect(0, 0, 1340, 35)},
                               {"btn_min", QRect(1262, 5, 34, 25)},
                               {"btn_close", QRect(1300, 5, 34, 25)}}) {
        auto* w = Named<QWidget>(&Main(), name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(QRect(w->mapTo(&Main(), QPoint(0, 0)), w->size()), place) << name;
    }
    for (QWidget* w : BottomRow()) ExpectReachable(w, free);
}

TEST_F(MainWindowLook, GeqModesDisabledFieldsCanBeRead) {
    Start();
    Settle();
    ASSERT_FALSE(Main().PeqMode());
    for (int id : {5000, 5015, 5030, 5100, 5115, 5130}) {
        SEdit2* field = Ctl<SEdit2>(id);
        ASSERT_FALSE(field->isEnabled()) << id;
        ASSERT_FALSE(field->text().isEmpty()) << id;
        EXPECT_GE(RenderedTextContrast(field), 4.5) << id << " shows " << field->text().toStdString();
    }
}

TEST_F(MainWindowLook, CrossoverThumbsStayDraggableOnANarrowGainScale) {
    // Gains of +-12 dB: the curve's scale ends above -15 dB.
    Start("[param]\nmaxvol=12\nminvol=-12\n");
    Settle();
    SkEQ* eq = Main().Editor();
    ASSERT_EQ(eq->Axis().dbMin, -12);
    SMoveThumb* h = eq->SlotThumb(SkEQ::kHighPass);
    ASSERT_TRUE(h && h->isVisible());
    EXPECT_TRUE(eq->rect().contains(h->geometry())) << "on the editor";
    const QPoint at = h->mapToGlobal(h->rect().center());
    ASSERT_EQ(Main().childAt(Main().mapFromGlobal(at)), h) << "nothing covers it";
    // Dragged through the window, as the mouse does: to the right, off no longer.
    ASSERT_EQ(Param(param::HighPassFreq(Db().SelectedChannel())), 0);
    QWindow* window = Main().windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, Main().mapFromGlobal(at));
    QTest::mouseMove(window, Main().mapFromGlobal(at + QPoint(150, 0)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, Main().mapFromGlobal(at + QPoint(150, 0)));
    EXPECT_GE(Param(param::HighPassFreq(Db().SelectedChannel())), 20);
}

TEST_F(MainWindowLook, ADealersWatermarkShowsFaintlyBehindTheCurve) {
    QImage mark(300, 60, QImage::Format_ARGB32);
    mark.fill(QColor(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(mark.save(&buffer, "PNG"));
    WriteProgramFile("skin/watermark.png", png);
    // The picture replaces the program's for the whole run: ours comes back after.
    const Skin* ours = FindSkin("skin_watermark_png");
    ASSERT_NE(ours, nullptr);
    const Skin kept = *ours;
    Start();
    Settle();
    SkEQ* eq = Main().Editor();
    const QImage picture = Main().grab(QRect(eq->mapTo(&Main(), QPoint(0, 0)), eq->size())).toImage();
    RegisterSkin("skin_watermark_png", kept);
    // Centred in the plot's lower half: the editor is 885 x 236, its plot
    // x 36..879, y 13..220 (8 divisions of 26 pixels), the lower half from y 117.
    const QColor c = picture.pixelColor(36 + 844 / 2 + 13, 117 + 104 / 2 - 12);
    EXPECT_GE(c.red(), 40) << c.name().toStdString();
    EXPECT_LE(c.red(), 70) << "faint: " << c.name().toStdString();
    EXPECT_EQ(c.green(), 0);
    EXPECT_EQ(c.blue(), 0);
}

}  // namespace
}  // namespace caraudio::app::test
