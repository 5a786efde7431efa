#include "StartPicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "Skin.h"

namespace caraudio::app {

namespace {
constexpr QSize kDefaultSize(400, 200);
}

StartPicture::StartPicture()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("StartUI");
    setCursor(Qt::ArrowCursor);
    const widgets::Skin* skin = widgets::FindSkin("startup");
    setFixedSize(skin && !skin->IsNull() ? skin->Size() : kDefaultSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
}

void StartPicture::ShowNow() {
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}

void StartPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 156, 163));
    if (const widgets::Skin* skin = widgets::FindSkin("startup"))
        skin->Draw(p, QRect(QPoint(0, 0), skin->Size()), 0);
}

}  // namespace caraudio::app
