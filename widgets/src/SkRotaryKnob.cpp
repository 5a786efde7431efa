#include "SkRotaryKnob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "Skin.h"

namespace caraudio::widgets {

SkRotaryKnob::SkRotaryKnob(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::WheelFocus);
    Relayout();
}

bool SkRotaryKnob::SetAttribute(const QString& name, const QString& value) {
    if (name == "min" || name == "max" || name == "value" || name == "includedAngle" || name == "dotRadius" ||
        name == "fgRadius" || name == "fgPaintArc") {
        const auto v = ParseInt(value);
        if (!v) return false;
        if (name == "min")
            SetRange(*v, math_.max);
        else if (name == "max")
            SetRange(math_.min, *v);
        else if (name == "value")
            SetValue(*v);
        else if (name == "includedAngle")
            math_.includedAngle = *v;
        else if (name == "dotRadius")
            math_.dotRadius = *v;
        else if (name == "fgRadius")
            fgRadius_ = *v;
        else
            fgPaintArc_ = *v != 0;
        Relayout();
        SetValue(value_);
        return true;
    }
    if (name == "colorCircle") {
        const auto c = ParseColor(value);
        if (!c) return false;
        colorCircle_ = *c;
        update();
        return true;
    }
    if (name == "pointertype") {
        if (value != "pterDot" && value != "pterSlash") return false;
        pointerType_ = value;
        return true;
    }
    if (name == "skin" || name == "dotSkin" || name == "slashSkin") {
        const Skin* s = FindSkin(value);
        (name == "skin" ? skin_ : name == "dotSkin" ? dotSkin_ : slashSkin_) = s;
        update();
        return s != nullptr;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkRotaryKnob::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkRotaryKnob::SetRange(int min, int max) {
    math_.min = min;
    math_.max = max;
    SetValue(value_);
}

void SkRotaryKnob::Relayout() {
    math_.centreX = width() / 2;
    math_.centreY = height() / 2;
    angle_ = math_.AngleFor(value_);
    dot_ = math_.StartDot();
}

void SkRotaryKnob::SetValue(int value) {
    value_ = math_.Clamp(value);
    angle_ = math_.AngleFor(value_);
    math_.DotFor(angle_, dot_);  // past the end of the dial the dot stays
    update();
}

void SkRotaryKnob::resizeEvent(QResizeEvent*) {
    Relayout();
    SetValue(value_);
}

void SkRotaryKnob::Point(const QPoint& at) {
    const KnobMath::Pointing p = math_.Point(at.x(), at.y());
    if (p.dotMoves) dot_ = p.dot;
    angle_ = p.angle;
    value_ = p.value;
}

void SkRotaryKnob::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragging_ = true;
    Point(e->position().toPoint());
    update();
    emit sliderPos(value_);
}

void SkRotaryKnob::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) return QWidget::mouseMoveEvent(e);
    const int saved = value_;
    const double savedAngle = angle_;
    const KnobMath::Dot savedDot = dot_;
    Point(e->position().toPoint());
    auto keep = [&] {
        value_ = saved;
        angle_ = savedAngle;
        dot_ = savedDot;
    };
    // Across the gap the value would jump from one end to the other: it stays
    // at its end until the pointer comes back to it.
    if (saved == math_.max && value_ == math_.min && math_.min != math_.max) {
        stuckAtMax_ = true;
        return keep();
    }
    if (saved == math_.min && value_ == math_.max && math_.min != math_.max) {
        stuckAtMin_ = true;
        return keep();
    }
    if (stuckAtMax_ && value_ == math_.max) stuckAtMax_ = false;
    if (stuckAtMin_ && value_ == math_.min) stuckAtMin_ = false;
    if (stuckAtMax_ || stuckAtMin_) return keep();
    if (value_ == saved) return;
    update();
    emit sliderPos(value_);
}

void SkRotaryKnob::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(e);
    dragging_ = false;
    stuckAtMax_ = stuckAtMin_ = false;
}

void SkRotaryKnob::wheelEvent(QWheelEvent* e) {
    if (focusPolicy() & Qt::WheelFocus) setFocus(Qt::MouseFocusReason);
    const int notch = e->angleDelta().y();
    if (notch == 0) return;
    SetValue(value_ + (notch > 0 ? 1 : -1));
    emit sliderPos(value_);
}

void SkRotaryKnob::keyPressEvent(QKeyEvent* e) {
    const int page = (math_.max - math_.min) / 5;
    int v;
    switch (e->key()) {
    case Qt::Key_PageUp:
        v = value_ + page;
        break;
    case Qt::Key_PageDown:
        v = value_ - page;
        break;
    case Qt::Key_End:
        v = math_.min;
        break;
    case Qt::Key_Home:
        v = math_.max;
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        v = value_ - 1;
        break;
    case Qt::Key_Up:
    case Qt::Key_Right:
        v = value_ + 1;
        break;
    default:
        return QWidget::keyPressEvent(e);
    }
    SetValue(v);
    emit sliderPos(value_);
}

void SkRotaryKnob::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (angle_ > 0 && fgPaintArc_) {
        const double sweep = std::min(angle_, math_.Sweep());
        const QRectF pie(math_.centreX - fgRadius_, math_.centreY - fgRadius_, 2 * fgRadius_, 2 * fgRadius_);
        p.setBrush(colorCircle_);
        p.setPen(QPen(colorCircle_.darker(140), 1));
        // Qt counts angles anticlockwise in sixteenths of a degree.
        p.drawPie(pie, -math_.StartAngle() * 16, static_cast<int>(-sweep * 16));
    }
    if (skin_) skin_->Draw(p, rect(), 0);
    if (dotSkin_) {
        if (angle_ <= 0)
            dot_ = math_.StartDot();
        else if (angle_ >= math_.Sweep())
            dot_ = math_.EndDot();
        const QSize s = dotSkin_->Size();
        dotSkin_->Draw(p, QRect(QPoint(dot_.x - s.width() / 2, dot_.y - s.height() / 2), s), 0);
    }
}

}  // namespace caraudio::widgets
