#include "LoginDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CommonDialog.h"
#include "Layouts.h"
#include "Translation.h"

namespace caraudio::app {

CDlgLoginEventHandler::CDlgLoginEventHandler(CCommonDlg& dialog) : QObject(&dialog), dialog_(dialog) {
    QWidget* layout = dialog.Layout();
    if (!layout) return;
    password_ = Named<QLineEdit>(layout, "txt_pwd");
    message_ = Named<QLabel>(layout, "txt_msg");
    if (message_) message_->setStyleSheet("color: #ff4040;");
    if (auto* ok = Named<QPushButton>(layout, "btnOK")) {
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &CDlgLoginEventHandler::OnOk);
    }
    if (auto* cancel = Named<QPushButton>(layout, "btnCancel"))
        connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(CCommonDlg::kCancel); });
    if (password_) password_->setFocus();
}

void CDlgLoginEventHandler::OnOk() {
    const QString typed = password_ ? password_->text() : QString();
    if (typed.isEmpty())
        Refuse("Please enter password");
    else if (typed != QLatin1String(kAdvancedPassword))
        Refuse("Password is incorrect");
    else
        dialog_.done(CCommonDlg::kOk);
}

void CDlgLoginEventHandler::Refuse(const char* message) {
    if (message_) message_->setText(Tr("", message));
    if (password_) password_->setFocus();
}

bool RunAdvancedLogin(QWidget* owner) {
    CCommonDlg dialog("XML_ADVANCED_LOGIN", owner);
    new CDlgLoginEventHandler(dialog);  // owned by the dialog
    return dialog.exec() == CCommonDlg::kOk;
}

}  // namespace caraudio::app
