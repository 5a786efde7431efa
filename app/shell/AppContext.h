#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "EditSession.h"
#include "InstanceLock.h"
#include "LinkLog.h"
#include "LinkTiming.h"
#include "ParamDatabase.h"
#include "Settings.h"
#include "Translation.h"
#include "TuningSettings.h"

class QSocketNotifier;

namespace caraudio {
class ChannelCurves;
class CDeviceManager;
class HidBackend;
namespace audio {
class AudioSystem;
}
namespace emulator {
class EmulatedHidBackend;
}
}  // namespace caraudio

namespace caraudio::app {

class AppLogger;
class CMainDlg;
class CMiniDlg;
class FileChooser;
class Prompter;
class ResumeWatcher;
class SessionEvents;
class StartPicture;
struct AppServices;

struct AppOptions {
    bool hide = false;           // "-hide": no start-up picture
    bool emulate = false;        // the in-process box in place of real ones
    std::string emulatorFile;    // where the emulated box keeps its memory
    std::string carFolder;       // the car the emulated microphone hears; empty: the built-in one
    bool verbose = false;        // traces to the log and standard error
    QString lockFolder;          // where the one-copy lock lives (empty: runtime folder)
    QStringList programFolders;  // read-only files; empty: beside the program, then the share folder
};

// The program around its windows: one copy at a time, folders, settings,
// language, the tuning file, the connection manager with its receive
// thread, the two top-level windows, and the order everything goes away.
class AppContext {
public:
    explicit AppContext(AppOptions options);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // False when another copy holds the lock: the program then exits at once.
    // Once the lock is held, config.ini is read.
    bool TakeInstanceLock();
    // Toolkit, tuning file, connection manager and first connection. The
    // message boxes and file choosers are the toolkit's unless given.
    bool Init(Prompter* prompter = nullptr, FileChooser* files = nullptr);
    // Builds both windows: the main one hidden, the compact one shown and
    // topmost for a moment. False when a layout is missing.
    bool CreateWindows();
    // The message loop, until the program is closed; then the windows go.
    int Run();
    // Ends the program as closing its window does.
    void Quit();

    ParamDatabase& Db() { return db_; }
    EditSession& Session() { return session_; }
    CDeviceManager& Manager() { return *manager_; }
    emulator::EmulatedHidBackend* Emulator() const { return emulated_; }
    // The sound devices a measurement can use: the sound server's and, with
    // --emulate, the emulated box's input and the virtual car's microphone.
    audio::AudioSystem* Audio() const { return audio_.get(); }
    CMainDlg* MainWindow() const { return main_.get(); }
    // What the windows work with; there once the windows are created.
    const AppServices& Services() const { return *services_; }
    CMiniDlg* CompactWindow() const;
    storage::Settings& Settings() { return *settings_; }
    Translation& Language() { return translation_; }
    const storage::TuningSettings& Tuning() const { return tuning_; }
    const storage::InstanceLock& Lock() const { return lock_; }
    ResumeWatcher* ResumeNotices() const { return resume_.get(); }
    // Runs one pass of the device notifications that wait (hotplug).
    void DispatchDeviceNotifications();

    static constexpr int kPictureSettleMs = 100;

private:
    class EventPump;

    void InitToolkit();
    bool InitDevice();
    bool InitEmulatedAudio();
    void DestroyWindows();
    void Resume();
    void LogUnopenedBoxes();
    void TellAboutTheSettingsFile();
    QString FindProgramFile(const QString& relative) const;

    AppOptions options_;
    storage::InstanceLock lock_;
    std::string dataFolder_;
    std::unique_ptr<storage::Settings> settings_;
    // What reading config.ini found, until the user has been told.
    storage::Settings::LoadResult settingsLoad_ = storage::Settings::LoadResult::Missing;
    storage::TuningSettings tuning_;
    Translation translation_;
    std::unique_ptr<AppLogger> logger_;
    LinkLog linkLog_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;
    std::unique_ptr<FileChooser> ownFiles_;
    FileChooser* files_ = nullptr;
    int devicePresetIndex_ = 0;
    ParamDatabase db_;
    // Undo, redo and A/B of db_'s tuning; its observer feeds sessionEvents_.
    EditSession session_{db_};
    std::unique_ptr<SessionEvents> sessionEvents_;
    ChannelCurves* curves_ = nullptr;  // owned by db_
    RealSleeper sleeper_;
    std::unique_ptr<EventPump> pump_;
    std::unique_ptr<HidBackend> backend_;
    emulator::EmulatedHidBackend* emulated_ = nullptr;
    // After backend_: it goes first, as it plays what the emulated box holds.
    std::unique_ptr<audio::AudioSystem> audio_;
    std::unique_ptr<audio::AudioSystem> emulatedAudio_;  // until it joins audio_
    std::unique_ptr<CDeviceManager> manager_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<ResumeWatcher> resume_;
    bool resumePending_ = false;
    std::string unopenedLogged_;
    std::unique_ptr<StartPicture> picture_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<CMainDlg> main_;
    QPointer<CMiniDlg> compact_;
    bool quitting_ = false;
};

}  // namespace caraudio::app
