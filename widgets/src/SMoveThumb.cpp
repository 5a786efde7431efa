#include "SMoveThumb.h"

#include <QMouseEvent>
#include <QPainter>

#include "EqMetrics.h"
#include "Skin.h"

namespace caraudio::widgets {

SMoveThumb::SMoveThumb(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    hide();  // thumbs start hidden; the editor shows those in use
}

bool SMoveThumb::SetAttribute(const QString& name, const QString& value) {
    if (name == "xFloat" || name == "yFloat") {
        const auto v = ParseFloat(value);
        if (!v) return false;
        (name == "xFloat" ? xFloat_ : yFloat_) = *v;
        return true;
    }
    if (name == "canXMove" || name == "canYMove" || name == "canOutsize") {
        const auto v = ParseInt(value);
        if (!v) return false;
        (name == "canXMove" ? canXMove_ : name == "canYMove" ? canYMove_ : canOutsize_) = *v != 0;
        return true;
    }
    if (name == "centerColor") {
        const auto c = ParseColor(value);
        if (!c) return false;
        centerColor_ = *c;
        return true;
    }
    if (name == "text") {
        text_ = value;
        face_ = QPixmap();
        update();
        return true;
    }
    if (name == "skin") {
        skin_ = FindSkin(value);
        face_ = QPixmap();
        update();
        return skin_ != nullptr;
    }
    return SetCommonAttribute(this, name, value);
}

bool SMoveThumb::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SMoveThumb::CentreOn(int x, int y) {
    const int left = x - width() / 2;
    const int top = y - height() / 2;
    move(left, top);
    if (QWidget* p = parentWidget()) {
        if (p->width() > 0) xFloat_ = static_cast<double>(left) / p->width();
        if (p->height() > 0) yFloat_ = static_cast<double>(top) / p->height();
    }
}

void SMoveThumb::Relayout() {
    if (QWidget* p = parentWidget()) move(Rnd(p->width() * xFloat_), Rnd(p->height() * yFloat_));
}

void SMoveThumb::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragging_ = true;
    grab_ = e->position().toPoint();  // cursor relative to the thumb's top-left
    // The press already keeps the mouse with this widget until the release.
    setCursor(Qt::SizeAllCursor);
}

void SMoveThumb::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) return QWidget::mouseMoveEvent(e);
    const QPoint cursor = mapToParent(e->position().toPoint());
    ThumbMove m;
    m.id = ControlIdOf(this);
    m.thumbTag = thumbTag_;
    m.oldLeft = x();
    m.oldTop = y();
    m.newLeft = canXMove_ ? cursor.x() - grab_.x() : x();
    m.newTop = canYMove_ ? cursor.y() - grab_.y() : y();
    emit thumbMoving(m);
}

void SMoveThumb::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(e);
    dragging_ = false;
    unsetCursor();
}

void SMoveThumb::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::FontChange) face_ = QPixmap();
    QWidget::changeEvent(e);
}

void SMoveThumb::resizeEvent(QResizeEvent*) {
    face_ = QPixmap();
}

void SMoveThumb::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (face_.isNull() || face_.size() != size() * dpr) {
        face_ = QPixmap(size() * dpr);
        face_.setDevicePixelRatio(dpr);
        face_.fill(Qt::transparent);
        QPainter fp(&face_);
        DrawFace(fp);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, face_);
}

void SMoveThumb::DrawFace(QPainter& p) const {
    if (skin_) {
        skin_->Draw(p, rect(), 0);
        return;
    }
    // Without a skin: a ring in the text colour with the text inside it.
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = palette().color(QPalette::WindowText);
    QColor fill = c;
    fill.setAlpha(60);
    p.setPen(QPen(c, 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace caraudio::widgets
