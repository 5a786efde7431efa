#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <cmath>
#include <functional>

#include "EditorRig.h"
#include "SkEQ.h"

namespace caraudio::widgets::test {
namespace {

// The colours each role is drawn in.
const QColor kOrange(255, 150, 40), kCyan(70, 215, 255), kGrey(205, 205, 205);

// True where a pixel is the colour drawn at some coverage over black: each
// channel the same fraction of the colour's (antialiased edges included).
bool Shows(QColor pixel, QColor colour) {
    const double a = static_cast<double>(std::max({pixel.red(), pixel.green(), pixel.blue()})) /
                     std::max({colour.red(), colour.green(), colour.blue()});
    if (a < 0.5 || a > 1.02) return false;
    return std::abs(pixel.red() - a * colour.red()) <= 12 &&
           std::abs(pixel.green() - a * colour.green()) <= 12 &&
           std::abs(pixel.blue() - a * colour.blue()) <= 12;
}

int CountInRow(const QImage& picture, int y, int x0, int x1, QColor colour) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += Shows(picture.pixelColor(x, y), colour);
    return n;
}

int CountInRect(const QImage& picture, QRect r, QColor colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) n += CountInRow(picture, y, r.left(), r.right() + 1, colour);
    return n;
}

// A curve from a level per grid point.
EqOverlayCurve Curve(EqOverlayRole role, const char* name, const std::function<double(int)>& db) {
    EqOverlayCurve c{role, name, {}, true};
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) c.values[static_cast<size_t>(i)] = db(i);
    return c;
}
EqOverlayCurve Flat(EqOverlayRole role, double db) {
    return Curve(role, "flat", [db](int) { return db; });
}

const double kNaN = std::nan("");

// The plot runs from x 36 to 895 and from y 13 (+24 dB) to 381 (-24 dB), at
// 368 / 48 pixels per dB; grid point i lies at x 36 + i x 859 / 1024.
constexpr int kPlotLeft = 36, kPlotRight = 895, kPlotTop = 13, kPlotBottom = 381;
// Right of the legend, left of the low-pass thumb.
constexpr int kRowEnd = 760;

TEST_F(Editor, WithoutShownOverlaysThePictureIsUnchanged) {
    Load();
    const QImage plain = Picture();
    EqOverlayCurve hidden = Flat(EqOverlayRole::Measured, 9);
    hidden.shown = false;
    eq->SetOverlayCurves({hidden});
    EXPECT_EQ(Picture(), plain) << "a hidden curve draws nothing, nor a legend";
    eq->SetOverlayCurves({Flat(EqOverlayRole::Measured, 9), Flat(EqOverlayRole::Target, -9)});
    EXPECT_NE(Picture(), plain);
    eq->ClearOverlayCurves();
    EXPECT_EQ(Picture(), plain);
    EXPECT_TRUE(eq->OverlayCurves().empty());
}

TEST_F(Editor, AConstantLevelLiesOnItsRowInItsRolesColour) {
    Load();
    const struct {
        EqOverlayRole role;
        QColor colour;
        double db;
        int row;                 // 197 (0 dB) - db x 368 / 48
        int minShare, maxShare;  // percent of the row's pixels in the colour
    } cases[] = {
        {EqOverlayRole::Measured, kOrange, 9, 128, 90, 100},
        {EqOverlayRole::Predicted, kCyan, -9, 266, 90, 100},
        {EqOverlayRole::Target, kGrey, 15, 82, 40, 70},  // dashed
    };
    for (const auto& c : cases) {
        eq->SetOverlayCurves({Flat(c.role, c.db)});
        EXPECT_EQ(eq->GainToY(c.db), c.row);
        const QImage picture = Picture();
        const int share = 100 * CountInRow(picture, c.row, 40, kRowEnd, c.colour) / (kRowEnd - 40);
        EXPECT_GE(share, c.minShare) << c.db;
        EXPECT_LE(share, c.maxShare) << c.db;
        for (int off : {-4, 4}) EXPECT_EQ(CountInRow(picture, c.row + off, 40, kRowEnd, c.colour), 0) << c.db;
    }
}

TEST_F(Editor, OverlaysLieUnderTheChannelsCurveAndThumbs) {
    Load();
    eq->SetOverlayCurves({Flat(EqOverlayRole::Predicted, 0)});
    const QImage picture = Picture();
    EXPECT_EQ(picture.pixelColor(667, 197), QColor(0xc0, 0x27, 0xc0)) << "the flat channel curve on top";
    const QPoint thumb = eq->BandThumb(10)->geometry().center();
    EXPECT_FALSE(Shows(picture.pixelColor(thumb), kCyan)) << "a thumb's face over the curve";
}

TEST_F(Editor, MissingDataBreaksTheLine) {
    Load();
    // Grid point 512 is at x 465.5.
    const struct {
        int firstWithData, lastWithData;
        int drawnFrom, drawnTo, emptyFrom, emptyTo;
    } cases[] = {
        {512, 1023, 470, kRowEnd, 40, 462},
        {0, 511, 40, 462, 470, kRowEnd},
        {300, 700, 300, 600, 40, 280},  // a middle part: x 287..623
    };
    for (const auto& c : cases) {
        eq->SetOverlayCurves({Curve(EqOverlayRole::Measured, "part", [&](int i) {
            return i >= c.firstWithData && i <= c.lastWithData ? 9.0 : kNaN;
        })});
        const QImage picture = Picture();
        // All but where the upright grid lines cross it.
        EXPECT_GT(CountInRow(picture, 128, c.drawnFrom, c.drawnTo, kOrange), 0.9 * (c.drawnTo - c.drawnFrom))
            << c.firstWithData;
        EXPECT_EQ(CountInRect(picture, QRect(QPoint(c.emptyFrom, 40), QPoint(c.emptyTo, 380)), kOrange), 0)
            << c.firstWithData;
    }
}

TEST_F(Editor, LevelsBeyondTheScaleAreClippedToThePlot) {
    Load();
    // +9 dB, then far above the top, then far below the bottom: the jumps
    // draw near-upright lines to the plot's edges and no further.
    const double huge[] = {1e6, 1e300, HUGE_VAL};
    for (double big : huge) {
        eq->SetOverlayCurves({Curve(EqOverlayRole::Measured, "wild", [&](int i) {
            return i < 340 ? 9.0 : i < 680 ? big : -big;
        })});
        const QImage picture = Picture();
        EXPECT_EQ(CountInRect(picture, QRect(0, 0, 900, kPlotTop), kOrange), 0) << big;
        EXPECT_EQ(CountInRect(picture, QRect(0, kPlotBottom + 1, 900, 400 - kPlotBottom - 1), kOrange), 0)
            << big;
        EXPECT_EQ(CountInRect(picture, QRect(kPlotRight, 0, 5, 400), kOrange), 0) << big;
        // Point 340 is at x 321: the rise reaches the top row, the fall (point
        // 680, x 606) the bottom row.
        EXPECT_GT(CountInRow(picture, kPlotTop + 1, 318, 325, kOrange), 0) << big;
        EXPECT_GT(CountInRow(picture, kPlotBottom - 1, 603, 610, kOrange), 0) << big;
    }
}

TEST_F(Editor, TheLegendNamesTheShownCurvesInOrder) {
    Load();
    // The legend's corner of the plot, kept clear of the curves below.
    const QRect corner(QPoint(700, kPlotTop + 1), QPoint(kPlotRight - 1, 80));
    auto firstRowOf = [&](const QImage& picture, QColor colour) {
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            if (CountInRow(picture, y, corner.left(), corner.right() + 1, colour) > 10) return y;
        return -1;
    };
    EqOverlayCurve measured = Flat(EqOverlayRole::Measured, -9);
    EqOverlayCurve predicted = Flat(EqOverlayRole::Predicted, -6);
    EqOverlayCurve target = Flat(EqOverlayRole::Target, -3);
    const struct {
        bool measured, predicted, target;
    } cases[] = {{true, true, true}, {true, false, true}, {false, true, false}, {true, false, false}};
    for (const auto& c : cases) {
        measured.shown = c.measured, predicted.shown = c.predicted, target.shown = c.target;
        eq->SetOverlayCurves({measured, predicted, target});
        const QImage picture = Picture();
        const int rows[] = {firstRowOf(picture, kOrange), firstRowOf(picture, kCyan),
                            firstRowOf(picture, kGrey)};
        const bool shown[] = {c.measured, c.predicted, c.target};
        int previous = -1;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(rows[k] >= 0, shown[k]) << k;
            if (!shown[k]) continue;
            EXPECT_GT(rows[k], previous) << "listed in the order given";
            previous = rows[k];
        }
        // A hidden curve draws nowhere.
        EXPECT_EQ(CountInRow(picture, 266, 40, kRowEnd, kOrange) > 0, c.measured);
        EXPECT_EQ(CountInRow(picture, 243, 40, kRowEnd, kCyan) > 0, c.predicted);
    }
}

TEST_F(Editor, OverlaysFollowTheEditorsSizeAndScale) {
    Load();
    eq->SetOverlayCurves({Flat(EqOverlayRole::Predicted, 9)});
    (void)Picture();
    const struct {
        int height;
        const char* dbMax;
        int row;
    } cases[] = {
        // 34 pixels a division, 272 / 48 per dB: 0 dB at 13 + 136, +9 dB 51 above.
        {300, nullptr, 98},
        // The same size, 272 / 36 pixels per dB: 0 dB at 13 + floor(90.7), as
        // the channel's curve draws it; +9 dB 68 above.
        {300, "12", 35},
    };
    for (const auto& c : cases) {
        eq->resize(900, c.height);
        if (c.dbMax) {
            ASSERT_TRUE(eq->SetAttribute("dbMax", c.dbMax));
        }
        const QImage picture = Picture();
        EXPECT_GT(CountInRow(picture, c.row, 40, 600, kCyan), 500) << c.height;
        EXPECT_EQ(CountInRow(picture, c.row + 4, 40, 600, kCyan), 0) << c.height;
    }
}

TEST_F(Editor, OnlyAChangedOverlayRepaints) {
    Load();
    const EqOverlayCurve measured = Flat(EqOverlayRole::Measured, 9);
    eq->SetOverlayCurves({measured});
    QApplication::processEvents();
    auto* layer = eq->findChild<SkEqOverlay*>();
    ASSERT_NE(layer, nullptr);
    int paints = 0;
    struct Counter : QObject {
        int& n;
        explicit Counter(int& c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++n;
            return false;
        }
    } counter(paints);
    layer->installEventFilter(&counter);
    eq->SetOverlayCurves({measured});
    QTest::qWait(20);
    EXPECT_EQ(paints, 0);
    EqOverlayCurve withGap = measured;
    withGap.values[100] = kNaN;
    eq->SetOverlayCurves({withGap});
    QTest::qWait(20);
    EXPECT_GE(paints, 1);
    paints = 0;
    eq->SetOverlayCurves({withGap});  // NaN compares equal to NaN here
    QTest::qWait(20);
    EXPECT_EQ(paints, 0);
}

}  // namespace
}  // namespace caraudio::widgets::test
