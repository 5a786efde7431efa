#pragma once

#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "CarTune.h"
#include "ChannelImpulses.h"
#include "CommonDialog.h"
#include "ImpulseResponse.h"

class QComboBox;
class QLabel;
class QPushButton;
class QThread;

namespace caraudio::widgets {
class ResponsePreview;
}

namespace caraudio::app {

class FileChooser;
class Prompter;

// The whole car tuned from one impulse response per channel (layout
// XML_TUNECAR): a file and a side per channel, what they were measured
// with, then Tune proposes delays and polarity across the crossovers,
// level trims, each channel's EQ in its band and broad corrections of the
// sum, against the measurement panel's target. The preview shows the sum
// at the seat now and tuned; the crossovers' losses and the RMS are
// written under it. The tune runs on a thread of its own. Apply ends the
// dialog with kOk and the image to take; any change of the rows takes the
// proposal away until Tune runs again.
class TuneCarDialog final : public CCommonDlg {
    Q_OBJECT
public:
    struct Inputs {
        EffectBlock image;   // the tuning now: crossovers kept, the rest is what the tune starts from
        Response target{};   // at the seat, on the editor grid
        QString targetText;  // what the target is, in words
        GainLimits limits;
    };
    // The rows start from the responses loaded before (`loaded`, by block).
    TuneCarDialog(Inputs inputs, const ChannelImpulses& loaded, FileChooser& files, Prompter& prompter,
                  QWidget* parent);
    ~TuneCarDialog() override;

    // The tuned image, while what is shown was tuned from the rows as they are.
    std::optional<EffectBlock> Proposal() const;
    // A tune runs.
    bool Tuning() const { return worker_ != nullptr; }
    // The responses in the rows (by block) and what they were measured with,
    // to keep for the editor's sum and the next tune.
    ChannelImpulses::Set Loaded() const;
    analysis::MeasuredWith With() const;

signals:
    void tuned();  // a tune finished and is shown

protected:
    void changeEvent(QEvent* e) override;

private:
    struct Row {
        QLabel *path = nullptr, *delay = nullptr, *polarity = nullptr, *level = nullptr, *bands = nullptr;
        QComboBox* side = nullptr;
        QString file;
        std::optional<analysis::ImpulseResponse> response;
    };
    void FillLists();
    void Choose(int row);
    void Clear(int row);
    void Changed();
    void Tune();
    void TuneDone();
    void ShowRows();
    void ShowResult();

    Inputs inputs_;
    FileChooser& files_;
    Prompter& prompter_;
    std::array<Row, 6> rows_;  // CH1..CH6 as shown
    QComboBox* measuredWith_ = nullptr;
    QLabel *target_ = nullptr, *status_ = nullptr;
    QPushButton *tune_ = nullptr, *apply_ = nullptr;
    widgets::ResponsePreview* preview_ = nullptr;
    QThread* worker_ = nullptr;
    std::shared_ptr<analysis::CarTuneOutcome> done_;  // written by the worker, read once it has finished
    std::optional<analysis::CarTuneOutcome> outcome_;
    std::array<int, 6> tunedRows_{};  // which row each of outcome_'s channels is
};

}  // namespace caraudio::app
