#pragma once

#include <QObject>
#include <functional>
#include <string>

class QWidget;

namespace caraudio {
class EditSession;
}

namespace caraudio::app {

// The session's observer as Qt signals, so every window and open dialog
// can follow undo, redo and A/B without the session knowing of them.
class SessionEvents final : public QObject {
    Q_OBJECT
signals:
    // Steps were added or moved: Undo and Redo controls and their tooltips.
    void stepsChanged();
    // The tuning was replaced (undo, redo, switch, copy): show every value.
    void tuningReplaced();
};

// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo in `window`; `switchSide`,
// when given, is Ctrl+B. A text field keeps these keys for its own text
// while it holds typed text not yet taken; otherwise they are the tuning's.
void InstallUndoKeys(QWidget* window, EditSession& session, std::function<void()> switchSide = {});

// A mouse gesture on `widget` (press to release) is one step, named by
// `label` when the button goes down.
void StepPerGesture(QWidget* widget, EditSession& session, std::function<std::string()> label);

}  // namespace caraudio::app
