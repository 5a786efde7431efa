#pragma once

#include <QThread>
#include <memory>
#include <optional>

#include "AutoEq.h"
#include "CommonDialog.h"
#include "EffectBlock.h"
#include "MeasuredWith.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace caraudio::widgets {
class ResponsePreview;
}

namespace caraudio::app {

class Prompter;

// What a fit starts from: the channel's measurement as the editor shows it
// (smoothed, level set against the target) and the target, on the editor
// grid, and the image it is fitted into.
struct AutoEqInputs {
    int channel = 0;
    Response measured{}, target{};
    analysis::FrequencySpan measuredSpan, targetSpan;  // where each has levels
    // Where `measured` was set onto the target: the reference its level trim is against.
    analysis::FrequencySpan levelledOver;
    // What played while it was measured, already taken out of `measured`.
    analysis::MeasuredWith measuredWith = analysis::MeasuredWith::Flat;
    EffectBlock image;
    analysis::AutoEqOptions options;  // the fields' first values, the mode and the limits
};

// Auto EQ for one channel (layout XML_AUTOEQ): the fit range (empty: the
// channel's own band), maximum boost and number of bands; the range and
// level reference the fit chose, the suggested level trim, and a preview of
// what the proposed bands would do with the channel's crossovers, fitted
// again after each change. The fit runs on a thread of its own, so
// the window answers while it works; a bar shows when it takes a while.
// Apply ends the dialog with kOk and the proposal; Discard, Escape or the
// close button change nothing.
class AutoEqDialog final : public CCommonDlg {
    Q_OBJECT
public:
    AutoEqDialog(const AutoEqInputs& inputs, Prompter& prompter, QWidget* parent);
    ~AutoEqDialog() override;

    // The last fit of the fields' values, once done; Apply takes only a
    // Fitted one.
    const std::optional<analysis::AutoEqResult>& Proposal() const { return proposal_; }
    // The fields' values, to offer again next time.
    const analysis::AutoEqOptions& Options() const { return inputs_.options; }
    // The level trim that goes to the channel's volume with the bands
    // ("Apply level", off unless ticked); none when not ticked or when the
    // proposal has no trim (LevelTrimDb).
    std::optional<double> LevelTrimToApply() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    void ShowOptions();
    void FieldsTyped();
    // Starts a fit of the options in use; one that runs is let finish first.
    void Fit();
    void FitDone();
    void ShowProposal();

    AutoEqInputs inputs_;
    Prompter& prompter_;
    std::optional<analysis::AutoEqResult> proposal_;
    QThread* worker_ = nullptr;                     // the fit that runs, if any
    std::shared_ptr<analysis::AutoEqResult> done_;  // what it writes
    bool fitAgain_ = false;                         // the options changed while it ran
    QLabel *channel_ = nullptr, *mode_ = nullptr, *result_ = nullptr, *chosen_ = nullptr;
    QLabel* measuredWith_ = nullptr;  // what the measurement contains
    QCheckBox* applyLevel_ = nullptr;
    QLineEdit *rangeLow_ = nullptr, *rangeHigh_ = nullptr, *maxBoost_ = nullptr, *bands_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* apply_ = nullptr;
    widgets::ResponsePreview* preview_ = nullptr;
};

}  // namespace caraudio::app
