// The program around its windows: the command line, one copy at a time,
// the start-up picture and the dealer's own pictures.
#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>

#include "AppOptions.h"
#include "AppRig.h"
#include "AudioSystem.h"
#include "FileLock.h"
#include "InstanceLock.h"
#include "SEdit2.h"
#include "SkSlider.h"
#include "Skin.h"

namespace caraudio::app::test {
namespace {

TEST(AppArguments, ReadTheCommandLine) {
    struct Case {
        QStringList args;
        bool hide, emulate, verbose;
        std::string file;
        bool ok;
        std::string car = "";
    };
    const Case cases[] = {
        {{}, false, false, false, "", true},
        {{"-hide"}, true, false, false, "", true},
        {{"/autostart-hide"}, true, false, false, "", true},  // anywhere in the line
        {{"--emulate"}, false, true, false, "", true},
        {{"--emulate=box.mem", "--verbose", "-hide"}, true, true, true, "box.mem", true},
        {{"--emulate="}, false, true, false, "", false},
        {{"--colour"}, false, false, false, "", false},
        {{"--emulate", "--car", "my car"}, false, true, false, "", true, "my car"},
        {{"--car=saloon", "--emulate"}, false, true, false, "", true, "saloon"},
        {{"--car", "saloon"}, false, false, false, "", false},  // no emulated box to play it
        {{"--emulate", "--car="}, false, true, false, "", false},
    };
    for (const Case& c : cases) {
        AppOptions o;
        const QString problem = ParseAppArguments(QStringList{"caraudio"} + c.args, o);
        EXPECT_EQ(problem.isEmpty(), c.ok) << c.args.join(' ').toStdString();
        if (!c.ok) continue;
        EXPECT_EQ(o.hide, c.hide) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.emulate, c.emulate);
        EXPECT_EQ(o.verbose, c.verbose);
        EXPECT_EQ(o.emulatorFile, c.file);
        EXPECT_EQ(o.carFolder, c.car);
    }
}

// Answered on a machine without a display, as after installing over SSH.
TEST(Program, HelpAndVersionNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    for (const auto& [argument, starts] :
         {std::pair{"--help", "Usage: caraudio"}, {"--version", "caraudio 0."}, {"-h", "Usage: caraudio"}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(CARAUDIO_PROGRAM, {"--emulate", argument});
        ASSERT_TRUE(p.waitForFinished(10000)) << argument;
        EXPECT_EQ(p.exitCode(), 0) << argument;
        EXPECT_TRUE(p.readAllStandardOutput().startsWith(starts)) << argument;
    }
}

// The program holds the one-copy lock once it is up; looking takes nothing.
bool WaitUntilLocked(const QString& runtime) {
    for (int i = 0; i < 200; ++i) {
        if (storage::InstanceLock::HeldByAnother(runtime.toStdString())) return true;
        QTest::qWait(50);
    }
    return false;
}

// The real program, twice: the second copy defers to the first and leaves
// at once with 0.
TEST(Program, ASecondCopyExitsAtOnce) {
    QTemporaryDir runtime, data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_DATA_HOME", data.path());
    QProcess first, second;
    for (QProcess* p : {&first, &second}) p->setProcessEnvironment(env);
    first.start(CARAUDIO_PROGRAM, {"--emulate", "-hide"});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(WaitUntilLocked(runtime.path()));
    second.start(CARAUDIO_PROGRAM, {"--emulate", "-hide"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
    // However a copy ends, its lock goes with it.
    EXPECT_TRUE(storage::InstanceLock(runtime.path().toStdString()).TryLock());
}

// Asked to stop by the system, the program ends as its own close does.
TEST(Program, StopsCleanlyWhenTheSystemAsks) {
    QTemporaryDir runtime, data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_DATA_HOME", data.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(CARAUDIO_PROGRAM, {"--emulate", "-hide"});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(WaitUntilLocked(runtime.path()));
    QTest::qWait(300);  // the windows are up
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    storage::InstanceLock next(runtime.path().toStdString());
    EXPECT_TRUE(next.TryLock());
}

class StartUpTest : public AppRig {
protected:
    // Starts the program as far as its windows, with the start-up picture
    // unless the command line says otherwise.
    void InitWithPicture(const QStringList& arguments = {}) {
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        AppOptions options = RigOptions();
        options.hide = false;
        ASSERT_TRUE(ParseAppArguments(QStringList{"caraudio"} + arguments, options).isEmpty());
        app = std::make_unique<AppContext>(options);
        ASSERT_TRUE(app->Init(&prompter));
    }
    // The start-up picture as the user sees it: a shown top-level window.
    static QWidget* ShownPicture() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "StartUI" && w->isVisible()) return w;
        return nullptr;
    }
};

TEST_F(StartUpTest, ThePictureShowsCentredUntilTheWindowsAreUp) {
    InitWithPicture();
    QWidget* picture = ShownPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    const QImage shown = picture->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() - 2, shown.height() - 2), QColor(0, 156, 163));
    ASSERT_TRUE(app->CreateWindows());
    ASSERT_NE(app->CompactWindow(), nullptr);
    EXPECT_TRUE(app->CompactWindow()->isVisible());
    Settle();
    EXPECT_EQ(ShownPicture(), nullptr);
}

// What the user is told at start about a config.ini that could not be read,
// in the language the readable part of it asks for.
class SettingsFileTest : public AppRig {
protected:
    QString ConfigIni() { return QDir(data.path()).filePath("CarAudioHalvern/config.ini"); }
    void WriteConfigIni(const QByteArray& content) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(ConfigIni()).path()));
        QFile f(ConfigIni());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // The messages of the start, once the loop has run.
    QStringList StartAndRead() {
        prompter.messages.clear();
        Start({}, false);
        WaitFor([&] { return !prompter.messages.empty(); }, 300);
        QStringList texts;
        for (const auto& m : prompter.messages) texts << m.text;
        app.reset();
        return texts;
    }
};

TEST_F(SettingsFileTest, ADamagedFileIsToldOnceNamingTheCopyKept) {
    WriteConfigIni(QByteArray("[Config]\nLang=1\n[Other]\nkey=kept\n\0\0junk", 40));
    EXPECT_EQ(StartAndRead(),
              QStringList({"The settings file could not be read completely. The settings that "
                           "could be read are in use; the damaged file was kept as:\n" +
                           ConfigIni() + ".unreadable"}));
    EXPECT_TRUE(StartAndRead().isEmpty()) << "config.ini was read whole the next time";
    Start({}, false);
    EXPECT_EQ(app->Settings().Language(), kEnglish);
    EXPECT_EQ(app->Settings().Document().GetText("Other", "key"), "kept");
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsToldAndLeftAsItIs) {
    ASSERT_TRUE(QDir().mkpath(ConfigIni() + "/inside"));
    const QStringList told = StartAndRead();
    EXPECT_EQ(told, QStringList({"无法读取设置文件：\n" + ConfigIni() +
                                 "\n该文件将保持原样：现在更改的设置只保留到程序退出。"}));
    Start({}, false);
    Main().Command(52);  // English: a change that is saved at once
    EXPECT_TRUE(QFileInfo(ConfigIni() + "/inside").exists());
}

// A FIFO or /dev/zero in config.ini's place would hold the start up for
// ever: it is told as a file that cannot be read, and stays what it was.
TEST_F(SettingsFileTest, AFifoOrADeviceInItsPlaceIsToldAndLeftAsItIs) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(ConfigIni()).path()));
    for (const NotAFile kind : {NotAFile::Fifo, NotAFile::Zero}) {
        QFile::remove(ConfigIni());
        Place("CarAudioHalvern/config.ini", kind);
        EXPECT_EQ(StartAndRead(), QStringList({"无法读取设置文件：\n" + ConfigIni() +
                                               "\n该文件将保持原样：现在更改的设置只保留到程序退出。"}));
        Start({}, false);
        Main().Command(52);  // English: a change that is saved at once
        app.reset();
        EXPECT_EQ(QFileInfo(ConfigIni()).isSymLink(), kind == NotAFile::Zero);
        EXPECT_FALSE(QFileInfo(ConfigIni()).isFile());
    }
}

// The command-line tool changing the scenes as the program starts: the
// program waits, then reads the file, but never writes over the change.
TEST_F(SettingsFileTest, AFileAnotherProgramIsChangingIsReadButNotWrittenOver) {
    WriteConfigIni("[Config]\nLang=1\n");
    storage::FileLock tool(QFile::encodeName(ConfigIni() + ".lock").toStdString());
    ASSERT_EQ(tool.Take(std::chrono::milliseconds(0)), storage::FileLock::Result::Taken);
    EXPECT_EQ(StartAndRead(),
              QStringList({"Another program is changing the settings file:\n" + ConfigIni() +
                           "\nSo that its change is kept, settings changed now are kept only until the "
                           "program ends."}));
    tool.Release();
    QFile f(ConfigIni());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "[Config]\nLang=1\n");
}

// The emulated box's memory in a file the program cannot use: it says why
// and does not start, and the file stays what it was.
TEST_F(StartUpTest, AnEmulatorFileItCannotUseStopsTheStartWithTheReason) {
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    ASSERT_TRUE(QDir(data.path()).mkpath("CarAudioHalvern"));
    Write("CarAudioHalvern/config.ini", "[Config]\nLang=1\n");
    const QString fifo = Place("box.fifo", NotAFile::Fifo);
    const QString zero = Place("box.zero", NotAFile::Zero);
    const QString inUse = Write("box.used", {});
    storage::FileLock other(QFile::encodeName(inUse + ".lock").toStdString());
    ASSERT_EQ(other.Take(std::chrono::milliseconds(0)), storage::FileLock::Result::Taken);
    const QString unread =
        "The emulated box's memory cannot be read:\n%1\n\n%2\n\nThe file is left as it is.";
    const struct {
        QString file, told;
    } cases[] = {
        {fifo, unread.arg(fifo, "It is not a regular file (a FIFO).")},
        {zero, unread.arg(zero, "It is not a regular file (a device).")},
        {data.path(), unread.arg(data.path(), "It is not a regular file (a folder).")},
        {inUse, "The emulated box's memory is in use by another program:\n" + inUse +
                    "\n\nClose that program, or give this one a file of its own."},
    };
    for (const auto& c : cases) {
        AppOptions options = RigOptions();
        options.emulatorFile = QFile::encodeName(c.file).toStdString();
        app = std::make_unique<AppContext>(options);
        ASSERT_TRUE(app->TakeInstanceLock());
        prompter.messages.clear();
        EXPECT_FALSE(app->Init(&prompter, &files)) << c.file.toStdString();
        ASSERT_EQ(prompter.messages.size(), 1u) << c.file.toStdString();
        EXPECT_EQ(prompter.messages[0].text, c.told);
        app.reset();
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(zero).isSymLink());
    EXPECT_EQ(QFileInfo(inUse).size(), 0);
}

// With the emulated box come its sound devices; a car given as files that
// cannot be used stops the start and says which file and why.
TEST_F(StartUpTest, TheEmulatedBoxBringsItsSoundDevicesAndCar) {
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    ASSERT_TRUE(QDir(data.path()).mkpath("CarAudioHalvern"));
    Write("CarAudioHalvern/config.ini", "[Config]\nLang=1\n");
    app = std::make_unique<AppContext>(RigOptions());
    ASSERT_TRUE(app->TakeInstanceLock());
    ASSERT_TRUE(app->Init(&prompter, &files));
    ASSERT_NE(app->Audio(), nullptr);
    // First, before any the sound server has.
    ASSERT_FALSE(app->Audio()->Outputs().empty());
    EXPECT_EQ(app->Audio()->Outputs()[0].name, "Emulated box input");
    EXPECT_EQ(app->Audio()->Inputs()[0].name, "Emulated microphone");
    app.reset();

    AppOptions options = RigOptions();
    options.carFolder = QFile::encodeName(data.path()).toStdString();  // a folder without CH1.wav
    app = std::make_unique<AppContext>(options);
    ASSERT_TRUE(app->TakeInstanceLock());
    prompter.messages.clear();
    EXPECT_FALSE(app->Init(&prompter, &files));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "The car for the emulated microphone cannot be used:\n" +
                                             QDir(data.path()).filePath("CH1.wav") +
                                             " is missing or not a regular file");
}

// The dealer's files beside the program, each a FIFO: the program starts
// with its own, and the log says which were passed over.
TEST_F(StartUpTest, TheDealersFilesAsFifosHoldNothingUp) {
    ASSERT_TRUE(QDir(program.path()).mkpath("skin"));
    for (const char* name : {"caedata.dat", "freqstyle.xml", "skin/logo.png", "skin/watermark.png"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(QDir(program.path()).filePath(name)).constData(), 0600), 0);
    const widgets::Skin original = *widgets::FindSkin("skin_logo_png");
    Start({}, false);
    EXPECT_EQ(app->Tuning().maxvol, 20) << "the defaults";
    EXPECT_EQ(widgets::FindSkin("skin_logo_png")->Frame(0).size(), original.Frame(0).size());
    const QDir logs(QDir(data.path()).filePath("CarAudioHalvern/log"));
    QFile log(logs.filePath(logs.entryList({"main_*.log"}).value(0)));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    for (const char* name : {"caedata.dat", "skin/logo.png", "skin/watermark.png"})
        EXPECT_TRUE(text.contains(QDir(program.path()).filePath(name) + " is not a regular file (a FIFO)"))
            << name << "\n"
            << text.toStdString();
}

// The program told to stop while the user types in a field: the field
// commits while its window is still whole, not while it is taken apart.
TEST_F(StartUpTest, AFieldBeingTypedInCommitsBeforeItsWindowGoes) {
    Start();
    QLineEdit* field = Control<QLineEdit>(&Main(), 4000);
    ASSERT_NE(field, nullptr);
    TypeOver(field, "-30");
    int commits = 0, whileWhole = 0;
    QObject::connect(field, &QLineEdit::editingFinished, [&] {
        ++commits;
        if (qobject_cast<CMainDlg*>(field->window())) ++whileWhole;
    });
    app->Quit();
    app.reset();
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(whileWhole, 1);
}

TEST_F(StartUpTest, HideMeansNoPicture) {
    InitWithPicture({"-hide"});
    EXPECT_EQ(ShownPicture(), nullptr);
    ASSERT_TRUE(app->CreateWindows());
    EXPECT_EQ(ShownPicture(), nullptr);
}

TEST_F(StartUpTest, TheDealersLogoReplacesOurs) {
    const widgets::Skin original = *widgets::FindSkin("skin_logo_png");
    QImage red(12, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    WriteProgramFile("skin/logo.png", png);
    Start({}, false);
    const widgets::Skin* logo = widgets::FindSkin("skin_logo_png");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Frame(0).size(), QSize(12, 8));
    EXPECT_EQ(logo->Frame(0).pixelColor(3, 3), QColor(Qt::red));
    widgets::RegisterSkin("skin_logo_png", original);
}

TEST_F(StartUpTest, TheTuningFileGivesTheGainScale) {
    Start("[param]\nmaxvol=12\nminvol=-6\n");
    EXPECT_EQ(app->Tuning().maxvol, 12);
    auto* slider = Control<widgets::SkSlider>(&Main(), 2100);
    ASSERT_NE(slider, nullptr);
    // The band sliders run in tenths of a dB between the file's limits.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(slider->Value(), 120);
    EXPECT_EQ(static_cast<int16_t>(app->Db().GetParam(param::BandGain(app->Db().SelectedChannel(), 0))),
              1200);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(slider->Value(), -60);
}

TEST_F(StartUpTest, GainLimitsBeyondWhatTheBoxHoldsAreCut) {
    Start("[param]\nmaxvol=400\nminvol=-99999999999\n");
    EXPECT_EQ(app->Tuning().maxvol, 327);
    EXPECT_EQ(app->Tuning().minvol, -327);
    const int ch = app->Db().SelectedChannel();
    auto* field = Control<widgets::SEdit2>(&Main(), 5200);
    ASSERT_NE(field, nullptr);
    struct Case {
        const char* typed;
        int raw;
        const char* shown;
    };
    const Case cases[] = {{"400", 32700, "327.0"}, {"-400", -32700, "-327.0"}, {"327.5", 32700, "327.0"}};
    for (const Case& c : cases) {
        Type(field, c.typed);
        app->Db().Throttle().Flush();
        EXPECT_EQ(static_cast<int16_t>(app->Db().GetParam(param::BandGain(ch, 0))), c.raw) << c.typed;
        EXPECT_EQ(static_cast<int16_t>(BoxImage().Get(*FindParam(param::BandGain(ch, 0)))), c.raw) << c.typed;
        EXPECT_EQ(field->text(), c.shown) << c.typed;
    }
}

}  // namespace
}  // namespace caraudio::app::test
