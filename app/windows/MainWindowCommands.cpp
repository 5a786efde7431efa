// The main window's dealings with the box and the program: the connection
// indicator, the menus, the language and the close routine.
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>

#include "AboutDialog.h"
#include "ConnectionIndicator.h"
#include "MainWindow.h"
#include "ParamDatabase.h"
#include "PresetDialog.h"
#include "Prompter.h"
#include "Settings.h"
#include "SkButtons.h"
#include "Translation.h"
#include "TuningSettings.h"

namespace caraudio::app {

namespace {

constexpr int kExit = 10;
constexpr int kChineseItem = 51;
constexpr int kEnglishItem = 52;
constexpr int kAbout = 63;
constexpr int kMyPreset = 64;
constexpr int kImportFilters = 65;
constexpr int kExportFilters = 66;
constexpr int kMeasurement = 67;
constexpr int kCopyAToB = 68;
constexpr int kCopyBToA = 69;

}  // namespace

void CMainDlg::OnTimer(int timerId) {
    if (timerId == kThrottleTimerId) {
        s_.db.Throttle().OnTimer(kThrottleTimerId);
    } else if (timerId == kAlertTimerId) {
        alertTimer_.stop();
        s_.prompter.Inform(this, QString::fromStdString(s_.tuning.alertMessage), Tr("messagebox", "Notice"));
    }
}

void CMainDlg::ConnectClicked() {
    if (ToggleConnection(s_.db, s_.session, indicator_ && indicator_->isChecked(), s_.prompter))
        RefreshAll();
    else
        ShowIndicator();
}

std::vector<CMainDlg::MenuItem> CMainDlg::MenuItems(int buttonId) const {
    if (buttonId == 9003)
        return {{kMyPreset, Tr("main_menu", "My Preset")},
                {kImportFilters, Tr("main_menu", "Import filters...")},
                {kExportFilters, Tr("main_menu", "Export filters...")},
                {kMeasurement, Tr("main_menu", "Measurement...")},
                {kExit, Tr("main_menu", "Exit")}};
    if (buttonId == 9009)
        return {{kCopyAToB, Tr("main_menu", "Copy A to B")}, {kCopyBToA, Tr("main_menu", "Copy B to A")}};
    if (buttonId != 9004) return {};
    // The language item names the other language in its own script.
    const MenuItem language = s_.translation.Language() == kEnglish ? MenuItem{kChineseItem, "简体中文"}
                                                                    : MenuItem{kEnglishItem, "English"};
    return {language, {kAbout, Tr("main_menu", "About")}};
}

void CMainDlg::ShowMenu(const std::vector<MenuItem>& items) {
    QMenu menu(this);
    menu.setObjectName("XML_MENUEMPTY");
    for (const MenuItem& item : items) menu.addAction(item.text)->setData(item.id);
    if (QAction* chosen = menu.exec(QCursor::pos())) Command(chosen->data().toInt());
}

void CMainDlg::Command(int id) {
    switch (id) {
    case kExit:
        hide();
        CloseRoutine();
        break;
    case kChineseItem:
    case kEnglishItem:
        SwitchLanguage(id - kChineseItem);
        break;
    case kAbout:
        RunAboutDialog(this);
        break;
    case kMyPreset:
        RunPresetDialog("XML_MY_PRESET", this, s_, [this] { RefreshAll(); });
        break;
    case kImportFilters:
        ImportFilters();
        break;
    case kExportFilters:
        ExportFilters();
        break;
    case kMeasurement:
        OpenMeasurementPanel();
        break;
    case kCopyAToB:
    case kCopyBToA:
        CopySide(id == kCopyAToB);
        break;
    default:
        break;
    }
}

void CMainDlg::SwitchLanguage(int language) {
    s_.settings.SetLanguage(language);
    s_.settings.Save();
    // Installing the table sends every window a language change, on which
    // the layouts and the texts built in code translate again.
    s_.translation.Use(language);
}

void CMainDlg::CloseRoutine() {
    if (closing_) return;
    closing_ = true;
    alertTimer_.stop();
    // The last edits may still wait for the throttle: they go out first.
    s_.db.Throttle().Flush();
    s_.db.Disconnect();
    emit closed();
    close();
}

void CMainDlg::closeEvent(QCloseEvent* e) {
    CloseRoutine();
    e->accept();
}

}  // namespace caraudio::app
