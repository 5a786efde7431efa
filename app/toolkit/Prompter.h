#pragma once

#include <QString>

class QWidget;

namespace caraudio::app {

// How the user ended a question.
enum class Answer { Yes, No, Closed };

// Every message the windows show to the user goes through here, so tests
// can read the messages and give the answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void Inform(QWidget* owner, const QString& text, const QString& title = {}) = 0;
    // A question with Yes and No; the box may also be closed without either.
    virtual Answer Question(QWidget* owner, const QString& text, const QString& title = {}) = 0;
    // The same where any answer but Yes is No.
    bool Ask(QWidget* owner, const QString& text, const QString& title = {}) {
        return Question(owner, text, title) == Answer::Yes;
    }
    // A question whose two buttons say what they do instead of Yes and No.
    virtual Answer Choose(QWidget* owner, const QString& text, const QString& title, const QString& yes,
                          const QString& no) {
        (void)yes, (void)no;
        return Question(owner, text, title);
    }
};

// The program's message box (layout XML_MSGBOX), run modally.
class MessageBoxPrompter final : public Prompter {
public:
    void Inform(QWidget* owner, const QString& text, const QString& title) override;
    Answer Question(QWidget* owner, const QString& text, const QString& title) override;
    Answer Choose(QWidget* owner, const QString& text, const QString& title, const QString& yes,
                  const QString& no) override;
};

// Shows nothing and answers No: for the tools that render or measure the
// windows unattended.
class SilentPrompter final : public Prompter {
public:
    void Inform(QWidget*, const QString&, const QString&) override {}
    Answer Question(QWidget*, const QString&, const QString&) override { return Answer::No; }
};

}  // namespace caraudio::app
