#include "Prompter.h"

#include <QLabel>
#include <QPushButton>
#include <string_view>

#include "CommonDialog.h"
#include "Layouts.h"

namespace caraudio::app {
namespace {

constexpr int kNo = 3;

// A text longer than the layout's place for it makes the box taller, the
// buttons moving down with it, so a report of many lines is read whole.
void FitText(CCommonDlg& dialog, QWidget* box, QLabel* text) {
    const int extra = text->heightForWidth(text->width()) - text->height();
    if (extra <= 0) return;
    text->resize(text->width(), text->height() + extra);
    for (QPushButton* button : box->findChildren<QPushButton*>())
        if (button->y() > text->y()) button->move(button->x(), button->y() + extra);
    box->resize(box->width(), box->height() + extra);
    dialog.setFixedSize(box->size());
}

// Runs the message box layout: Yes (or OK), No, or closed.
Answer Run(QWidget* owner, const QString& text, const QString& title, bool question) {
    CCommonDlg dialog("XML_MSGBOX", owner);
    QWidget* box = dialog.Layout();
    if (!box) return Answer::Closed;
    if (auto* t = Named<QLabel>(box, "msgtitle")) t->setText(title);
    if (auto* m = Named<QLabel>(box, "msgtext")) {
        // Texts quote files, which must never be taken for markup.
        m->setTextFormat(Qt::PlainText);
        m->setText(text);
        FitText(dialog, box, m);
    }
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
