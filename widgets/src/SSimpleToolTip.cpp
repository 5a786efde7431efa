#include "SSimpleToolTip.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace caraudio::widgets {
namespace {

SSimpleToolTip* gTip = nullptr;
int gHolders = 0;

}  // namespace

SSimpleToolTip::SSimpleToolTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    setFont(f);
}

SSimpleToolTip* SSimpleToolTip::Acquire() {
    if (!gTip) gTip = new SSimpleToolTip();
    ++gHolders;
    return gTip;
}

void SSimpleToolTip::Release() {
    if (gHolders == 0) return;
    if (--gHolders == 0) {
        delete gTip;
        gTip = nullptr;
    }
}

SSimpleToolTip* SSimpleToolTip::Current() {
    return gTip;
}

void SSimpleToolTip::ShowText(const QString& text, const QPoint& screenTopLeft) {
    text_ = text;
    const QRect measured = fontMetrics().boundingRect(QRect(0, 0, 500, 1000), Qt::TextWordWrap, text);
    QRect r(screenTopLeft, measured.size() + QSize(10, 10));
    // Kept inside its screen where it would cross the right or bottom edge.
    if (const QScreen* s = QGuiApplication::screenAt(screenTopLeft)) {
        const QRect area = s->geometry();
        if (r.right() > area.right()) r.moveRight(area.right());
        if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
    }
    setGeometry(r);
    update();
    show();
}

void SSimpleToolTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawText(rect().adjusted(5, 5, -5, -5), Qt::TextWordWrap, text_);
}

}  // namespace caraudio::widgets
