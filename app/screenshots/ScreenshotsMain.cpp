// Renders the program's windows to PNG files, in English and in Chinese,
// against the built-in box: what a user sees, for people to look at.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "AppContext.h"
#include "CommonDialog.h"
#include "CompactWindow.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "Prompter.h"
#include "Translation.h"

namespace {

using namespace caraudio::app;

bool Save(QWidget* w, const QDir& dir, const QString& name) {
    w->show();
    QApplication::processEvents();
    const bool ok = w->grab().save(dir.filePath(name));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(dir.filePath(name)));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    const QStringList args = QApplication::arguments();
    const QDir dir(args.size() > 1 ? args[1] : QStringLiteral("screenshots"));
    if (!QDir().mkpath(dir.path())) return 1;
    AppOptions options;
    options.hide = true;
    options.emulate = true;
    options.lockFolder = QDir::tempPath();
    SilentPrompter prompter;
    AppContext app(options);
    if (!app.Init(&prompter) || !app.CreateWindows()) return 1;
    bool ok = true;
    for (const auto& [language, suffix] : {std::pair{kEnglish, "en"}, {kChinese, "zh"}}) {
        app.Language().Use(language);
        QApplication::processEvents();
        const QString s = QString::fromLatin1(suffix);
        if (CMiniDlg* compact = app.CompactWindow()) ok = Save(compact, dir, "compact-" + s + ".png") && ok;
        app.MainWindow()->RefreshAll();
        ok = Save(app.MainWindow(), dir, "main-" + s + ".png") && ok;
        // A message box as the windows show one: grabbed once it is up.
        QTimer::singleShot(100, [&, s] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ok = Save(box, dir, "message-" + s + ".png") && ok;
                box->close();
            }
        });
        MessageBoxPrompter().Inform(nullptr, Tr("messagebox", "No device detected!"),
                                    Tr("messagebox", "Prompt"));
        CCommonDlg login("XML_ADVANCED_LOGIN");
        new CDlgLoginEventHandler(login);
        ok = Save(&login, dir, "login-" + s + ".png") && ok;
    }
    return ok ? 0 : 1;
}
