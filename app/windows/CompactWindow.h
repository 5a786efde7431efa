#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "AppServices.h"

class QLabel;
class QPushButton;

namespace caraudio::widgets {
class SkCheckButton;
class SkRadioButton;
class SkRotaryKnob;
class SWindow;
}  // namespace caraudio::widgets

namespace caraudio::app {

class CMainDlg;

// The window the user sees at start (layout XML_MAINWND2): the eight device
// modes, the master or subwoofer level, mute, the connection and which A/B
// tuning is shown. "Advanced"
// leads through the login to the full window, and this one goes away.
class CMiniDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTopmostTimerId = 1011;
    static constexpr int kRefreshTimerId = 10523;
    static constexpr int kLevelMax = 60;

    CMiniDlg(const AppServices& services, CMainDlg& main, QWidget* parent = nullptr);

    bool HasLayout() const { return layout_ != nullptr; }
    void RefreshCompact();
    // Timer 1011 ends the start-up's topmost period; 10523 refreshes after
    // a device change.
    void StartTimer(int timerId, int milliseconds);
    bool TimerActive(int timerId) const;
    void OnTimer(int timerId);

    // The login; replaced by tests. True after the right password.
    std::function<bool(QWidget* owner)> runLogin;

signals:
    // The user closed the window: the program ends.
    void closed();
    // The login was passed and the full window shown.
    void advanced();

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Connect();
    void RecallPreset(int mode);
    void ShowMode();
    void ShowLevel();
    void ShowSide();
    void WriteLevel(int value);
    int Level() const;
    bool Sub() const;
    void MuteClicked();
    void ConnectClicked();
    void AdvancedClicked();

    AppServices s_;
    CMainDlg& main_;
    QWidget* layout_ = nullptr;
    bool initialised_ = false;
    bool recalling_ = false;
    bool advancing_ = false;
    QTimer topmostTimer_;
    QTimer refreshTimer_;
    std::array<widgets::SkRadioButton*, 8> presets_{};
    widgets::SkRotaryKnob* knob_ = nullptr;
    widgets::SWindow* levelText_ = nullptr;
    widgets::SkCheckButton* mute_ = nullptr;
    widgets::SkCheckButton* indicator_ = nullptr;
    widgets::SkRadioButton* master_ = nullptr;
    widgets::SkRadioButton* sub_ = nullptr;
    QLabel* side_ = nullptr;  // the A/B tuning shown
};

}  // namespace caraudio::app
