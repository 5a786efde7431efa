#include "Prompter.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
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

// Buttons that say what they do need more room than Yes and No: each grows
// to its text, the right one keeps its right edge and the gap between them
// stays.
void WidenToTheirTexts(QPushButton* left, QPushButton* right) {
    if (!left || !right) return;
    const int gap = right->x() - (left->x() + left->width());
    const int rightEdge = right->x() + right->width();
    for (QPushButton* b : {left, right})
        b->resize(std::max(b->width(), b->sizeHint().width() + 16), b->height());
    right->move(rightEdge - right->width(), right->y());
    left->move(right->x() - gap - left->width(), left->y());
}

// Runs the message box layout: Yes (or OK), No, or closed. A question's
// buttons may be given texts of their own.
Answer Run(QWidget* owner, const QString& text, const QString& title, bool question, const QString& yes = {},
           const QString& no = {}) {
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
            const QString own = name == std::string_view("btnYes")  ? yes
                                : name == std::string_view("btnNo") ? no
                                                                    : QString();
            if (!own.isEmpty()) b->setText(own);
            // Enter is OK for a message; a question waits for Yes or No.
            b->setDefault(shown && !question);
            const int result = name == std::string_view("btnNo") ? kNo : CCommonDlg::kOk;
            QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, result] { dialog.done(result); });
        }
    if (!yes.isEmpty() || !no.isEmpty())
        WidenToTheirTexts(Named<QPushButton>(box, "btnYes"), Named<QPushButton>(box, "btnNo"));
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

Answer MessageBoxPrompter::Choose(QWidget* owner, const QString& text, const QString& title,
                                  const QString& yes, const QString& no) {
    return Run(owner, text, title, true, yes, no);
}

}  // namespace caraudio::app
