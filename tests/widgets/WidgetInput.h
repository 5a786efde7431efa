#pragma once

// Mouse input sent straight to a widget, as the platform would deliver it,
// so drags work the same offscreen.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

namespace caraudio::widgets::test {

inline void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                  Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Press(QWidget* w, QPoint local) {
    Mouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
}
inline void MoveTo(QWidget* w, QPoint local) {
    Mouse(w, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton);
}
inline void Release(QWidget* w, QPoint local) {
    Mouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
}

// One notch of the wheel: +1 away from the user, -1 toward.
inline void Wheel(QWidget* w, int notch) {
    const QPoint c = w->rect().center();
    QWheelEvent e(QPointF(c), QPointF(w->mapToGlobal(c)), QPoint(), QPoint(0, 120 * notch), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

}  // namespace caraudio::widgets::test
