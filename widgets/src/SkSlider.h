#pragma once

#include <QWidget>

#include "Attributes.h"

namespace caraudio::widgets {

class Skin;

// A level slider: a click on the rail jumps there and starts a drag; skins
// for rail, filled part and thumb with state frames; an optional value tip.
class SkSlider : public QWidget, public AttributeTarget {
    Q_OBJECT
public:
    explicit SkSlider(QWidget* parent = nullptr);
    ~SkSlider() override;

    bool SetAttribute(const QString& name, const QString& value) override;
    void SetRange(int min, int max);
    void SetValue(int value);
    int Value() const { return value_; }
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    bool Vertical() const { return vertical_; }
    QRect ThumbRect() const;
    // Rail length the value spreads over, pixels.
    int RailLength() const;
    bool Dragging() const { return dragging_; }

signals:
    void sliderPos(int value);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QSize ThumbSize() const;
    // Position along the rail from its start (left, or bottom when vertical).
    int Along(const QPoint& p) const;
    int Clamp(int v) const;
    void Change(int v);
    void ShowTip();
    void HideTip();

    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool vertical_ = false;
    bool thumbInRail_ = true;
    bool showPercent_ = false;
    const Skin* rail_ = nullptr;
    const Skin* pos_ = nullptr;
    const Skin* thumb_ = nullptr;
    bool dragging_ = false;
    bool hoverThumb_ = false;
    int startValue_ = 0;
    int startAlong_ = 0;
    bool holdsTip_ = false;
};

}  // namespace caraudio::widgets
