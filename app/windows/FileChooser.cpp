#include "FileChooser.h"

#include <QFileDialog>

namespace caraudio::app {

QString QtFileChooser::SaveFile(QWidget* owner, const QString& suggestedName, const QString& filter,
                                const QString& suffix, QString* chosenFilter) {
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(suggestedName);
    // Replacing an existing file is confirmed by the dialog itself.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

QStringList QtFileChooser::OpenFiles(QWidget* owner, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(owner, title, QString(), filter);
}

}  // namespace caraudio::app
