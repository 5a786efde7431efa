#include "SWindow.h"

#include <QPainter>

#include "Skin.h"

namespace caraudio::widgets {

SWindow::SWindow(QWidget* parent) : QWidget(parent) {}

bool SWindow::SetAttribute(const QString& name, const QString& value) {
    if (name == "text") {
        SetText(value);
        return true;
    }
    if (name == "skin") {
        skin_ = FindSkin(value);
        update();
        return skin_ != nullptr;
    }
    if (name == "colorBkgnd") {
        const auto c = ParseColor(value);
        if (!c) return false;
        background_ = *c;
        update();
        return true;
    }
    if (name == "align") {
        align_ = value == "center"  ? Qt::AlignCenter
                 : value == "right" ? (Qt::AlignRight | Qt::AlignVCenter)
                                    : (Qt::AlignLeft | Qt::AlignVCenter);
        update();
        return true;
    }
    return SetCommonAttribute(this, name, value);
}

void SWindow::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize SWindow::sizeHint() const {
    if (skin_ && text_.isEmpty()) return skin_->Size();
    const QSize text = fontMetrics().size(0, text_);
    return {text.width() + 4, text.height() + 2};
}

bool SWindow::event(QEvent* e) {
    return HandleAttributeEvent(this, this, e) || QWidget::event(e);
}

void SWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (background_.alpha() > 0) p.fillRect(rect(), background_);
    if (skin_) skin_->Draw(p, rect(), 0);
    if (!text_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), static_cast<int>(align_), text_);
    }
}

}  // namespace caraudio::widgets
