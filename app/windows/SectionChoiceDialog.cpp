#include "SectionChoiceDialog.h"

#include <QListWidget>
#include <QPushButton>

#include "CommonDialog.h"
#include "Layouts.h"

namespace caraudio::app {

std::optional<int> ChooseSection(QWidget* owner, const QStringList& sections) {
    CCommonDlg dialog("XML_FILTER_SECTION", owner);
    QWidget* layout = dialog.Layout();
    auto* list = layout ? Named<QListWidget>(layout, "sections") : nullptr;
    if (!list) return std::nullopt;
    list->addItems(sections);
    list->setCurrentRow(0);
    // A double click chooses, as in any list of choices.
    QObject::connect(list, &QListWidget::itemActivated, &dialog, [&dialog] { dialog.done(CCommonDlg::kOk); });
    if (auto* ok = Named<QPushButton>(layout, "btnOK")) {
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(CCommonDlg::kOk); });
    }
    if (auto* cancel = Named<QPushButton>(layout, "btnCancel"))
        QObject::connect(cancel, &QPushButton::clicked, &dialog,
                         [&dialog] { dialog.done(CCommonDlg::kCancel); });
    list->setFocus();
    if (dialog.exec() != CCommonDlg::kOk || list->currentRow() < 0) return std::nullopt;
    return list->currentRow();
}

}  // namespace caraudio::app
