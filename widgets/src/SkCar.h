#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "Attributes.h"
#include "CarGeometry.h"

namespace caraudio::widgets {

class Skin;
class SkCarThumb;
class SkCarGrid;
class SkCarCurve;
class SWindow;

// The car map: a listener and up to six speakers on a plan of the car, and
// the delay each speaker needs so that every sound arrives together.
class SkCar : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    static constexpr int kHideLayersMs = 3000;

    explicit SkCar(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;

    // Places the listener and six speakers (mm) and shows them.
    void SetPositions(const std::array<IntPoint, 6>& speakersMm, int listenerXMm, int listenerYMm);

    int Count() const { return count_; }
    IntPoint SpeakerMm(int i) const { return speakerMm_[static_cast<size_t>(i)]; }
    IntPoint ListenerMm() const { return listenerMm_; }
    double DelayMm(int i) const { return delays_.delayMm[static_cast<size_t>(i)]; }
    const CarGeometry& Geometry() const { return geometry_; }
    const CarDelays& Delays() const { return delays_; }
    const CarAttributes& Attributes() const { return attributes_; }

    // A thumb (0 listener, 1..count speakers) is being dragged to `position`
    // (its centre, pixels); returns where it may go.
    IntPoint MoveThumb(IntPoint position, int data);
    void ThumbReleased();

    SkCarGrid* GridLayer() const { return grid_; }
    SkCarCurve* CurveLayer() const { return curve_; }
    SkCarThumb* Thumb(int data) const;

signals:
    void carDelayChanged();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Collect();
    void LayoutCar();
    void RecomputeDelays();
    void ShowForCount();
    void HideLayers();
    // Places speaker i's delay tip beside its thumb, clear of what `taken`
    // holds, and adds it there.
    void PlaceTip(int i, IntPoint thumbCentre, const IntBox& inner, std::vector<QRect>& taken);
    // Where the thumbs in use are, and their delay tips.
    std::vector<QRect> Occupied(bool withTips) const;
    // Within the map and clear of everything in `taken`.
    bool IsFree(const QRect& r, const std::vector<QRect>& taken) const;

    CarAttributes attributes_;
    CarGeometry geometry_;
    CarDelays delays_;
    int count_ = 0;
    std::array<IntPoint, kMaxSpeakers> speakerMm_{};
    IntPoint listenerMm_;
    bool created_ = false;
    std::array<SkCarThumb*, kMaxSpeakers + 1> thumbs_{};  // data 0..32
    std::array<QWidget*, kMaxSpeakers> tips_{};
    SkCarGrid* grid_ = nullptr;
    SkCarCurve* curve_ = nullptr;
    QWidget* posTip_ = nullptr;
    QWidget* carPic_ = nullptr;
    QTimer hideTimer_;  // timer 1
};

class SkCarThumb : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkCarThumb(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;

    void CentreOn(int x, int y);
    void Relayout();
    bool Dragging() const { return dragging_; }
    double XFloat() const { return xFloat_; }
    double YFloat() const { return yFloat_; }

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    SkCar* Car() const;

    bool percentFloat_ = false;
    double xFloat_ = 0;
    double yFloat_ = 0;
    QColor centerColor_{200, 200, 200, 0};
    int xOffset_ = 0;  // left - parent left
    int yOffset_ = 0;  // parent bottom - top
    const Skin* skin_ = nullptr;
    QString text_;
    bool dragging_ = false;
    QPoint grab_;
};

// Metre scales along the left and bottom edges and dotted guides through
// the car's origin.
class SkCarGrid : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkCarGrid(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int widthGuidLine_ = 1;
    QColor colorGuidLine_{48, 48, 48, 255};
    int widthCoords_ = 1;
    QColor colorCoords_{48, 48, 48, 255};
};

// The car outline, the circle of equal arrival and the lines to each speaker.
class SkCarCurve : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkCarCurve(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int lineWidth_ = 2;
    QColor colorCar_{0, 255, 0, 0};
    QColor colorVirt_{255, 255, 0, 255};
    QColor colorSoundSpace_{255, 0, 255, 0};
    QColor colorSpeaker_{255, 170, 170, 255};
};

}  // namespace caraudio::widgets
