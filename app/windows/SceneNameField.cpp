#include "SceneNameField.h"

#include <QLineEdit>
#include <algorithm>

#include "TextCodec.h"

namespace caraudio::app {

SceneNameField::SceneNameField(QLineEdit& field, int limitUnits)
    : QObject(&field), field_(field), limit_(limitUnits) {
    connect(&field, &QLineEdit::textEdited, this, &SceneNameField::Edited);
}

void SceneNameField::Show(const QString& name) {
    longer_ = name.size() > limit_ ? static_cast<int>(name.size()) : 0;
    field_.setText(name);
}

void SceneNameField::Edited(const QString& text) {
    const int allowed = std::max(limit_, longer_);
    QString kept = text;
    if (text.size() > allowed) {
        // What was just typed or pasted ends at the cursor; its end goes, as
        // a field's own length limit would cut it, but between characters.
        const int cursor = field_.cursorPosition();
        const QString after = text.mid(cursor);
        const size_t room = static_cast<size_t>(std::max(0, allowed - static_cast<int>(after.size())));
        const QString before =
            QString::fromStdU16String(storage::CutToUnits(text.left(cursor).toStdU16String(), room));
        kept = before + after;
        field_.setText(kept);
        field_.setCursorPosition(static_cast<int>(before.size()));
    }
    if (kept.size() <= limit_) longer_ = 0;  // the longer name is gone
}

}  // namespace caraudio::app
