#include "Look.h"

#include <QMouseEvent>
#include <QPalette>
#include <QWidget>
#include <QWindow>

namespace caraudio::app {
namespace {

class DragFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress) return false;
        auto* me = static_cast<QMouseEvent*>(e);
        auto* w = static_cast<QWidget*>(watched);
        if (me->button() != Qt::LeftButton || !w->window()->windowHandle()) return false;
        w->window()->windowHandle()->startSystemMove();
        return true;
    }
};

}  // namespace

void MakeDragHandle(QWidget* handle) {
    if (handle) handle->installEventFilter(new DragFilter(handle));
}

void PaintBackground(QWidget* layout, const QColor& colour) {
    if (!layout) return;
    layout->setAutoFillBackground(true);
    QPalette p = layout->palette();
    p.setColor(QPalette::Window, colour);
    layout->setPalette(p);
}

namespace {

// Only the standard controls are styled here: the program's own widgets
// take their colours and fonts from their layout attributes.
QString StyleSheet() {
    return QStringLiteral(
        "QLabel, QPushButton, QLineEdit, QComboBox { color: #dde6f0; font-size: 12px; }"
        "QFrame#caption, QFrame#menubar { background: #1d2835; }"
        "QFrame#CHANNEL_DELAY, QFrame#right_column, QFrame#crossover, QFrame#EQ_GROUP, QFrame#CHANNEL_TAB {"
        " background: #2c3d50; border: 1px solid #1d2835; }"
        "QFrame[panel=\"true\"] { background: #243243; border: 1px solid #1d2835; border-radius: 4px; }"
        "QWidget#ui_sending { background: rgba(10, 16, 24, 150); }"
        "QFrame#sending_box { background: #ffffff; border-radius: 6px; }"
        "QFrame#sending_box QLabel { color: #1c2630; }"
        "QLabel#title { font-size: 14px; font-weight: bold; }"
        "QPushButton { background: #3a516a; border: 1px solid #5b7591; border-radius: 4px; padding: 1px 6px; "
        "}"
        "QPushButton:hover { background: #476382; }"
        "QPushButton:pressed { background: #2a3c50; }"
        // Dimmed by its darker ground and border; its text 5.7:1, still easily read.
        "QPushButton:disabled { color: #a3b1bf; background: #2a3542; border-color: #3b4b5c; }"
        "QPushButton#btn_close:hover { background: #b33a3a; }"
        "QLineEdit { background: #18222d; border: 1px solid #45596e; border-radius: 3px; padding: 0 2px;"
        " selection-background-color: #3f8fd2; }"
        // Dimmer than an enabled field's text, but still 6:1 against its ground.
        "QLineEdit:disabled { color: #a3b1bf; background: #222d39; }"
        "QComboBox { background: #18222d; border: 1px solid #45596e; border-radius: 3px; padding: 0 4px; }"
        "QComboBox QAbstractItemView { background: #ffffff; color: #1c2630; selection-background-color: "
        "#3f8fd2; }"
        "QMenu { background: #ffffff; color: #1c2630; border: 1px solid #b8c2cc; border-radius: 6px; "
        "padding: 4px; }"
        "QMenu::item { padding: 4px 24px; min-height: 18px; }"
        "QMenu::item:selected { background: #3f8fd2; color: #ffffff; border-radius: 4px; }");
}

}  // namespace

QPalette ProgramPalette() {
    QPalette p;
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(role, QColor(0xdd, 0xe6, 0xf0));
    p.setColor(QPalette::Window, QColor(0x27, 0x34, 0x44));
    p.setColor(QPalette::Base, QColor(0x18, 0x22, 0x2d));
    p.setColor(QPalette::Button, QColor(0x3a, 0x51, 0x6a));
    p.setColor(QPalette::Highlight, QColor(0x3f, 0x8f, 0xd2));
    return p;
}

void ApplyLook(QWidget* window) {
    window->setStyleSheet(StyleSheet());
}

}  // namespace caraudio::app
