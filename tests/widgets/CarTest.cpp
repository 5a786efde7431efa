#include <gtest/gtest.h>

#include <memory>

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
    // The right rear corner is farthest from a listener at the left front.
    EXPECT_EQ(car->DelayMm(3), 0);
    for (int i = 0; i < 6; ++i) EXPECT_GE(car->DelayMm(i), 0);
    auto* tip4 = car->findChild<SWindow*>("ch4_tip");
    EXPECT_EQ(tip4->Text(), "0.000ms");
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
