// Enter in the program's dialogs: it presses only a button the dialog means
// for it, never the close button behind the user's back.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppRig.h"
#include "LoginDialog.h"

namespace caraudio::app::test {
namespace {

class DialogKeys : public AppRig {
protected:
    static QStringList DefaultButtons(QWidget* dialog) {
        QStringList names;
        for (const QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->isDefault()) names << b->objectName();
        return names;
    }
};

// Each dialog opened the way the program opens it.
TEST_F(DialogKeys, OnlyTheButtonsMeantForEnterAreDefault) {
    Start();
    MessageBoxPrompter boxes;
    struct Case {
        const char* what;
        std::function<void()> open;
        QStringList defaults;
    };
    const Case cases[] = {
        {"Device Preset", [&] { Click(Ctl<QPushButton>(9005)); }, {}},
        {"My Preset", [&] { Main().Command(64); }, {}},
        {"Mix", [&] { Click(Named<QPushButton>(&Main(), "btn_menu")); }, {}},
        {"Delay", [&] { Click(Ctl<QPushButton>(9002)); }, {}},
        {"About", [&] { Main().Command(63); }, {"btnOK"}},
        {"Advanced Login", [&] { RunAdvancedLogin(&Main()); }, {"btnOK"}},
        {"a message", [&] { boxes.Inform(&Main(), "Message", {}); }, {"btnOK"}},
        {"a question", [&] { boxes.Question(&Main(), "Question?", {}); }, {}},
    };
    for (const Case& c : cases) {
        QStringList defaults = {"not opened"};
        OnNextModal([&](QWidget* dialog) {
            defaults = DefaultButtons(dialog);
            Named<QPushButton>(dialog, "btn_close")->click();
        });
        c.open();
        EXPECT_EQ(defaults, c.defaults) << c.what;
    }
}

TEST_F(DialogKeys, EnterInAQuestionAnswersNothingAndInAMessageIsOk) {
    Start();
    MessageBoxPrompter boxes;
    bool openAfterEnter = false;
    OnNextModal([&](QWidget* box) {
        QTest::keyClick(box, Qt::Key_Return);
        openAfterEnter = box->isVisible();
        Named<QPushButton>(box, "btnNo")->click();
    });
    EXPECT_EQ(boxes.Question(&Main(), "Whether you want to delete the selected scene?", {}), Answer::No);
    EXPECT_TRUE(openAfterEnter);
    bool closedByEnter = false;
    OnNextModal([&](QWidget* box) {
        QTest::keyClick(box, Qt::Key_Return);
        closedByEnter = !box->isVisible();
        if (!closedByEnter) Named<QPushButton>(box, "btn_close")->click();
    });
    boxes.Inform(&Main(), "Save successfully", {});
    EXPECT_TRUE(closedByEnter);
}

// The login's OK is its default: Enter after the password checks it.
TEST_F(DialogKeys, EnterInTheLoginChecksThePassword) {
    Start();
    QString refused;
    OnNextModal([&](QWidget* login) {
        auto* field = Named<QLineEdit>(login, "txt_pwd");
        TypeAndEnter(field, "1234");
        refused = login->isVisible() ? Named<QLabel>(login, "txt_msg")->text() : "closed";
        TypeAndEnter(field, kAdvancedPassword);
    });
    EXPECT_TRUE(RunAdvancedLogin(&Main()));
    EXPECT_EQ(refused, "密码不正确");  // "Password is incorrect", in the language of a first start
}

}  // namespace
}  // namespace caraudio::app::test
