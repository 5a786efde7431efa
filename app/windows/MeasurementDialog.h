#pragma once

#include <array>
#include <functional>

#include "AppServices.h"
#include "CommonDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace caraudio::app {

class ChannelImpulses;
class ChannelMeasurements;

// The selected channel's measurement on the EQ editor (layout
// XML_MEASUREMENT), beside the main window and not modal: the measurement
// file and its level column, what it was measured with, smoothing,
// reference range, target and which curves show, and which channels'
// impulse responses (loaded in the tune window) the editor sums. It follows
// the channel the main window selects. Each change is kept in
// config.ini at once and `changed` redraws the editor; a file that is not
// taken changes nothing.
class MeasurementDialog final : public CCommonDlg {
    Q_OBJECT
public:
    MeasurementDialog(ChannelMeasurements& state, ChannelImpulses& impulses, const AppServices& services,
                      std::function<void()> changed, QWidget* parent);
    ~MeasurementDialog() override;

    void ShowChannel(int channel);
    // Which channels have impulse responses to sum, after the tune window.
    void ShowSumChoices();
    int Channel() const { return channel_; }

signals:
    // The user asked for Auto EQ of the channel shown, for delays from
    // impulse responses, or for the whole car tuned from them.
    void autoEqAsked();
    void alignAsked();
    void tuneCarAsked();
    void measureAsked();

protected:
    void changeEvent(QEvent* e) override;

private:
    void FillLists();
    void ShowSetup();
    void ShowStatus();
    void ShowColumns();
    void LoadMeasurement();
    void ClearMeasurement();
    void ColumnChosen(int index);
    // A target file chosen and read; false when none was taken.
    bool LoadTarget();
    void MeasuredWithChosen(int index);
    void SmoothingChosen(int index);
    void TargetChosen(int index);
    void RangeTyped();
    void HouseTyped();
    void FlagsClicked();
    // Keeps the channel's setup in config.ini and redraws the editor.
    void Commit();
    // Asks for a file to read; empty when the user cancelled.
    QString ChooseFile(const QString& title);

    ChannelMeasurements& state_;
    ChannelImpulses& impulses_;
    AppServices s_;
    std::function<void()> changed_;
    int channel_ = 0;
    bool showing_ = false;  // the controls are being set, not edited
    QLabel *channelText_ = nullptr, *file_ = nullptr, *targetFile_ = nullptr, *status_ = nullptr;
    QComboBox *column_ = nullptr, *measuredWith_ = nullptr, *smoothing_ = nullptr, *target_ = nullptr;
    QLineEdit *rangeLow_ = nullptr, *rangeHigh_ = nullptr;
    QLineEdit *bassDb_ = nullptr, *bassHz_ = nullptr, *tiltDb_ = nullptr, *tiltHz_ = nullptr;
    QPushButton* autoEq_ = nullptr;
    QCheckBox *showMeasured_ = nullptr, *showPredicted_ = nullptr, *showTarget_ = nullptr;
    std::array<QCheckBox*, 6> sum_{};  // CH1..CH6 as shown: drawn in the editor's Sum curve
};

}  // namespace caraudio::app
