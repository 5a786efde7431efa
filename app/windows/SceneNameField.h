#pragma once

#include <QObject>

class QLineEdit;

namespace caraudio::app {

// The scene name field of "My Preset". Typing stops at the length a typed
// name may have, and never inside a character (a surrogate pair, a letter
// and its accent), which a plain length limit of the field would split. A
// longer name the dialog shows (an imported one) is shown whole; it may be
// edited but not made longer than it was.
class SceneNameField final : public QObject {
    Q_OBJECT
public:
    SceneNameField(QLineEdit& field, int limitUnits);

    // Shows a scene's name, or empties the field.
    void Show(const QString& name);

private:
    void Edited(const QString& text);

    QLineEdit& field_;
    int limit_;
    int longer_ = 0;  // the length of a longer name shown, until an edit leaves it within the limit
};

}  // namespace caraudio::app
