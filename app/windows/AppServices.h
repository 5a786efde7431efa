#pragma once

#include <QStringList>

namespace caraudio {
class EditSession;
class ParamDatabase;
class ChannelCurves;
class CDeviceManager;
namespace storage {
class Settings;
struct TuningSettings;
}  // namespace storage
}  // namespace caraudio

namespace caraudio::audio {
class AudioSystem;
}

namespace caraudio::app {

class FileChooser;
class Prompter;
class SessionEvents;
class Translation;

// What the windows work with, owned by the application: the model, its
// edit session (undo, redo, A/B) and the session's signals, its curves, the
// connection manager, the settings and tuning file, the
// translation, the message boxes and file choosers.
struct AppServices {
    ParamDatabase& db;
    EditSession& session;
    SessionEvents& sessionEvents;
    ChannelCurves& curves;
    CDeviceManager& manager;
    storage::Settings& settings;
    const storage::TuningSettings& tuning;
    Translation& translation;
    Prompter& prompter;
    FileChooser& files;
    // The device slot the preset dialog offers first; program-wide, from 0.
    int& devicePresetIndex;
    // Where the dealer's optional files are looked for, in order.
    QStringList programFolders;
    // The sound devices a measurement plays and records through.
    audio::AudioSystem* audio = nullptr;
};

}  // namespace caraudio::app
