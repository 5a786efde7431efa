#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "AudioSystem.h"
#include "CommonDialog.h"
#include "MeasuringTake.h"
#include "MicCalibration.h"
#include "SkEqOverlay.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace caraudio {
class ParamDatabase;
}

namespace caraudio::widgets {
class ImpulsePreview;
class ResponsePreview;
}  // namespace caraudio::widgets

namespace caraudio::app {

class FileChooser;
class MeasureRun;
class Prompter;

// Measuring the car from the program (layout XML_MEASURE): the output that
// feeds the box and the microphone's input with their channels, what times
// the measurement (a loopback, or a chirp through a speaker), the
// microphone's calibration file, the sweep, and the channels to measure.
// "Measure channels" solos each on the box and sweeps it, a quiet test
// first; a meter shows the microphone, a bar each channel and one all.
// Each channel's response, impulse response, arrival and signal-to-noise
// ratio show as it comes; the session is kept in a folder of its own under
// `sessions`. The device lists follow a microphone plugged in or out.
class MeasureDialog final : public CCommonDlg {
    Q_OBJECT
public:
    MeasureDialog(audio::AudioSystem* audio, ParamDatabase& db, FileChooser& files, Prompter& prompter,
                  QString sessions, QWidget* parent);
    ~MeasureDialog() override;

    // What was measured, by channel, the last measurement's first; and
    // where its files are.
    const std::vector<measure::ChannelResult>& Results() const { return results_; }
    const QString& Folder() const { return folder_; }
    // The settings the results were measured through: the user's, as they
    // were when measuring began, or those a reopened session kept.
    const EffectBlock& MeasuredThrough() const { return through_; }
    // A session measured before, from its folder: its channels become
    // results as if just measured. False (said in the window) when the
    // folder holds none.
    bool OpenSession(const QString& folder);
    bool Measuring() const;

    // What the editor predicts for a channel from its last measurement
    // through the settings now, and its target: shown beside a channel
    // measured again, as after a tune.
    using Prediction = std::function<std::vector<widgets::EqOverlayCurve>(int block)>;
    void SetPrediction(Prediction prediction) { prediction_ = std::move(prediction); }

    // The controls a user sets, for the screenshots and the tests.
    void Measure();
    void MeasureAgain();
    void CancelMeasuring();

signals:
    void channelMeasured(int block);
    void measured();  // a measurement ended, whatever its ending

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void FillTexts();
    void FillDevices();
    void FillReferences();
    void ChooseCalibration();
    void ShowState();
    void ShowMeter();
    void ShowChannel(const measure::ChannelResult& r);
    void TakeDone(int block, int done, int of);
    void PositionDone(int next, int of);
    void ChannelDone(int block);
    void Finished(int ending);
    void Close();
    std::optional<analysis::SweepSettings> TypedSweep(QString& problem) const;

    audio::AudioSystem* audio_;
    ParamDatabase& db_;
    FileChooser& files_;
    Prompter& prompter_;
    QString sessions_, folder_;
    QComboBox *output_ = nullptr, *outputChannel_ = nullptr, *input_ = nullptr, *inputChannel_ = nullptr,
              *reference_ = nullptr, *repeats_ = nullptr, *positions_ = nullptr;
    QLabel *calibrationFile_ = nullptr, *status_ = nullptr, *folderText_ = nullptr;
    QLineEdit *sweepLow_ = nullptr, *sweepHigh_ = nullptr, *sweepSeconds_ = nullptr, *level_ = nullptr;
    QProgressBar *meter_ = nullptr, *all_ = nullptr;
    QPushButton *measure_ = nullptr, *again_ = nullptr, *cancel_ = nullptr;
    std::array<QCheckBox*, 6> channels_{};
    std::array<QProgressBar*, 6> progress_{};
    std::array<QLabel*, 6> result_{};
    widgets::ResponsePreview* preview_ = nullptr;
    widgets::ImpulsePreview* impulse_ = nullptr;
    QTimer *meterTimer_ = nullptr, *deviceTimer_ = nullptr;
    std::vector<audio::AudioDevice> outputs_, inputs_;
    QString calibrationPath_;
    std::optional<analysis::MicCalibration> calibration_;
    std::unique_ptr<MeasureRun> run_;
    std::vector<int> lastBlocks_;
    std::vector<measure::ChannelResult> results_;
    QString lastStatus_;
    EffectBlock through_;
    Prediction prediction_;
    bool acoustic_ = false;
};

}  // namespace caraudio::app
