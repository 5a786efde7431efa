#include "AppContext.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstring>

#include "AccessAdvice.h"
#include "AppLogger.h"
#include "AppServices.h"
#include "AudioSystems.h"
#include "BoxIds.h"
#include "BoxTuningOnConnect.h"
#include "ChannelCurves.h"
#include "CompactWindow.h"
#include "DeviceManager.h"
#include "EmulatedAudio.h"
#include "EmulatedBoxSetup.h"
#include "FileChooser.h"
#include "FileReadTexts.h"
#include "Folders.h"
#include "HidrawDevices.h"
#include "Look.h"
#include "MainWindow.h"
#include "Prompter.h"
#include "PulseAudioSystem.h"
#include "ResumeWatcher.h"
#include "SessionHooks.h"
#include "Skin.h"
#include "StartPicture.h"

namespace caraudio::app {

// The long wait after a box arrives keeps the windows working. Device
// notifications that come meanwhile wait until it is over, so one arrival
// is handled at a time.
class AppContext::EventPump final : public MessagePump {
public:
    explicit EventPump(AppContext& app) : app_(app) {}
    void PumpFor(int milliseconds) override {
        if (app_.quitting_) return;
        busy_ = true;
        if (app_.notifier_) app_.notifier_->setEnabled(false);
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
        if (app_.notifier_) app_.notifier_->setEnabled(true);
        busy_ = false;
        if (app_.resumePending_) QTimer::singleShot(0, [&app = app_] { app.Resume(); });
    }
    bool Busy() const { return busy_; }

private:
    AppContext& app_;
    bool busy_ = false;
};

namespace {

constexpr int kTopmostMs = 500;
const char* const kFontFamilies[] = {"Microsoft YaHei", "WenQuanYi Micro Hei", "Noto Sans CJK SC"};

QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}

// A dealer's logo or watermark is a picture of a few hundred kilobytes.
constexpr size_t kMaxSkinBytes = 16u << 20;

// Why the emulated box cannot start on its memory file; the program then ends.
QString EmulatorFileRefusal(const emulator::EmulatedSetup& setup, const QString& file) {
    switch (setup.result) {
    case emulator::EmulatedSetupResult::Ready:
        break;
    case emulator::EmulatedSetupResult::DamagedFile:
        return Tr("messagebox", "%1 is not the memory of an emulated box, or it is damaged.").arg(file);
    case emulator::EmulatedSetupResult::Unreadable:
        return Tr("messagebox",
                  "The emulated box's memory cannot be read:\n%1\n\n%2\n\nThe file is left as it is.")
            .arg(file, FileReadReason(setup.read));
    case emulator::EmulatedSetupResult::InUse:
        return Tr("messagebox",
                  "The emulated box's memory is in use by another program:\n%1\n\nClose that program, or "
                  "give this one a file of its own.")
            .arg(file);
    case emulator::EmulatedSetupResult::LockFailed:
        return Tr("messagebox", "The emulated box's memory cannot be locked:\n%1\n\n%2")
            .arg(ToQ(setup.lockPath), FileReadReason({storage::ReadStatus::Failed, setup.lockError}));
    }
    return {};
}

}  // namespace

AppContext::AppContext(AppOptions options)
    : options_(std::move(options)),
      lock_(options_.lockFolder.toStdString()),
      dataFolder_(storage::DataFolder()),
      sessionEvents_(std::make_unique<SessionEvents>()) {
    settings_ = std::make_unique<storage::Settings>(dataFolder_);
    if (options_.programFolders.isEmpty())
        for (const std::string& folder : storage::ReadOnlyFolders()) options_.programFolders << ToQ(folder);
}

AppContext::~AppContext() {
    DestroyWindows();
    notifier_.reset();
    resume_.reset();
    // The box is closed and the receive thread stopped before anything it
    // could still reach goes away.
    if (manager_) manager_->RegisterDeviceNotifications(false);
    manager_.reset();
    db_.SetDeviceLink(nullptr);
    db_.SetDebugLog(nullptr);
    backend_.reset();
    picture_.reset();
    lock_.Release();
}

CMiniDlg* AppContext::CompactWindow() const {
    return compact_.data();
}

bool AppContext::TakeInstanceLock() {
    if (!lock_.TryLock()) return false;
    // Read only by the copy that runs: a damaged file is set aside once.
    settingsLoad_ = settings_->Load();
    return true;
}

QString AppContext::FindProgramFile(const QString& relative) const {
    for (const QString& folder : options_.programFolders) {
        const QString path = QDir(folder).filePath(relative);
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

bool AppContext::Init(Prompter* prompter, FileChooser* files) {
    if (!options_.hide) {
        picture_ = std::make_unique<StartPicture>();
        picture_->ShowNow();
        QEventLoop settle;
        QTimer::singleShot(kPictureSettleMs, &settle, &QEventLoop::quit);
        settle.exec();
    }
    if (!prompter) ownPrompter_ = std::make_unique<MessageBoxPrompter>();
    prompter_ = prompter ? prompter : ownPrompter_.get();
    if (!files) ownFiles_ = std::make_unique<QtFileChooser>();
    files_ = files ? files : ownFiles_.get();
    if (!QFile::exists(":/layouts/XML_MAINWND.ui") || !QFile::exists(":/layouts/XML_MAINWND2.ui")) {
        picture_.reset();
        prompter_->Inform(nullptr, "Initialization interface resource failure", "ERROR");
        return false;
    }
    InitToolkit();
    std::string tuningFile;
    std::vector<std::string> folders;
    for (const QString& f : options_.programFolders) folders.push_back(f.toStdString());
    std::vector<storage::RefusedFile> refused;
    tuning_ = storage::LoadTuningSettings(folders, &tuningFile, &refused);
    for (const storage::RefusedFile& r : refused)
        logger_->Log(LogLevel::Warn,
                     storage::ReadProblemText(r.path, r.why, storage::kMaxTuningFileBytes) + "; passed over");
    logger_->Log(LogLevel::Info,
                 tuningFile.empty() ? "no tuning file; defaults in use" : "tuning file " + tuningFile);
    return InitDevice();
}

void AppContext::InitToolkit() {
    QFont font;
    font.setFamilies(QStringList(std::begin(kFontFamilies), std::end(kFontFamilies)));
    font.setPixelSize(13);
    QApplication::setFont(font);
    QApplication::setPalette(ProgramPalette());
    const QString logFolder = dataFolder_.empty() ? QString() : QDir(ToQ(dataFolder_)).filePath("log");
    logger_ = std::make_unique<AppLogger>(logFolder, options_.verbose ? LogLevel::Trace : LogLevel::Info,
                                          options_.verbose);
    linkLog_ = LinkLog(options_.verbose ? logger_.get() : nullptr, logger_.get());
    if (options_.verbose) db_.SetDebugLog(logger_.get());
    if (settingsLoad_ == storage::Settings::LoadResult::Damaged)
        logger_->Log(LogLevel::Warn, "config.ini was damaged; kept as " + settings_->SetAsidePath());
    else if (settingsLoad_ == storage::Settings::LoadResult::Unreadable)
        logger_->Log(LogLevel::Warn, storage::ReadProblemText(settings_->Path(), settings_->LoadProblem(),
                                                              storage::kMaxSettingsBytes) +
                                         "; it will not be written this run");
    else if (settingsLoad_ == storage::Settings::LoadResult::Busy)
        logger_->Log(LogLevel::Warn, "another program is changing " + settings_->Path() +
                                         "; it will not be written this run");
    translation_.Use(settings_->Language());
    // A dealer's own pictures beside the program replace ours.
    for (const auto& [file, skin] :
         {std::pair{"skin/logo.png", "skin_logo_png"}, {"skin/watermark.png", "skin_watermark_png"}}) {
        const QString path = FindProgramFile(file);
        if (path.isEmpty()) continue;
        std::string bytes;
        const storage::ReadResult read = storage::ReadFile(path.toStdString(), bytes, kMaxSkinBytes);
        const QImage image = read.Ok() ? QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                                          static_cast<int>(bytes.size()))
                                       : QImage();
        if (!read.Ok())
            logger_->Log(LogLevel::Warn, storage::ReadProblemText(path.toStdString(), read, kMaxSkinBytes));
        else if (image.isNull())
            logger_->Log(LogLevel::Warn, path.toStdString() + " is not a picture this program can read");
        else
            widgets::RegisterSkin(skin, widgets::Skin(image, 1));
    }
}

bool AppContext::InitDevice() {
    db_.SetHandshakeIds(tuning_.id1, tuning_.id2);
    auto curves = std::make_unique<ChannelCurves>();
    curves_ = curves.get();
    db_.SetCurveModels(std::move(curves));
    db_.RebuildCurveModels();
    if (options_.emulate) {
        std::unique_ptr<emulator::EmulatedHidBackend> bus;
        AppLogger* log = logger_.get();
        const std::string file = options_.emulatorFile;
        const emulator::EmulatedSetup setup = emulator::MakeEmulatedBus(
            file,
            [log, file](int error) {
                log->Log(LogLevel::Error,
                         "cannot save the emulated box to " + file + ": " + std::strerror(error));
            },
            bus);
        if (setup.result != emulator::EmulatedSetupResult::Ready) {
            prompter_->Inform(nullptr, EmulatorFileRefusal(setup, ToQ(file)), "ERROR");
            return false;
        }
        emulated_ = bus.get();
        backend_ = std::move(bus);
        if (!InitEmulatedAudio()) return false;
    } else {
        backend_ = std::make_unique<HidrawBackend>(linkLog_);
    }
    // The emulated box's sound devices first, then the sound server's.
    auto audio = std::make_unique<audio::AudioSystems>();
    if (emulatedAudio_) audio->Add(std::move(emulatedAudio_));
    audio->Add(std::make_unique<audio::PulseAudioSystem>());
    audio_ = std::move(audio);
    pump_ = std::make_unique<EventPump>(*this);
    manager_ = std::make_unique<CDeviceManager>(*backend_, db_, kBoxVendorId, kBoxProductId, linkLog_,
                                                sleeper_, *pump_);
    db_.SetDeviceLink(manager_.get());
    if (!manager_->CreateRecvThread()) {
        logger_->Log(LogLevel::Fatal, "cannot start the receive thread");
        return false;
    }
    manager_->SetWindowHooks({[this](int lParam) {
                                  if (lParam == CDeviceManager::kConnectedLParam && db_.IsConnected())
                                      SettleTuningWithBox(db_, session_, *prompter_, main_.get());
                                  if (main_) main_->RefreshAll();
                              },
                              [this](int timerId, int delayMs) {
                                  if (compact_) compact_->StartTimer(timerId, delayMs);
                              }});
    if (manager_->RefreshDeviceList() <= 0 || !manager_->ConnectDevice(0)) db_.RebuildCurveModels();
    LogUnopenedBoxes();
    resume_ = std::make_unique<ResumeWatcher>();
    QObject::connect(resume_.get(), &ResumeWatcher::resumed, [this] { Resume(); });
    if (!resume_->Listening())
        logger_->Log(LogLevel::Info, "no system bus: waking from sleep is not followed");
    return true;
}

bool AppContext::CreateWindows() {
    services_ = std::make_unique<AppServices>(
        AppServices{db_, session_, *sessionEvents_, *curves_, *manager_, *settings_, tuning_, translation_,
                    *prompter_, *files_, devicePresetIndex_, options_.programFolders, audio_.get()});
    session_.SetObserver([events = sessionEvents_.get()](EditSession::Change change) {
        if (change == EditSession::Change::Tuning) emit events->tuningReplaced();
        emit events->stepsChanged();
    });
    main_ = std::make_unique<CMainDlg>(*services_);
    if (!main_->HasLayout()) return false;
    main_->setWindowTitle(QApplication::applicationDisplayName());
    main_->InitMainWindow();
    QObject::connect(main_.get(), &CMainDlg::closed, [this] { Quit(); });
    // The main window follows the boxes that come and go, from the start.
    if (manager_->RegisterDeviceNotifications(true) && manager_->NotificationFd() >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(manager_->NotificationFd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                         [this] { DispatchDeviceNotifications(); });
    }
    compact_ = new CMiniDlg(*services_, *main_);
    if (!compact_->HasLayout()) return false;
    QObject::connect(compact_.data(), &CMiniDlg::closed, [this] { Quit(); });
    compact_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    compact_->show();
    compact_->StartTimer(CMiniDlg::kTopmostTimerId, kTopmostMs);
    picture_.reset();
    // Once the loop runs, over the window the user sees.
    QTimer::singleShot(0, compact_.data(), [this] { TellAboutTheSettingsFile(); });
    return true;
}

// The user learns once why the scenes or settings may be missing, and where
// the damaged file is.
void AppContext::TellAboutTheSettingsFile() {
    using storage::Settings;
    if (settingsLoad_ == Settings::LoadResult::Damaged)
        prompter_->Inform(compact_, Tr("messagebox",
                                       "The settings file could not be read completely. The settings "
                                       "that could be read are in use; the damaged file was kept "
                                       "as:\n%1")
                                        .arg(ToQ(settings_->SetAsidePath())));
    else if (settingsLoad_ == Settings::LoadResult::Unreadable)
        prompter_->Inform(compact_, Tr("messagebox",
                                       "The settings file cannot be read:\n%1\nIt is left as it is: "
                                       "settings changed now are kept only until the program ends.")
                                        .arg(ToQ(settings_->Path())));
    else if (settingsLoad_ == Settings::LoadResult::Busy)
        prompter_->Inform(compact_, Tr("messagebox",
                                       "Another program is changing the settings file:\n%1\nSo that its "
                                       "change is kept, settings changed now are kept only until the "
                                       "program ends.")
                                        .arg(ToQ(settings_->Path())));
    settingsLoad_ = Settings::LoadResult::Loaded;
}

void AppContext::DispatchDeviceNotifications() {
    if (pump_ && pump_->Busy()) return;
    manager_->DispatchNotifications();
    LogUnopenedBoxes();
}

// A box the user may not open looks like no box at all in the windows: the
// log says which it is and what to do, once for each new finding.
bool AppContext::InitEmulatedAudio() {
    emulator::VirtualCar car = emulator::DefaultCar();
    if (!options_.carFolder.empty()) {
        emulator::CarRead read = emulator::ReadCar(options_.carFolder);
        if (!read.ok) {
            prompter_->Inform(nullptr,
                              Tr("messagebox", "The car for the emulated microphone cannot be used:\n%1")
                                  .arg(ToQ(read.error)),
                              "ERROR");
            return false;
        }
        car = std::move(read.car);
    }
    emulator::EmulatedHidBackend* bus = emulated_;
    auto image = [bus] {
        emulator::EmulatedBox* box = bus->FindBox("emulator:0");
        return box ? box->Firmware().CurrentImage() : DefaultEffectBlock();
    };
    emulator::EmulatedAudioOptions o;
    o.seed = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch());
    emulatedAudio_ =
        std::make_unique<emulator::EmulatedAudio>(image, std::move(car), emulator::FlatMicrophone(), o);
    return true;
}

void AppContext::LogUnopenedBoxes() {
    const std::string advice = UnopenedBoxAdvice(manager_->Unopened());
    if (advice == unopenedLogged_) return;
    unopenedLogged_ = advice;
    if (!advice.empty()) logger_->Log(LogLevel::Warn, advice);
}

void AppContext::Resume() {
    if (pump_ && pump_->Busy()) {
        resumePending_ = true;
        return;
    }
    resumePending_ = false;
    if (manager_ && !quitting_) manager_->OnResume();
}

void AppContext::Quit() {
    if (quitting_) return;
    quitting_ = true;
    // Edits the throttle still holds go to the box before it is let go.
    db_.Throttle().Flush();
    lock_.Release();
    QCoreApplication::exit(0);
}

int AppContext::Run() {
    const int code = quitting_ ? 0 : QApplication::exec();
    DestroyWindows();
    return code;
}

void AppContext::DestroyWindows() {
    session_.SetObserver({});
    delete compact_.data();
    main_.reset();
}

}  // namespace caraudio::app
