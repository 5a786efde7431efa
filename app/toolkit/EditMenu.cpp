#include "EditMenu.h"

#include <QLineEdit>
#include <QMenu>

#include "Translation.h"

namespace caraudio::app {

namespace {

void ShowEditMenu(QLineEdit* field, const QPoint& at) {
    QMenu menu(field);
    menu.setObjectName("XML_EDITMENU");
    const bool editable = !field->isReadOnly() && field->isEnabled();
    const bool selected = field->hasSelectedText();
    // Masked text is never handed out.
    const bool masked = field->echoMode() != QLineEdit::Normal;
    menu.addAction(Tr("editmenu", "Undo"), field, &QLineEdit::undo)
        ->setEnabled(editable && field->isUndoAvailable());
    menu.addSeparator();
    menu.addAction(Tr("editmenu", "Cut"), field, &QLineEdit::cut)
        ->setEnabled(editable && selected && !masked);
    menu.addAction(Tr("editmenu", "Copy"), field, &QLineEdit::copy)->setEnabled(selected && !masked);
    menu.addAction(Tr("editmenu", "Paste"), field, &QLineEdit::paste)->setEnabled(editable);
    menu.addAction(Tr("editmenu", "Delete"), field, &QLineEdit::del)->setEnabled(editable && selected);
    menu.addSeparator();
    menu.addAction(Tr("editmenu", "Select All"), field, &QLineEdit::selectAll)
        ->setEnabled(!field->text().isEmpty());
    menu.exec(field->mapToGlobal(at));
}

}  // namespace

void UseEditMenu(QWidget* root) {
    for (QLineEdit* field : root->findChildren<QLineEdit*>()) {
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(field, &QWidget::customContextMenuRequested, field,
                         [field](const QPoint& at) { ShowEditMenu(field, at); });
    }
}

}  // namespace caraudio::app
