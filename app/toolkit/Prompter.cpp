#include "Prompter.h"

#include <QLabel>
#include <QPushButton>
#include <string_view>

#include "CommonDialog.h"
#include "Layouts.h"

namespace caraudio::app {
namespace {

// Runs the message box layout; true when Yes (or OK) ended it.
bool Run(QWidget* owner, const QString& text, const QString& title, bool question) {
    CCommonDlg dialog("XML_MSGBOX", owner);
    QWidget* box = dialog.Layout();
    if (!box) return false;
    if (auto* t = Named<QLabel>(box, "msgtitle")) t->setText(title);
    if (auto* m = Named<QLabel>(box, "msgtext")) m->setText(text);
    const std::pair<const char*, bool> buttons[] = {
        {"btnOK", !question}, {"btnYes", question}, {"btnNo", question}};
    for (const auto& [name, shown] : buttons)
        if (auto* b = Named<QPushButton>(box, name)) {
            b->setVisible(shown);
            const bool yes = name != std::string_view("btnNo");
            QObject::connect(b, &QPushButton::clicked, &dialog,
                             [&dialog, yes] { dialog.done(yes ? CCommonDlg::kOk : CCommonDlg::kCancel); });
        }
    return dialog.exec() == CCommonDlg::kOk;
}

}  // namespace

void MessageBoxPrompter::Inform(QWidget* owner, const QString& text, const QString& title) {
    Run(owner, text, title, false);
}

bool MessageBoxPrompter::Ask(QWidget* owner, const QString& text, const QString& title) {
    return Run(owner, text, title, true);
}

}  // namespace caraudio::app
