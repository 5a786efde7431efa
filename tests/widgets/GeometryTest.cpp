#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "CarGeometry.h"
#include "EqMetrics.h"
#include "KnobMath.h"

namespace caraudio::widgets {
namespace {

EqAxis MainLayoutAxis() {
    return {36, 13, 5, 15, 24, -24, 8, 12, 17};
}

TEST(EqMetrics, MainLayoutScales) {
    const EqMetrics m = EqMetrics::Compute(MainLayoutAxis(), 0, 0, 900, 400);
    EXPECT_EQ(m.pxPerDiv, 46);  // (400 - 13 - 15) / 8
    EXPECT_EQ(m.gridHeight, 368);
    EXPECT_EQ(m.plotTop, 13);
    EXPECT_EQ(m.gridBottom, 381);
    EXPECT_EQ(m.plotLeft, 36);
    EXPECT_EQ(m.plotWidth, 859);
    EXPECT_DOUBLE_EQ(m.pxPerDb, 368.0 / 48);
    EXPECT_DOUBLE_EQ(m.pxPerPoint, 859.0 / 1024);
    EXPECT_NEAR(m.pxPerDecade, 859 / (std::log10(24000.0) - std::log10(17.0)), 1e-9);
    const struct {
        double hz;
        int x;
    } xs[] = {{17, 36}, {24000, 36 + 859}, {1000, 519}, {200, 328}};
    for (const auto& c : xs) EXPECT_EQ(m.FrequencyToX(c.hz), c.x) << c.hz;
    EXPECT_EQ(m.GainToY(24), 13);
    EXPECT_EQ(m.GainToY(0), 13 + 184);
    EXPECT_EQ(m.GainToY(-24), 381);
    EXPECT_EQ(m.GainToY(30), 13 + static_cast<int>(-6 * 368.0 / 48 + 0.5)) << "above the plot, not clamped";
    EXPECT_NEAR(m.XToFrequency(m.FrequencyToX(1000)), 1000, 5) << "half a pixel at most";
    EXPECT_NEAR(m.YToGain(m.GainToY(-7.5)), -7.5, 0.1);
    EXPECT_EQ(m.ZeroDbY(), 13 + 184);
}

TEST(EqMetrics, GridLinesAndTheirLabels) {
    const EqMetrics m = EqMetrics::Compute(MainLayoutAxis(), 0, 0, 900, 400);
    std::vector<int> labelled, ys;
    for (const auto& line : m.GridLines()) {
        ys.push_back(line.y);
        if (line.labelled) labelled.push_back(line.db);
    }
    EXPECT_EQ(labelled, (std::vector<int>{24, 12, 0, -12, -24}));
    EXPECT_EQ(ys.size(), 9u);
    EXPECT_EQ(ys.front(), 13);
    EXPECT_EQ(ys.back(), 381);
    EXPECT_EQ(m.GridX(17), 36) << "the first line is the plot's left edge";
    EXPECT_EQ(m.GridX(24000), 36 + 859);
    // Default axis: lines every 3 dB from 12 to -24, labels every 6.
    const EqMetrics d = EqMetrics::Compute(EqAxis{}, 0, 0, 600, 300);
    int labels = 0;
    for (const auto& line : d.GridLines()) labels += line.labelled;
    EXPECT_EQ(labels, 7);
    EqAxis noLabels;
    noLabels.dbKeduVal = 0;
    for (const auto& line : EqMetrics::Compute(noLabels, 0, 0, 600, 300).GridLines())
        EXPECT_FALSE(line.labelled);
}

TEST(EqMetrics, AStartOutsideTheGridsRangeNoLongerLinesUp) {
    // The axis starts at 5 Hz but the response grid at 10 Hz (its lowest):
    // the curve's first point is no longer at the axis' start frequency.
    EqAxis a = MainLayoutAxis();
    a.zeroXFreq = 5;
    const EqMetrics m = EqMetrics::Compute(a, 0, 0, 900, 400);
    EXPECT_EQ(m.FrequencyToX(5), m.plotLeft);
    EXPECT_GT(m.FrequencyToX(10), m.plotLeft) << "where the curve's first point belongs";
}

TEST(EqMetrics, RoundingTruncatesTowardZero) {
    const struct {
        double v;
        int r;
    } cases[] = {{2.4, 2}, {2.5, 3}, {-2.4, -1}, {-2.6, -2}, {-0.4, 0}};
    for (const auto& c : cases) EXPECT_EQ(Rnd(c.v), c.r) << c.v;
}

TEST(EqMetrics, UnusableAxesAndSizesStillGiveNumbers) {
    const struct {
        const char* what;
        EqAxis axis;
        int width, height;
    } cases[] = {
        {"no divisions, dbMax below dbMin, 0 Hz", {36, 18, 0, 16, -30, -24, 0, 6, 0}, 300, 200},
        {"starting at the top frequency", {36, 18, 0, 16, 12, -24, 12, 6, 24000}, 300, 200},
        {"starting above it", {36, 18, 0, 16, 12, -24, 12, 6, 30000}, 300, 200},
        {"shorter than its margins", MainLayoutAxis(), 900, 20},
        {"as high as its margins", MainLayoutAxis(), 900, 28},
        {"narrower than its margins", MainLayoutAxis(), 30, 400},
    };
    for (const auto& c : cases) {
        const EqMetrics m = EqMetrics::Compute(c.axis, 0, 0, c.width, c.height);
        EXPECT_GT(m.pxPerDiv, 0) << c.what;
        EXPECT_GT(m.plotWidth, 0) << c.what;
        for (double scale : {m.pxPerDb, m.pxPerDecade, m.pxPerPoint}) {
            EXPECT_TRUE(std::isfinite(scale)) << c.what;
            EXPECT_GT(scale, 0) << c.what;
        }
        // A dragged thumb's position turns into numbers, not infinities.
        for (int px : {-5, 0, 7, 40}) {
            EXPECT_TRUE(std::isfinite(m.XToFrequency(px))) << c.what << " x " << px;
            EXPECT_TRUE(std::isfinite(m.YToGain(px))) << c.what << " y " << px;
        }
        EXPECT_LE(std::abs(m.FrequencyToX(1000)), 100000) << c.what;
        EXPECT_LE(std::abs(m.GridX(20000)), 100000) << c.what;
    }
}

TEST(CarGeometry, DefaultsPutTheOrigin240PixelsIn) {
    const CarGeometry g = CarGeometry::Layout({}, {0, 0, 500, 600});
    EXPECT_EQ(g.originPx.x, 240);
    EXPECT_EQ(g.originPx.y, 600 - 20 - 200);
    EXPECT_EQ(g.carArea, (IntBox{240, 380 - 268, 240 + 182, 380}));
    EXPECT_EQ(g.carPic, (IntBox{240, 380 - 268 - 91, 240 + 182, 380 + 91}));
    EXPECT_EQ(g.ToPx({0, 0}), (IntPoint{240, 380}));
    EXPECT_EQ(g.ToPx({1000, 1000}), (IntPoint{340, 280})) << "one scale step is 100 pixels, y upward";
    EXPECT_EQ(g.ToMm({340, 280}), (IntPoint{1000, 1000}));
    EXPECT_EQ(g.ClampToCar({0, 1000}), (IntPoint{240, 380}));
    EXPECT_EQ(g.ClampToCar({1000, -5}), (IntPoint{422, 112}));
}

TEST(CarGeometry, CentredStartsPutTheWholeCarOnTheMap) {
    // The delay dialog's map: 620 x 540, its plot 555 x 480 pixels. The car
    // picture reaches 20 pixels beyond the sides and half the width (91
    // pixels) beyond the axles.
    CarAttributes dialog;
    dialog.ldist = 45, dialog.tdist = 20, dialog.rdist = 20, dialog.bdist = 40, dialog.mmPerScale = 500;
    const struct {
        const char* what;
        int zhouJu, mmPerScale;
        IntPoint starts;
    } cases[] = {
        // Centred would be (-1860, -1060): the nearest half metres still hold it.
        {"the default car", 2680, 500, {-2000, -1000}},
        {"whole metres", 2680, 1000, {-2000, -1000}},
        // 350 + 182 pixels in 480: centred at -650 mm, as no half metre holds it.
        {"a car longer than the map", 3500, 500, {-2000, -650}},
    };
    for (const auto& c : cases) {
        CarAttributes a = dialog;
        a.zhouJu = c.zhouJu;
        a.mmPerScale = c.mmPerScale;
        EXPECT_EQ(CentredStarts(a, 620, 540), c.starts) << c.what;
    }
}

TEST(CarGeometry, DelaysFromTheFarthestSpeaker) {
    const CarGeometry g = CarGeometry::Layout({}, {0, 0, 500, 600});
    const IntPoint speakers[] = {{0, 2680}, {1825, 2680}, {0, 0}, {1825, 0}, {530, 1580}, {1060, 1580}};
    const CarDelays d = ComputeDelays(g, {530, 1580}, speakers, 6);
    int farthest = 0;
    for (int i = 1; i < 4; ++i)
        if (d.delayMm[static_cast<size_t>(i)] < d.delayMm[static_cast<size_t>(farthest)]) farthest = i;
    EXPECT_EQ(farthest, 3) << "the right rear corner, from a listener at the left front";
    EXPECT_EQ(d.delayMm[static_cast<size_t>(farthest)], 0) << "the farthest speaker waits for no one";
    // Pixel distances to the listener at (293, 222): the farthest is
    // hypot(129, 158) = 203.973 pixels; each delay is what a speaker lacks, x 10 mm.
    const double expected[] = {818.706214, 344.413295, 373.207047, 0, 2039.730374, 1509.730374};
    for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(d.delayMm[i], expected[i], 1e-5) << "speaker " << i;
    EXPECT_NEAR(d.dMax, 203.973037, 1e-5);
    EXPECT_EQ(d.virtualPx[4], d.speakerPx[4]) << "a speaker on the listener";
    // Two speakers at the same distance get the same delay.
    const IntPoint pair[] = {{530 - 700, 1580}, {530 + 700, 1580}, {530, 1580 + 1000}};
    const CarDelays e = ComputeDelays(g, {530, 1580}, pair, 3);
    EXPECT_EQ(e.delayMm[0], e.delayMm[1]);
    EXPECT_NEAR(e.delayMm[0], 300, 1e-9);
    EXPECT_EQ(e.circle.right - e.circle.left, 200);
    EXPECT_NEAR(e.virtualPx[0].x, e.listenerPx.x - 100, 1);
}

TEST(KnobMath, CompactWindowKnob) {
    KnobMath k{0, 60, 90, 55, 119, 108};
    EXPECT_EQ(k.StartAngle(), 135);
    EXPECT_DOUBLE_EQ(k.Scale(), 60.0 / 270);
    EXPECT_DOUBLE_EQ(k.AngleFor(30), 135);
    KnobMath::Dot dot;
    ASSERT_TRUE(k.DotFor(0, dot));
    EXPECT_EQ(dot.x, static_cast<int>(119 - std::cos(45 * 3.14 / 180) * 55));
    EXPECT_EQ(dot.y, static_cast<int>(108 + std::sin(45 * 3.14 / 180) * 55));
    ASSERT_TRUE(k.DotFor(135, dot));  // straight up; cos(1.57) is not quite 0
    EXPECT_EQ(dot.x, 118);
    EXPECT_EQ(dot.y, 108 - 55);
    EXPECT_FALSE(k.DotFor(271, dot)) << "past the end the dot stays";
    const KnobMath::Dot start = k.StartDot(), end = k.EndDot();
    EXPECT_EQ(start.y, end.y);
    EXPECT_EQ(start.x + end.x, 2 * 119 - 1) << "mirrored about the centre (each truncated)";
}

TEST(KnobMath, PointingInEachQuarter) {
    KnobMath k{0, 60, 90, 55, 100, 100};
    const struct {
        int x, y;
        double angle;
        int value;
        bool dotMoves;
    } cases[] = {
        {40, 100, 45, 10, true},     // straight left
        {160, 100, 225, 50, true},   // straight right
        {100, 40, 135, 30, true},    // straight up
        {100, 160, 315, 60, false},  // straight down: into the gap, clamped
        {50, 150, 0, 0, true},       // lower left, the start of the dial
        {150, 150, 270, 60, true},   // lower right, the end of the dial
        {50, 50, 89.93, 19, true},   // upper left: 3.14 for pi leaves it just short of 20
        {80, 150, -23.14, 0, true},  // lower left, inside the gap: clamped to min
    };
    for (const auto& c : cases) {
        const KnobMath::Pointing p = k.Point(c.x, c.y);
        EXPECT_NEAR(p.angle, c.angle, 0.5) << c.x << "," << c.y;
        EXPECT_EQ(p.value, c.value) << c.x << "," << c.y;
        EXPECT_EQ(p.dotMoves, c.dotMoves) << c.x << "," << c.y;
    }
    KnobMath offset{10, 70, 90, 55, 100, 100};
    EXPECT_DOUBLE_EQ(offset.AngleFor(20), 20.0 * 270 / 60) << "min not 0: value x sweep / (max - min)";
}

TEST(KnobMath, AGapOfACircleOrMoreLeavesADegreeOfDial) {
    const struct {
        int includedAngle;
        int gap;
    } cases[] = {{360, 359}, {400, 359}, {720, 359}, {-30, 0}, {0, 0}, {90, 90}};
    for (const auto& c : cases) {
        const KnobMath k{0, 60, c.includedAngle, 55, 100, 100};
        EXPECT_DOUBLE_EQ(k.Sweep(), 360 - c.gap) << c.includedAngle;
        EXPECT_DOUBLE_EQ(k.Scale(), 60.0 / (360 - c.gap)) << c.includedAngle;
        EXPECT_EQ(k.StartAngle(), 90 + c.gap / 2) << c.includedAngle;
        EXPECT_DOUBLE_EQ(k.AngleFor(60), 360 - c.gap) << c.includedAngle;
        for (auto [x, y] : {std::pair{40, 100}, {100, 40}, {160, 150}, {60, 130}}) {
            const KnobMath::Pointing p = k.Point(x, y);
            EXPECT_TRUE(std::isfinite(p.angle)) << c.includedAngle;
            EXPECT_GE(p.value, 0) << c.includedAngle;
            EXPECT_LE(p.value, 60) << c.includedAngle;
        }
    }
}

}  // namespace
}  // namespace caraudio::widgets
