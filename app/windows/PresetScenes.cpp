// The "My Preset" dialog's buttons: the scenes on this computer and scene files.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>

#include "CommonDialog.h"
#include "EditSession.h"
#include "FileChooser.h"
#include "ParamDatabase.h"
#include "PresetDialog.h"
#include "Prompter.h"
#include "SceneFile.h"
#include "SceneNameField.h"
#include "StepLabels.h"
#include "Translation.h"
#include "TuningSettings.h"

namespace caraudio::app {

namespace {

QString SceneFileFilter() {
    return Tr("messagebox", "Car audio effect file") + "(*.cae)";
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

// The store is saved after every change; when config.ini cannot be written
// the change lives only until the program ends, and the user is told so.
void CDlgSysSettingEventHandler::WarnIfNotSaved(bool saved) {
    if (!saved)
        Inform("The settings file could not be written: this change is kept only until the program ends.");
}

void CDlgSysSettingEventHandler::RecallScene() {
    const int index = pcmode_ ? pcmode_->currentIndex() : -1;
    if (index < 0 || index >= static_cast<int>(scenes_.size())) return Inform("Unselected scene!");
    const bool overlay = Connected() && sending_;
    if (overlay) ShowSending(true);
    storage::RecallOutcome outcome;
    std::vector<OutOfLimit> outside;
    {
        const QString name = QString::fromStdU16String(scenes_[static_cast<size_t>(index)].name);
        EditSession::Scope step(s_.session, StepLabel("Load scene %1", {name}));
        outcome = storage::RecallScene(scenes_, index, s_.db, s_.tuning.Gains(), &outside);
    }
    if (refreshMain_) refreshMain_();
    if (overlay) ShowSending(false);
    switch (outcome) {
    case storage::RecallOutcome::Sent:
        return Inform("Call the computer scene successfully!");
    case storage::RecallOutcome::SendFailed:
        return Inform("Recall PC mode failed");
    case storage::RecallOutcome::NotConnected:
        return Inform("Device not connected");
    case storage::RecallOutcome::NoSelection:
        return Inform("Unselected scene!");
    case storage::RecallOutcome::OutOfLimits:
        return s_.prompter.Inform(&dialog_, OutOfLimitsText(outside));
    }
}

QString CDlgSysSettingEventHandler::OutOfLimitsText(const std::vector<OutOfLimit>& outside) {
    constexpr size_t kShown = 6;
    QString text = Tr("messagebox",
                      "The scene holds values outside what the box may be given (allowed in brackets), so it "
                      "was neither loaded nor sent:") +
                   "\n" + QString::fromStdString(OutOfLimitList(outside, kShown));
    if (outside.size() > kShown)
        text += Tr("messagebox", " and %1 more").arg(static_cast<qulonglong>(outside.size() - kShown));
    return text;
}

void CDlgSysSettingEventHandler::AddScene() {
    const std::u16string typed = name_ ? name_->text().toStdU16String() : std::u16string();
    const storage::AddSceneResult added = storage::AddScene(scenes_, typed, s_.db.Block(), s_.settings);
    switch (added.outcome) {
    case storage::AddSceneResult::EmptyName:
        return Inform("Name cannot be empty");
    case storage::AddSceneResult::DuplicateName:
        return Inform("A scene with the same name already exists");
    case storage::AddSceneResult::NotAppended:
        return;
    case storage::AddSceneResult::Added:
        break;
    }
    if (pcmode_) {
        pcmode_->insertItem(added.index,
                            QString::fromStdU16String(scenes_[static_cast<size_t>(added.index)].name));
        pcmode_->setCurrentIndex(added.index);
    }
    WarnIfNotSaved(added.saved);
}

void CDlgSysSettingEventHandler::DeleteScene() {
    const int index = pcmode_ ? pcmode_->currentIndex() : -1;
    if (index < 0 || index >= static_cast<int>(scenes_.size()))
        return Inform("No selection of the scene to delete!");
    if (!s_.prompter.Ask(&dialog_, Tr("messagebox", "Whether you want to delete the selected scene?")))
        return;
    bool saved = true;
    if (!storage::DeleteScene(scenes_, index, s_.settings, &saved)) return;
    pcmode_->removeItem(index);
    pcmode_->setCurrentIndex(-1);
    if (nameField_) nameField_->Show({});
    WarnIfNotSaved(saved);
}

void CDlgSysSettingEventHandler::ImportScenes() {
    const QStringList chosen = s_.files.OpenFiles(
        &dialog_, Tr("messagebox", "Please select one or more vehicle scene files"), SceneFileFilter());
    if (chosen.isEmpty()) return;
    std::vector<std::string> paths;
    for (const QString& path : chosen) paths.push_back(LocalPath(path));
    const storage::ImportReport report =
        storage::ImportSceneFiles(paths, scenes_, s_.settings, s_.tuning.Gains(), [this] {
            switch (s_.prompter.Question(&dialog_, Tr("messagebox",
                                                      "A scenario with the same name already "
                                                      "exists,Do you want to continue importing?"))) {
            case Answer::Yes:
                return storage::DuplicateAnswer::Yes;
            case Answer::No:
                return storage::DuplicateAnswer::No;
            case Answer::Closed:
                break;
            }
            return storage::DuplicateAnswer::Closed;
        });
    if (pcmode_) {
        const int selected = pcmode_->currentIndex();
        {
            // An empty list selects the first row put into it by itself; the
            // selection is the rule's alone.
            const QSignalBlocker quiet(pcmode_);
            for (const int index : report.importedIndices)
                pcmode_->insertItem(index,
                                    QString::fromStdU16String(scenes_[static_cast<size_t>(index)].name));
            pcmode_->setCurrentIndex(selected);
        }
        if (report.imported == 1) pcmode_->setCurrentIndex(report.importedIndices.front());
    }
    s_.prompter.Inform(&dialog_,
                       QString::fromStdString(storage::ImportSummary(report, s_.translation.Language())));
    WarnIfNotSaved(report.allSaved);
}

void CDlgSysSettingEventHandler::ExportScene() {
    const int index = pcmode_ ? pcmode_->currentIndex() : -1;
    if (index < 0 || index >= static_cast<int>(scenes_.size()))
        return Inform("Do not choose to come out of the scene!");
    const storage::SceneRecord& scene = scenes_[static_cast<size_t>(index)];
    const QString path =
        s_.files.SaveFile(&dialog_, QString::fromStdU16String(scene.name), SceneFileFilter(), "cae");
    if (path.isEmpty()) return;
    Inform(storage::ExportSceneFile(scene, LocalPath(path)).Ok() ? "Exporting the scene successfully"
                                                                 : "Failed to export effect to file");
}

}  // namespace caraudio::app
