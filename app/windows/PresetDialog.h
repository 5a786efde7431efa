#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "AppServices.h"
#include "SceneStore.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace caraudio::app {

class CCommonDlg;
class SceneNameField;

// The controller of the two preset dialogs: "Device Preset" (the box's eight
// user slots and its factory settings) and "My Preset" (the scenes kept on
// this computer, and scene files). It finds its controls by name and leaves
// out what a layout does not have.
class CDlgSysSettingEventHandler final : public QObject {
    Q_OBJECT
public:
    static constexpr int kUserSlots = 8;
    static constexpr int kFactorySlot = 8;
    static constexpr int kSendingSettleMs = 50;

    // `refreshMain` makes the main window show the image again.
    CDlgSysSettingEventHandler(CCommonDlg& dialog, const AppServices& services,
                               std::function<void()> refreshMain);

    // A click on a button, by its name.
    void OnButton(const QString& name);
    // A new selection of a list, by its name.
    void OnSelection(const QString& name, int index);

    const storage::SceneList& Scenes() const { return scenes_; }

private:
    void StartUp();
    void SaveDeviceSlot();
    void RecallDeviceSlot();
    void RecallScene();
    void AddScene();
    void DeleteScene();
    void ImportScenes();
    void ExportScene();

    // The message for a scene refused for its values.
    static QString OutOfLimitsText(const std::vector<OutOfLimit>& outside);
    void ShowSending(bool on);
    void Inform(const char* text);
    void WarnIfNotSaved(bool saved);
    bool Connected() const;

    CCommonDlg& dialog_;
    AppServices s_;
    std::function<void()> refreshMain_;
    storage::SceneList scenes_;
    QComboBox* devmode_ = nullptr;
    QPushButton* save_ = nullptr;
    QLineEdit* name_ = nullptr;
    SceneNameField* nameField_ = nullptr;  // over name_, owned by it
    QComboBox* pcmode_ = nullptr;
    QWidget* sending_ = nullptr;
    bool initialized_ = false;
    bool busy_ = false;
};

// Runs "XML_DEVICE_PRESET" or "XML_MY_PRESET" modally over `owner`.
void RunPresetDialog(const QString& layoutName, QWidget* owner, const AppServices& services,
                     std::function<void()> refreshMain);

}  // namespace caraudio::app
