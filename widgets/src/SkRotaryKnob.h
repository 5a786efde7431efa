#pragma once

#include <QWidget>

#include "Attributes.h"
#include "KnobMath.h"

namespace caraudio::widgets {

class Skin;

// A rotary level knob: a value sector, a dial skin and a pointer dot. Dragging
// never jumps across the gap at the bottom of the dial.
class SkRotaryKnob : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkRotaryKnob(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    void SetRange(int min, int max);
    void SetValue(int value);
    int Value() const { return value_; }
    int Minimum() const { return math_.min; }
    int Maximum() const { return math_.max; }
    double Angle() const { return angle_; }
    KnobMath::Dot DotPosition() const { return dot_; }
    bool StuckAtMax() const { return stuckAtMax_; }
    bool StuckAtMin() const { return stuckAtMin_; }

signals:
    // EventSliderPos: the new value, on press, drag, wheel and keys.
    void sliderPos(int value);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Point(const QPoint& at);
    void Relayout();

    KnobMath math_;
    int value_ = 0;
    double angle_ = 0;
    KnobMath::Dot dot_;
    int fgRadius_ = 0;
    bool fgPaintArc_ = true;
    QColor colorCircle_{0, 246, 255, 255};
    QString pointerType_ = "pterDot";
    const Skin* skin_ = nullptr;
    const Skin* dotSkin_ = nullptr;
    const Skin* slashSkin_ = nullptr;
    bool dragging_ = false;
    bool stuckAtMax_ = false;
    bool stuckAtMin_ = false;
};

}  // namespace caraudio::widgets
