#pragma once

// The whole program in the test process, against the built-in box: the real
// start-up, the real windows, a temporary data and program folder, and the
// messages the windows would show collected instead of shown.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppContext.h"
#include "Clock.h"
#include "CompactWindow.h"
#include "ConnectionIndicator.h"
#include "EmulatedHid.h"
#include "FileChooser.h"
#include "Layouts.h"
#include "MainWindow.h"
#include "MeasurementDialog.h"
#include "Prompter.h"

// Activating a window takes a moment on an idle machine and many seconds on
// one that builds and tests at once; the wait ends as soon as it is active.
inline constexpr int kWindowActiveWaitMs = 30000;

// Makes `window` the active one, as a user's click on it does. A request
// made while a closing dialog still blocks it is dropped without a word, so
// it is made again each second until it holds.
inline bool Activate(QWidget* window) {
    QElapsedTimer waited;
    waited.start();
    do {
        window->activateWindow();
        if (QTest::qWaitForWindowActive(window, 1000)) return true;
    } while (waited.elapsed() < kWindowActiveWaitMs);
    return false;
}

// Readable failure messages for texts of the windows.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace caraudio::app::test {

class RecordingPrompter final : public Prompter {
public:
    struct Message {
        QString text, title;
    };
    void Inform(QWidget*, const QString& text, const QString& title) override {
        messages.push_back({text, title});
    }
    Answer Question(QWidget*, const QString& text, const QString& title) override {
        messages.push_back({text, title});
        return answer;
    }
    std::vector<Message> messages;
    Answer answer = Answer::No;
};

// Answers the file choosers as the test says and remembers what they showed.
class ScriptedFiles final : public FileChooser {
public:
    struct Call {
        QString text, filter, suffix;
    };
    QString SaveFile(QWidget*, const QString& suggestedName, const QString& filter, const QString& suffix,
                     QString* chosenFilter) override {
        calls.push_back({suggestedName, filter, suffix});
        if (chosenFilter) *chosenFilter = filter.split(";;").value(saveFilterIndex);
        return savePath;
    }
    QStringList OpenFiles(QWidget*, const QString& title, const QString& filter) override {
        calls.push_back({title, filter, {}});
        return openPaths;
    }
    std::vector<Call> calls;
    QString savePath;
    int saveFilterIndex = 0;  // which of the offered save filters the user picks
    QStringList openPaths;
};

// Runs `act` on the next modal dialog once it is up; `act` ends it.
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

// A clock that moves only when the test moves it: runs of steps are merged
// by time, and the test decides what a pause is.
class StoppedClock final : public Clock {
public:
    uint32_t TickCount() override { return now; }
    uint32_t now = 5000000;
};

class AppRig : public ::testing::Test {
protected:
    // A program asked to end outside an event loop leaves the request
    // pending, and every later nested loop (a menu, a modal dialog) would
    // return at once: each test starts with none pending.
    AppRig() {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    // The built-in box, this test's folders and no start-up picture.
    AppOptions RigOptions() const {
        AppOptions options;
        options.hide = true;
        options.emulate = true;
        options.lockFolder = lock.path();
        options.programFolders = {program.path()};
        return options;
    }

    // Starts the program with the given tuning file (none when empty) and
    // shows the main window, as after the login.
    void Start(const QByteArray& tuning = {}, bool showMain = true) {
        ASSERT_TRUE(data.isValid() && program.isValid() && lock.isValid());
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        if (!tuning.isEmpty()) WriteProgramFile("caedata.dat", tuning);
        app = std::make_unique<AppContext>(RigOptions());
        ASSERT_TRUE(app->TakeInstanceLock());
        ASSERT_TRUE(app->Init(&prompter, &files));
        ASSERT_TRUE(app->CreateWindows());
        if (showMain) Main().show();
    }

    void WriteProgramFile(const QString& name, const QByteArray& content) {
        QDir(program.path()).mkpath(QFileInfo(name).path());
        QFile f(QDir(program.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    CMainDlg& Main() { return *app->MainWindow(); }
    ParamDatabase& Db() { return app->Db(); }
    emulator::EmulatedBox& Box() { return *app->Emulator()->FindBox("emulator:0"); }
    EffectBlock BoxImage() { return Box().Firmware().CurrentImage(); }

    template <typename T>
    T* Ctl(int id) {
        T* w = Control<T>(&Main(), id);
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }

    // Types over a field's text and leaves it with Tab, which commits what
    // was typed, as a user does.
    void Type(QWidget* field, const QString& text) {
        TypeOver(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    // The same, committed with Enter: for where Enter is what is tested.
    void TypeAndEnter(QWidget* field, const QString& text) {
        TypeOver(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void TypeOver(QWidget* field, const QString& text) {
        // Keys and focus changes reach a field only in the active window.
        EXPECT_TRUE(Activate(field->window()));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }
    // A key with modifiers, pressed in `window` as the active window.
    void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        ASSERT_TRUE(Activate(window));
        QTest::keyClick(window, key, mods);
    }
    // Lets the events the windows posted to themselves run.
    void Settle() { QTest::qWait(20); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center()); }

    // Waits, with the event loop running, until the condition holds.
    bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!condition()) {
            if (t.elapsed() > ms) return false;
            QTest::qWait(20);
        }
        return true;
    }
    // A menu runs its own event loop: act on it once it is up, however long
    // that takes on a loaded machine. Keep the result while the click that
    // opens the menu runs: a menu that closed on its own then leaves no
    // watcher behind to act on a later one.
    [[nodiscard]] std::unique_ptr<QTimer> WhenMenuShows(std::function<void(QMenu*)> act) {
        auto poll = std::make_unique<QTimer>();
        QTimer* timer = poll.get();
        QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible()) return;
            timer->stop();
            act(menu);
        });
        timer->start(10);
        return poll;
    }
    // Clicks `button` and acts on the menu it opens; false when no menu was
    // seen. On a loaded offscreen desktop a popup can close again before it
    // is seen (a late change of the active window closes popups): a user
    // would click again, and so does this.
    bool ClickForMenu(QWidget* button, const std::function<void(QMenu*)>& act) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto picker = WhenMenuShows(act);
            Click(button);
            // A menu that pops up without a loop of its own shows after the click.
            if (WaitFor([&] { return !picker->isActive(); }, 1000)) return true;
        }
        return false;
    }
    bool Connected() { return BoxConnected(app->Manager(), Db()); }

    // Picks entry `index` of a list as a user does: a click opens it, a
    // click on the entry picks it. A list ignores a release that comes too
    // soon after it opened, taking it for the end of the opening click; a
    // list that closed on its own (see ClickForMenu) is opened again.
    void Choose(QComboBox* box, int index) {
        QAbstractItemView* view = box->view();
        for (int attempt = 0; attempt < 3 && box->currentIndex() != index; ++attempt) {
            Click(box);
            if (!WaitFor([&] { return view->isVisible(); }, 1000)) continue;
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            if (!view->isVisible()) continue;
            const QPoint entry = view->visualRect(box->model()->index(index, 0)).center();
            QTest::mouseMove(view->viewport(), entry);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, entry);
            WaitFor([&] { return !view->isVisible(); }, 1000);
        }
        EXPECT_EQ(box->currentIndex(), index);
    }

    // Picks a File menu item by its text, as a user clicks it.
    void FileMenu(const QString& item) {
        QStringList offered;
        EXPECT_TRUE(ClickForMenu(Ctl<QPushButton>(9003), [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                offered << a->text();
                if (a->text() == item) menu->setActiveAction(a);
            }
            QTest::keyClick(menu, Qt::Key_Return);
        }));
        EXPECT_TRUE(offered.contains(item)) << item.toStdString();
    }
    // A file in this test's data folder, for the file choosers to offer.
    QString Write(const QString& name, const QByteArray& content) {
        const QString path = QDir(data.path()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    // What a user may pick where a file belongs, in this test's data folder:
    // a FIFO (reading one would wait for a writer for ever) or /dev/zero
    // (which never ends).
    enum class NotAFile { Fifo, Zero };
    QString Place(const QString& name, NotAFile kind) {
        const QString path = QDir(data.path()).filePath(name);
        if (kind == NotAFile::Fifo)
            EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            EXPECT_TRUE(QFile::link("/dev/zero", path));
        return path;
    }
    // The messages shown since the last call, their texts only.
    QStringList Texts() {
        QStringList out;
        for (const auto& m : prompter.messages) out << m.text;
        prompter.messages.clear();
        return out;
    }

    // The PC's image, and the box's once the throttle has sent what waits.
    EffectBlock Pc() { return Db().Block(); }
    // Clicks a measurement-panel button that opens a modal dialog and runs
    // `act` on it; the dialog is closed afterwards if `act` left it open.
    void InPanelDialog(const char* button, const std::function<void(QWidget*)>& act) {
        bool seen = false;
        OnNextModal([&](QWidget* dialog) {
            seen = true;
            act(dialog);
            if (dialog->isVisible()) dialog->close();
        });
        auto* b = Main().MeasurementPanel()->findChild<QPushButton*>(button);
        EXPECT_NE(b, nullptr) << button;
        Click(b);
        EXPECT_TRUE(seen) << button;
    }
    EffectBlock SentBox() {
        Db().Throttle().Flush();
        return BoxImage();
    }
    int Param(int index) { return Db().GetParam(index); }
    int SignedParam(int index) { return static_cast<int16_t>(Db().GetParam(index)); }
    int BoxParam(int index) { return BoxImage().Get(*FindParam(index)); }

    // After the main window's close: the window is gone, the box and the
    // lock let go. The loop was asked to end; it is run so the next test
    // starts afresh.
    void ExpectTheProgramEnded() {
        EXPECT_FALSE(Main().isVisible());
        EXPECT_FALSE(app->Lock().Held());
        EXPECT_FALSE(Db().IsConnected());
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    QTemporaryDir data, program, lock;
    RecordingPrompter prompter;
    ScriptedFiles files;
    std::unique_ptr<AppContext> app;
};

}  // namespace caraudio::app::test
