#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "SWindow.h"
#include "SkCar.h"
#include "WidgetInput.h"
#include "WidgetRegistry.h"

namespace caraudio::widgets::test {
namespace {

class Car : public ::testing::Test {
protected:
    void SetUp() override {
        car = std::make_unique<SkCar>();
        car->resize(500, 620);
        for (auto [n, v] : {std::pair{"ldist", "45"}, {"bdist", "40"}, {"mmPerScale", "1000"}})
            car->SetAttribute(n, v);
        car->setAutoFillBackground(true);
        QPalette p = car->palette();
        p.setColor(QPalette::Window, Qt::black);
        car->setPalette(p);
        grid = CreateWidget("skcargrid", car.get());
        curve = CreateWidget("skcarcurve", car.get());
        SetWidgetAttribute(curve, "colorCar", "#00ff00ff");
        SetWidgetAttribute(curve, "lineWidth", "2");
        posTip = static_cast<SWindow*>(CreateWidget("text", car.get()));
        posTip->setObjectName("car_pos_tip");
        for (int i = 0; i <= 6; ++i) {
            QWidget* t = CreateWidget("skcarthumb", car.get());
            SetWidgetAttribute(t, "data", QString::number(i));
            t->resize(50, 50);
            if (i > 0) {
                auto* tip = CreateWidget("text", car.get());
                tip->setObjectName(QString("ch%1_tip").arg(i));
            }
        }
        car->show();
        const int W = 1825, L = 2680;
        car->SetPositions({IntPoint{0, L}, {W, L}, {0, 0}, {W, 0}, {W / 3, 0}, {2 * W / 3, 0}}, 530, 1580);
    }

    std::unique_ptr<SkCar> car;
    QWidget* grid = nullptr;
    QWidget* curve = nullptr;
    SWindow* posTip = nullptr;
};

QPoint CentreOf(const QWidget* w) {
    return {w->x() + w->width() / 2, w->y() + w->height() / 2};
}

TEST_F(Car, DefaultPlacementAndItsDelays) {
    EXPECT_EQ(car->Count(), 6);
    const CarGeometry& g = car->Geometry();
    EXPECT_EQ(CentreOf(car->Thumb(1)), QPoint(g.ToPx({0, 2680}).x, g.ToPx({0, 2680}).y));
    EXPECT_EQ(CentreOf(car->Thumb(0)), QPoint(g.ToPx({530, 1580}).x, g.ToPx({530, 1580}).y));
    // The right rear corner is farthest from a listener at the left front:
    // whole-pixel distances from the listener at (298, 222), e.g. CH1 at
    // hypot(53, 110), CH4 at hypot(129, 158) = 203.973 pixels; each speaker is
    // delayed by the path it lacks, 10 mm a pixel, 346 mm a millisecond.
    const struct {
        double mm;
        const char* tip;
    } delays[] = {{818.7062, "2.366ms"}, {344.4133, "0.995ms"}, {373.2070, "1.079ms"},
                  {0, "0.000ms"},        {458.1805, "1.324ms"}, {319.6141, "0.924ms"}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(car->DelayMm(i), delays[i].mm, 1e-3) << "CH" << i + 1;
        EXPECT_EQ(car->findChild<SWindow*>(QString("ch%1_tip").arg(i + 1))->Text(), delays[i].tip)
            << "CH" << i + 1;
    }
    EXPECT_TRUE(car->Thumb(4)->toolTip().contains("Delay:0.000ms"));
    EXPECT_FALSE(grid->isVisible()) << "layers show only while dragging";
    EXPECT_FALSE(curve->isVisible());
}

TEST_F(Car, DraggingStopsAtTheAxlesAndReportsEachStep) {
    int changes = 0;
    QObject::connect(car.get(), &SkCar::carDelayChanged, [&] { ++changes; });
    SkCarThumb* speaker = car->Thumb(5);
    Press(speaker, {25, 25});
    for (QPoint far : {QPoint(-400, 900), QPoint(900, -900)}) {
        MoveTo(speaker, far);
        const IntPoint mm = car->SpeakerMm(4);
        EXPECT_GE(mm.x, 0);
        EXPECT_LE(mm.x, 1825);
        EXPECT_GE(mm.y, 0);
        EXPECT_LE(mm.y, 2680);
        EXPECT_EQ((mm.x + 2000) % 10, 0) << "a whole number of pixels from xStart";
    }
    EXPECT_EQ(car->SpeakerMm(4), (IntPoint{1820, 2680})) << "the right front corner, at a whole pixel";
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_TRUE(curve->isVisible());
    EXPECT_TRUE(posTip->isVisible());
    EXPECT_EQ(posTip->Text(), "1.820m,2.680m");
    const QPoint c = CentreOf(speaker);
    EXPECT_EQ(c, QPoint(car->Geometry().carArea.right, car->Geometry().carArea.top));
    Release(speaker, c - speaker->pos());
    EXPECT_FALSE(posTip->isVisible());
    EXPECT_TRUE(curve->isVisible()) << "the layers stay a while";
    QTest::qWait(SkCar::kHideLayersMs + 200);
    EXPECT_FALSE(curve->isVisible());
    EXPECT_FALSE(grid->isVisible());
}

// Every delay tip can be read: none lies on another or on a thumb, and all
// are on the map.
void ExpectReadableTips(const SkCar& car, const char* what) {
    std::vector<QRect> tips, thumbs;
    for (int i = 1; i <= 6; ++i) {
        const auto* tip = car.findChild<SWindow*>(QString("ch%1_tip").arg(i));
        ASSERT_TRUE(tip->isVisible()) << what;
        tips.push_back(tip->geometry());
    }
    for (int data = 0; data <= 6; ++data) thumbs.push_back(car.Thumb(data)->geometry());
    for (size_t i = 0; i < tips.size(); ++i) {
        EXPECT_TRUE(car.rect().contains(tips[i])) << what << ": CH" << i + 1;
        for (size_t j = i + 1; j < tips.size(); ++j)
            EXPECT_FALSE(tips[i].intersects(tips[j])) << what << ": CH" << i + 1 << " and CH" << j + 1;
        for (size_t t = 0; t < thumbs.size(); ++t)
            EXPECT_FALSE(tips[i].intersects(thumbs[t])) << what << ": CH" << i + 1 << " on thumb " << t;
    }
}

TEST_F(Car, TipsOfSpeakersCloseTogetherStayReadable) {
    const int W = 1825, L = 2680;
    const struct {
        const char* what;
        std::array<IntPoint, 6> speakers;
        IntPoint listener;
    } cases[] = {
        {"the default placement",
         {IntPoint{0, L}, {W, L}, {0, 0}, {W, 0}, {W / 3, 0}, {2 * W / 3, 0}},
         {530, 1580}},
        {"four along the rear axle",
         {IntPoint{0, L}, {W, L}, {0, 0}, {600, 0}, {200, 0}, {400, 0}},
         {530, 1580}},
        {"two on one spot", {IntPoint{0, L}, {W, L}, {0, 0}, {W, 0}, {900, 0}, {900, 0}}, {530, 1580}},
        {"a cluster at the front left",
         {IntPoint{0, L}, {150, L}, {0, 2480}, {200, 2500}, {100, 2600}, {W, 0}},
         {300, 2300}},
        {"all six on one spot",
         {IntPoint{900, 1300}, {900, 1300}, {900, 1300}, {900, 1300}, {900, 1300}, {900, 1300}},
         {900, 300}},
    };
    for (const auto& c : cases) {
        car->SetPositions(c.speakers, c.listener.x, c.listener.y);
        ExpectReadableTips(*car, c.what);
    }
}

TEST_F(Car, ThePositionReadoutHidesNoDelay) {
    // CH5 dragged next to CH3 at the left rear corner: below right of it the
    // readout would lie on CH6's delay.
    SkCarThumb* speaker = car->Thumb(5);
    Press(speaker, {25, 25});
    MoveTo(speaker, {25 - 30, 25 + 60});
    ASSERT_TRUE(posTip->isVisible());
    ExpectReadableTips(*car, "while dragging");
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(
            posTip->geometry().intersects(car->findChild<SWindow*>(QString("ch%1_tip").arg(i))->geometry()))
            << "CH" << i;
    for (int data = 0; data <= 6; ++data)
        EXPECT_FALSE(posTip->geometry().intersects(car->Thumb(data)->geometry())) << "thumb " << data;
    Release(speaker, {25 - 30, 25 + 60});
}

TEST_F(Car, ListenerDragMovesTheCircle) {
    SkCarThumb* listener = car->Thumb(0);
    const IntBox before = car->Delays().circle;
    Press(listener, {25, 25});
    MoveTo(listener, {25 + 50, 25});
    EXPECT_EQ(car->ListenerMm(), (IntPoint{1030, 1580}));
    EXPECT_NE(car->Delays().circle, before);
    Release(listener, {75, 25});
}

TEST_F(Car, PaintsTheCarOutline) {
    MoveTo(car->Thumb(1), {0, 0});  // not a drag: nothing shown
    EXPECT_FALSE(curve->isVisible());
    car->MoveThumb({0, 0}, 1);
    ASSERT_TRUE(curve->isVisible());
    const QImage image = car->grab().toImage();
    const IntBox& pic = car->Geometry().carPic;
    const int midY = (pic.top + pic.bottom) / 2 + 37;
    EXPECT_EQ(image.pixelColor(pic.left, midY), QColor(0, 255, 0)) << "the outline's left edge";
    EXPECT_EQ(image.pixelColor(pic.left + 5, midY), QColor(0, 0, 0)) << "inside, nothing";
}

}  // namespace
}  // namespace caraudio::widgets::test
