#include "SEdit2.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include "Skin.h"

namespace caraudio::widgets {

SEdit2::SEdit2(QWidget* parent) : QLineEdit(parent) {}

bool SEdit2::SetAttribute(const QString& name, const QString& value) {
    if (name == "cueText") {
        setPlaceholderText(value);
        return true;
    }
    if (name == "cueColor") {
        const auto c = ParseColor(value);
        if (!c) return false;
        QPalette p = palette();
        p.setColor(QPalette::PlaceholderText, *c);
        setPalette(p);
        return true;
    }
    if (name == "focusSkin") {
        focusSkin_ = FindSkin(value);
        return focusSkin_ != nullptr;
    }
    if (name == "text") {
        setText(value);
        return true;
    }
    if (name == "wantReturn") {
        wantReturn_ = ParseInt(value).value_or(0) != 0;
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

bool SEdit2::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QLineEdit::event(e);
}

void SEdit2::keyPressEvent(QKeyEvent* e) {
    QLineEdit::keyPressEvent(e);
    switch (e->key()) {
    case Qt::Key_Up:
        emit valueChanging(+1);
        break;
    case Qt::Key_Down:
        emit valueChanging(-1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!wantReturn_) emit valueChanging(0);
        break;
    default:
        break;
    }
}

void SEdit2::wheelEvent(QWheelEvent* e) {
    const int notch = e->angleDelta().y();
    if (notch != 0) emit valueChanging(notch > 0 ? +1 : -1);
    QLineEdit::wheelEvent(e);
}

void SEdit2::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    selectAll();
}

void SEdit2::paintEvent(QPaintEvent* e) {
    QLineEdit::paintEvent(e);
    if (!hasFocus() || !focusSkin_) return;
    QPainter p(this);
    focusSkin_->Draw(p, rect(), 0);
}

}  // namespace caraudio::widgets
