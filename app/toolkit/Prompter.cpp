#include "Prompter.h"

#include <QLabel>
#include <QPushButton>
#include <string_view>

#include "CommonDialog.h"
#include "Layouts.h"

namespace caraudio::app {
namespace {

constexpr int kNo = 3;

// Runs the message box layout: Yes (or OK), No, or closed.
Answer Run(QWidget* owner, const QString& text, const QString& title, bool question) {
    CCommonDlg dialog("XML_MSGBOX", owner);
    QWidget* box = dialog.Layout();
    if (!box) return Answer::Closed;
    if (auto* t = Named<QLabel>(box, "msgtitle")) t->setText(title);
    if (auto* m = Named<QLabel>(box, "msgtext")) m->setText(text);
    const std::pair<const char*, bool> buttons[] = {
        {"btnOK", !question}, {"btnYes", question}, {"btnNo", question}};
    for (const auto& [name, shown] : buttons)
        if (auto* b = Named<QPushButton>(box, name)) {
            b->setVisible(shown);
            // Enter is OK for a message; a question waits for Yes or No.
            b->setDefault(shown && !question);
            const int result = name == std::string_view("btnNo") ? kNo : CCommonDlg::kOk;
            QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, result] { dialog.done(result); });
        }
    const int result = dialog.exec();
    return result == CCommonDlg::kOk ? Answer::Yes : result == kNo ? Answer::No : Answer::Closed;
}

}  // namespace

void MessageBoxPrompter::Inform(QWidget* owner, const QString& text, const QString& title) {
    Run(owner, text, title, false);
}

Answer MessageBoxPrompter::Question(QWidget* owner, const QString& text, const QString& title) {
    return Run(owner, text, title, true);
}

}  // namespace caraudio::app
