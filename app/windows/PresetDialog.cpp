// The preset dialogs' start-up, lists and the box's memory slots.
#include "PresetDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "CommonDialog.h"
#include "ConnectionIndicator.h"
#include "DeviceModeRecall.h"
#include "Layouts.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "SceneNameField.h"
#include "Translation.h"
#include "WindowParts.h"

namespace caraudio::app {

CDlgSysSettingEventHandler::CDlgSysSettingEventHandler(CCommonDlg& dialog, const AppServices& services,
                                                       std::function<void()> refreshMain)
    : QObject(&dialog),
      dialog_(dialog),
      s_(services),
      refreshMain_(std::move(refreshMain)),
      scenes_(storage::LoadSceneStore(services.settings.Document())) {
    QWidget* layout = dialog.Layout();
    if (!layout) return;
    devmode_ = Named<QComboBox>(layout, "combo_devmode");
    save_ = Named<QPushButton>(layout, "btnSave");
    name_ = Named<QLineEdit>(layout, "txt_input");
    pcmode_ = Named<QComboBox>(layout, "combo_pcmode");
    sending_ = Named<QWidget>(layout, "ui_sending");
    for (QPushButton* b : layout->findChildren<QPushButton*>()) {
        if (b->objectName() == "btn_close") continue;
        connect(b, &QPushButton::clicked, this, [this, name = b->objectName()] { OnButton(name); });
    }
    for (QComboBox* list : {devmode_, pcmode_})
        if (list)
            connect(list, &QComboBox::currentIndexChanged, this,
                    [this, name = list->objectName()](int index) { OnSelection(name, index); });
    // Enter after typing a name saves the scene, as "Save" does.
    if (name_) connect(name_, &QLineEdit::returnPressed, this, [this] { OnButton("btnAddPCMode"); });
    StartUp();
}

void CDlgSysSettingEventHandler::StartUp() {
    if (devmode_) {
        devmode_->clear();
        for (int slot = 1; slot <= kUserSlots; ++slot) devmode_->addItem(QString("USER-%1").arg(slot));
        devmode_->addItem(Tr("mainWindow", "Factory settings"));
        devmode_->setCurrentIndex(s_.devicePresetIndex);
        if (save_) save_->setEnabled(s_.devicePresetIndex >= 0 && s_.devicePresetIndex < kUserSlots);
    }
    if (name_) nameField_ = new SceneNameField(*name_, static_cast<int>(storage::kMaxAddedNameUnits));
    if (pcmode_) {
        pcmode_->clear();
        for (const storage::SceneRecord& scene : scenes_)
            pcmode_->addItem(QString::fromStdU16String(scene.name));
        pcmode_->setCurrentIndex(scenes_.empty() ? -1 : 0);
    }
    if (sending_) sending_->hide();
    initialized_ = true;
}

void CDlgSysSettingEventHandler::OnSelection(const QString& name, int index) {
    if (!initialized_) return;
    if (name == "combo_devmode" && save_) {
        save_->setEnabled(index >= 0 && index < kUserSlots);
    } else if (name == "combo_pcmode" && nameField_) {
        const bool valid = index >= 0 && index < static_cast<int>(scenes_.size());
        nameField_->Show(valid ? QString::fromStdU16String(scenes_[static_cast<size_t>(index)].name)
                               : QString());
    }
}

void CDlgSysSettingEventHandler::OnButton(const QString& name) {
    // A handler waits for the box while messages are handled: a second
    // click meanwhile must not start another transfer.
    if (busy_) return;
    busy_ = true;
    if (name == "btnSave")
        SaveDeviceSlot();
    else if (name == "btnRecall")
        RecallDeviceSlot();
    else if (name == "btnRecallPCMode")
        RecallScene();
    else if (name == "btnAddPCMode")
        AddScene();
    else if (name == "btnDeletePCMode")
        DeleteScene();
    else if (name == "btnImport")
        ImportScenes();
    else if (name == "btnExport")
        ExportScene();
    else if (name == "btnOK" || name == "btnCancel")
        dialog_.done(CCommonDlg::kCancel);
    busy_ = false;
}

bool CDlgSysSettingEventHandler::Connected() const {
    return BoxConnected(s_.manager, s_.db);
}

void CDlgSysSettingEventHandler::Inform(const char* text) {
    s_.prompter.Inform(&dialog_, Tr("messagebox", text));
}

void CDlgSysSettingEventHandler::ShowSending(bool on) {
    if (!sending_) return;
    sending_->setVisible(on);
    if (on) sending_->raise();
    dialog_.repaint();
    ProcessEventsFor(kSendingSettleMs);
}

void CDlgSysSettingEventHandler::SaveDeviceSlot() {
    const int slot = devmode_ ? devmode_->currentIndex() : -1;
    if (slot < 0) return Inform("A scene that does not choose to replace!");
    if (slot >= kUserSlots) return Inform("Cannot replace the current selected scene!");
    if (!Connected()) return Inform("Device not connected");
    if (!s_.prompter.Ask(&dialog_, Tr("messagebox", "Do you want to replace the selected device mode?")))
        return;
    ShowSending(true);
    const bool stored = s_.db.StoreDeviceMode(slot);
    if (stored) {
        // The next save offers the next slot, USER-8 wrapping to USER-1.
        s_.devicePresetIndex = (slot + 1) % kUserSlots;
        devmode_->setCurrentIndex(s_.devicePresetIndex);
    }
    ShowSending(false);
    Inform(stored ? "Save successfully" : "Save failed");
}

void CDlgSysSettingEventHandler::RecallDeviceSlot() {
    const int slot = devmode_ ? devmode_->currentIndex() : -1;
    if (slot < 0) return Inform("Unselected scene!");
    const char* problem = RecallDeviceModeSettled(s_.manager, s_.db, s_.session, slot, &dialog_);
    if (refreshMain_) refreshMain_();
    if (problem) Inform(problem);
}

void RunPresetDialog(const QString& layoutName, QWidget* owner, const AppServices& services,
                     std::function<void()> refreshMain) {
    CCommonDlg dialog(layoutName, owner);
    new CDlgSysSettingEventHandler(dialog, services, std::move(refreshMain));  // owned by the dialog
    dialog.exec();
}

}  // namespace caraudio::app
