#include "SessionHooks.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QWidget>

#include "EditSession.h"

namespace caraudio::app {

namespace {

bool IsUndoOrRedoKey(const QKeyEvent* e) {
    const QKeyCombination key = e->keyCombination();
    const Qt::KeyboardModifiers mods = key.keyboardModifiers() & ~Qt::KeypadModifier;
    const Qt::Key k = key.key();
    return (mods == Qt::ControlModifier && (k == Qt::Key_Z || k == Qt::Key_Y)) ||
           (mods == (Qt::ControlModifier | Qt::ShiftModifier) && k == Qt::Key_Z);
}

// A field without typed text of its own lets the window's undo keys through:
// a line edit would otherwise claim them even with nothing of its own to undo.
class FieldKeyGate final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride) return false;
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (!field || field->isModified() || !IsUndoOrRedoKey(static_cast<QKeyEvent*>(e))) return false;
        e->ignore();
        return true;
    }
};

// Opens a step on the press and ends it once the widget has handled the
// release, so the last move of the gesture belongs to it.
class GestureStep final : public QObject {
public:
    GestureStep(QWidget* widget, EditSession& session, std::function<std::string()> label)
        : QObject(widget), session_(session), label_(std::move(label)) {}
    ~GestureStep() override { End(); }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && !open_) {
            open_ = true;
            session_.BeginStep(label_());
        } else if (e->type() == QEvent::MouseButtonRelease && open_ &&
                   static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            // Delivered here, past this filter, so the step ends after it.
            const bool handled = watched->event(e);
            End();
            return handled;
        } else if (e->type() == QEvent::Hide) {
            End();
        }
        return false;
    }

private:
    void End() {
        if (!open_) return;
        open_ = false;
        session_.EndStep();
    }

    EditSession& session_;
    std::function<std::string()> label_;
    bool open_ = false;
};

}  // namespace

void InstallUndoKeys(QWidget* window, EditSession& session, std::function<void()> switchSide) {
    auto bind = [window](const QKeySequence& keys, std::function<void()> act) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, std::move(act));
    };
    EditSession* s = &session;
    bind(QKeySequence(Qt::CTRL | Qt::Key_Z), [s] { s->Undo(); });
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [s] { s->Redo(); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Y), [s] { s->Redo(); });
    if (switchSide) bind(QKeySequence(Qt::CTRL | Qt::Key_B), std::move(switchSide));
    auto* gate = new FieldKeyGate(window);
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) field->installEventFilter(gate);
}

void StepPerGesture(QWidget* widget, EditSession& session, std::function<std::string()> label) {
    if (widget) widget->installEventFilter(new GestureStep(widget, session, std::move(label)));
}

}  // namespace caraudio::app
