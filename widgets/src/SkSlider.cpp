#include "SkSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "SSimpleToolTip.h"
#include "Skin.h"

namespace caraudio::widgets {
namespace {

enum State { kNormal = 0, kHover = 1, kPushed = 2, kDisabled = 3 };

}  // namespace

SkSlider::SkSlider(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::WheelFocus);
}

SkSlider::~SkSlider() {
    if (holdsTip_) SSimpleToolTip::Release();
}

bool SkSlider::SetAttribute(const QString& name, const QString& value) {
    if (name == "min" || name == "max" || name == "value" || name == "vertical" || name == "thumbInRail" ||
        name == "showPercent") {
        const auto v = ParseInt(value);
        if (!v) return false;
        if (name == "min")
            SetRange(*v, max_);
        else if (name == "max")
            SetRange(min_, *v);
        else if (name == "value")
            SetValue(*v);
        else if (name == "vertical")
            vertical_ = *v != 0;
        else if (name == "thumbInRail")
            thumbInRail_ = *v != 0;
        else
            showPercent_ = *v != 0;
        update();
        return true;
    }
    if (name == "bkgndSkin" || name == "posSkin" || name == "thumbSkin") {
        const Skin* s = FindSkin(value);
        (name == "bkgndSkin" ? rail_ : name == "posSkin" ? pos_ : thumb_) = s;
        update();
        return s != nullptr;
    }
    return SetCommonAttribute(this, name, value);
}

bool SkSlider::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SkSlider::SetRange(int min, int max) {
    min_ = std::min(min, max);
    max_ = std::max(min, max);
    SetValue(value_);
}

int SkSlider::Clamp(int v) const {
    return std::clamp(v, min_, max_);
}

void SkSlider::SetValue(int value) {
    const int v = Clamp(value);
    if (v == value_) return;
    value_ = v;
    update();
}

QSize SkSlider::ThumbSize() const {
    if (thumb_) {
        const QSize s = thumb_->Size();
        // The thumb spans the rail's width; its length keeps its proportions.
        return vertical_ ? QSize(width(), std::max(1, s.height() * width() / std::max(1, s.width())))
                         : QSize(std::max(1, s.width() * height() / std::max(1, s.height())), height());
    }
    const int across = vertical_ ? width() : height();
    return vertical_ ? QSize(across, std::max(6, across / 2)) : QSize(std::max(6, across / 2), across);
}

int SkSlider::RailLength() const {
    const int length = vertical_ ? height() : width();
    const int thumb = vertical_ ? ThumbSize().height() : ThumbSize().width();
    return std::max(1, thumbInRail_ ? length - thumb : length);
}

QRect SkSlider::ThumbRect() const {
    const QSize ts = ThumbSize();
    const int offset =
        static_cast<int>(static_cast<long long>(value_ - min_) * RailLength() / (max_ - min_ + 1));
    const int start = thumbInRail_ ? offset : offset - (vertical_ ? ts.height() : ts.width()) / 2;
    if (vertical_) return QRect(QPoint(0, height() - start - ts.height()), ts);
    return QRect(QPoint(start, 0), ts);
}

int SkSlider::Along(const QPoint& p) const {
    const QSize ts = ThumbSize();
    const int inset = thumbInRail_ ? (vertical_ ? ts.height() : ts.width()) / 2 : 0;
    return vertical_ ? height() - p.y() - inset : p.x() - inset;
}

void SkSlider::Change(int v) {
    v = Clamp(v);
    if (v == value_) return;
    value_ = v;
    update();
    emit sliderPos(value_);
    if (dragging_) ShowTip();
}

void SkSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    const QPoint at = e->position().toPoint();
    if (!ThumbRect().contains(at)) {
        // A click on the rail jumps there at once and drags from there.
        value_ = Clamp(min_ +
                       static_cast<int>(static_cast<long long>(max_ - min_ + 1) * Along(at) / RailLength()));
        update();
        emit sliderPos(value_);
    }
    dragging_ = true;
    startValue_ = value_;
    startAlong_ = Along(at);
    ShowTip();
}

void SkSlider::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (dragging_) {
        const int d = Along(at) - startAlong_;
        Change(startValue_ + static_cast<int>(static_cast<long long>(d) * (max_ - min_ + 1) / RailLength()));
        return;
    }
    const bool over = ThumbRect().contains(at);
    if (over == hoverThumb_) return;
    hoverThumb_ = over;
    update();
    over ? ShowTip() : HideTip();
}

void SkSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(e);
    dragging_ = false;
    HideTip();
    hoverThumb_ = ThumbRect().contains(e->position().toPoint());
    update();
}

void SkSlider::leaveEvent(QEvent*) {
    if (!hoverThumb_ || dragging_) return;
    hoverThumb_ = false;
    HideTip();
    update();
}

void SkSlider::wheelEvent(QWheelEvent* e) {
    const int notch = e->angleDelta().y();
    if (notch != 0) {
        SetValue(value_ + (notch > 0 ? 1 : -1));
        emit sliderPos(value_);
    }
}

void SkSlider::keyPressEvent(QKeyEvent* e) {
    const int page = (max_ - min_) / 5;
    int v;
    switch (e->key()) {
    case Qt::Key_PageUp:
        v = value_ + page;
        break;
    case Qt::Key_PageDown:
        v = value_ - page;
        break;
    case Qt::Key_End:
        v = min_;
        break;
    case Qt::Key_Home:
        v = max_;
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

void SkSlider::ShowTip() {
    if (!showPercent_) return;
    if (!holdsTip_) {
        SSimpleToolTip::Acquire();
        holdsTip_ = true;
    }
    const QString text = QString::number(value_);
    const int chars = static_cast<int>(text.size());
    const QRect t = ThumbRect();
    const QPoint local = vertical_ ? QPoint(t.left() - 6 * chars - 15, t.top() + t.height() / 2 - 11)
                                   : QPoint(t.left() + (t.width() - 6 * chars - 10) / 2, t.bottom() + 1 + 10);
    SSimpleToolTip::Current()->ShowText(text, mapToGlobal(local));
}

void SkSlider::HideTip() {
    if (holdsTip_ && SSimpleToolTip::Current()) SSimpleToolTip::Current()->hide();
}

void SkSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int state = !isEnabled() ? kDisabled : dragging_ ? kPushed : hoverThumb_ ? kHover : kNormal;
    const QRect thumb = ThumbRect();
    if (rail_) {
        rail_->Draw(p, rect(), state);
    } else {
        p.fillRect(
            vertical_ ? QRect(width() / 2 - 2, 0, 4, height()) : QRect(0, height() / 2 - 2, width(), 4),
            palette().color(QPalette::Mid));
    }
    if (value_ != min_) {
        const QRect filled = vertical_
                                 ? QRect(QPoint(0, thumb.center().y()), QPoint(width() - 1, height() - 1))
                                 : QRect(QPoint(0, 0), QPoint(thumb.center().x(), height() - 1));
        if (pos_)
            pos_->Draw(p, filled, state);
        else
            p.fillRect(vertical_ ? QRect(width() / 2 - 2, filled.top(), 4, filled.height())
                                 : QRect(0, height() / 2 - 2, filled.width(), 4),
                       palette().color(QPalette::Highlight));
    }
    if (thumb_)
        thumb_->Draw(p, thumb, state);
    else
        p.fillRect(thumb, palette().color(state == kPushed ? QPalette::Highlight : QPalette::Button));
}

}  // namespace caraudio::widgets
