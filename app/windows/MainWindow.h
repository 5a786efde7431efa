#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "AppServices.h"
#include "AutoEq.h"
#include "ChannelImpulses.h"
#include "ChannelMeasurements.h"
#include "Clock.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;

namespace caraudio::widgets {
class SEdit2;
class SkCheckButton;
class SkEQ;
class SkRadioButton;
class SkSlider;
class SMoveThumb;
class SWindow;
struct ThumbMove;
}  // namespace caraudio::widgets

namespace caraudio::app {

class MeasurementDialog;

// The full tuning window (layout XML_MAINWND): one output channel at a time,
// every edit written at once through the model. Created hidden at start.
class CMainDlg : public QWidget, public TimerHost {
    Q_OBJECT
public:
    static constexpr int kThrottleTimerId = 1012;
    static constexpr int kAlertTimerId = 1014;
    static constexpr double kAlertPeakDb = 25.5;
    // The "Mix" button has a name but no id.
    static constexpr int kMixButton = -1;

    explicit CMainDlg(const AppServices& services, QWidget* parent = nullptr);
    ~CMainDlg() override;

    bool HasLayout() const { return layout_ != nullptr; }
    void InitMainWindow();
    void RefreshAll();
    void ShowChannel();
    void ShowChannelVolume(int channel, int raw);
    void ShowBand(int band, int channel, int rawGain);
    void UpdateSelection();
    // The six path lengths of the car map, in mm, CH1 to CH6.
    void ApplySpeakerDistances(const std::array<double, 6>& lengths);
    void CheckGainAlert(int channel);
    // Commands of the menus (10 Exit, 51/52 language, 63 About, 64 My Preset,
    // 65/66 import and export filters, 67 measurement, 68/69 copy A to B and
    // B to A).
    void Command(int id);
    // The pop-up menu of the "File" (9003), "Config" (9004) or A/B (9009) button.
    struct MenuItem {
        int id;
        QString text;
    };
    std::vector<MenuItem> MenuItems(int buttonId) const;
    // The window's timers 1012 (send throttle) and 1014 (gain alert) end here.
    void OnTimer(int timerId);

    // TimerHost: the send throttle's timer runs on this window.
    void SetTimer(int timerId, int milliseconds) override;
    void KillTimer(int timerId) override;

    bool PeqMode() const { return peq_; }
    widgets::SkEQ* Editor() const { return eq_; }
    QTimer& AlertTimer() { return alertTimer_; }
    // The measurement dialog while it is open.
    MeasurementDialog* MeasurementPanel() const;

signals:
    // The window has run its close routine; the program ends.
    void closed();

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // building
    void BuildChannelStrip();
    void BuildBandTable();
    void BuildThumbs();
    void ApplyFreqStyle();
    void FillLists();
    void Connect();
    void Retranslate();

    // events by control id
    void OnField(widgets::SEdit2* field, int id, int delta);
    void OnSlider(int id, int position);
    void OnList(int id, int index);
    void OnCheck(const QAbstractButton* button, int id);
    void OnButton(int id);
    void OnThumb(const widgets::SMoveThumb* thumb, int id, const widgets::ThumbMove& move);
    void OnDelayUnit(int unit);
    void OnInputMode(int mode);

    // undo, redo and A/B
    void WireSteps();
    // The label of the step a control of this window makes, by its id.
    std::string StepName(int id) const;
    void ShowUndoState();
    void ShowSide();
    void OnTuningReplaced();
    void SwitchSide();
    void CopySide(bool aToB);

    // editing
    void SelectChannel(int channel);
    void LinkClicked(int channel);
    void ChannelVolumeChanged(int channel, int raw);
    void BandChanged(int band, bool gainChanged);
    void BandOffClicked(int band);
    void BypassClicked(bool on);
    void ResetEq();
    void SetPeqMode(bool on);
    void MoveQHandle(int band, int pixels);
    void CompensateGain(int channel);
    void UpdateCurveBand(int band);
    void RefreshCurveChannels(const std::vector<int>& channels);
    void RefreshCurve();
    std::vector<int> Targets(int channel) const;

    // showing
    void ShowDelays();
    void ShowDelayUnit();
    void ShowIndicator();
    int Channel() const;
    bool BandFlat(int channel, int band) const;

    // device and program
    void ConnectClicked();
    void ImportFilters();
    void ExportFilters();
    void OpenMeasurementPanel();
    // Reads the measurement settings and files of every channel (at start);
    // the files that could not be read are told once the loop runs.
    void LoadMeasurements();
    // The selected channel's measurement, prediction and target on the editor.
    void ShowOverlays();
    // Auto EQ of the selected channel from its measurement, and channel
    // delays from impulse responses: each asked for in its dialog and
    // applied as one step.
    void RunAutoEq();
    void RunAlign();
    void RunTuneCar();
    void RunMeasure();
    void ShowMenu(const std::vector<MenuItem>& items);
    void SwitchLanguage(int language);
    void CloseRoutine();

    AppServices s_;
    QWidget* layout_ = nullptr;
    bool peq_ = false;
    bool refreshing_ = true;
    bool closing_ = false;
    QTimer throttleTimer_;
    QTimer alertTimer_;

    // the control map
    struct ChannelControls {
        widgets::SkCheckButton* select = nullptr;
        widgets::SkSlider* slider = nullptr;
        widgets::SEdit2* field = nullptr;
        widgets::SkCheckButton* phase = nullptr;
        widgets::SkCheckButton* mute = nullptr;
        widgets::SkCheckButton* link = nullptr;
        widgets::SkCheckButton* speaker = nullptr;
        widgets::SEdit2* delay = nullptr;
    };
    std::array<ChannelControls, 6> ch_{};
    widgets::SkSlider* masterSlider_ = nullptr;
    widgets::SEdit2* masterField_ = nullptr;
    widgets::SkCheckButton* masterMute_ = nullptr;
    struct BandControls {
        widgets::SEdit2* freq = nullptr;
        widgets::SEdit2* q = nullptr;
        widgets::SEdit2* gain = nullptr;
        widgets::SkSlider* slider = nullptr;
        widgets::SkCheckButton* off = nullptr;
    };
    std::array<BandControls, 31> band_{};
    QComboBox* hpType_ = nullptr;
    QComboBox* hpSlope_ = nullptr;
    QComboBox* lpType_ = nullptr;
    QComboBox* lpSlope_ = nullptr;
    QComboBox* release_ = nullptr;
    QComboBox* noiseGate_ = nullptr;
    QComboBox* unitList_ = nullptr;
    widgets::SEdit2* hpFreq_ = nullptr;
    widgets::SEdit2* lpFreq_ = nullptr;
    widgets::SEdit2* threshold_ = nullptr;
    widgets::SEdit2* attack_ = nullptr;
    std::array<widgets::SkRadioButton*, 3> unit_{};
    widgets::SkRadioButton* mode2_ = nullptr;
    widgets::SkRadioButton* mode4_ = nullptr;
    widgets::SkCheckButton* indicator_ = nullptr;
    widgets::SkCheckButton* bypass_ = nullptr;
    widgets::SkCheckButton* eqMode_ = nullptr;
    widgets::SkCheckButton* idToggle_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* redo_ = nullptr;
    QPushButton* side_ = nullptr;
    widgets::SkEQ* eq_ = nullptr;
    widgets::SWindow* channelLabel_ = nullptr;
    QWidget* bandIds_ = nullptr;
    QWidget* bandFreqs_ = nullptr;
    std::vector<QLabel*> stripLabels_;
    ChannelMeasurements measurements_;
    // Impulse responses loaded in the tune window, and the editor's sum of them.
    ChannelImpulses impulses_;
    QPointer<MeasurementDialog> measurementDlg_;
    analysis::AutoEqOptions autoEqOptions_;  // the Auto EQ fields as last used
};

}  // namespace caraudio::app
