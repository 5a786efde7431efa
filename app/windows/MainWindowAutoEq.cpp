// The main window's fits from measurements: Auto EQ of the selected
// channel's bands, and every channel's delay from impulse responses.
#include <algorithm>
#include <cmath>

#include "AlignDialog.h"
#include "AutoEqDialog.h"
#include "ChannelImport.h"
#include "EditSession.h"
#include "MainWindow.h"
#include "MeasurementDialog.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "SkEQ.h"
#include "StepLabels.h"
#include "Translation.h"
#include "TuningSettings.h"
#include "ValueScales.h"

namespace caraudio::app {

void CMainDlg::RunAutoEq() {
    if (!eq_ || !eq_->Model()) return;
    const int ch = Channel();
    QWidget* owner = measurementDlg_ ? static_cast<QWidget*>(measurementDlg_) : this;
    const std::optional<ChannelMeasurements::FitCurves> curves =
        measurements_.CurvesForFit(ch, eq_->Model()->Grid());
    const QString title = Tr("autoeq", "Auto EQ");
    if (!curves)
        return s_.prompter.Inform(
            owner,
            Tr("autoeq", "Load a measurement of %1 first.").arg(QString::fromStdString(ChannelLabel(ch))),
            title);
    // A level that could not be set against the target would be fitted as
    // if the whole curve were that far off.
    if (curves->alignment != analysis::LevelAlignment::Status::Aligned)
        return s_.prompter.Inform(
            owner,
            Tr("autoeq",
               "The measurement has no level inside the reference range, so it cannot be set against "
               "the target. Choose a reference range where it was measured."),
            title);
    AutoEqInputs inputs;
    inputs.channel = ch;
    inputs.measured = curves->speakerAlone;
    inputs.target = curves->target;
    inputs.measuredSpan = curves->measuredSpan;
    inputs.targetSpan = curves->targetSpan;
    inputs.measuredWith = measurements_.At(ch).setup.measuredWith;
    inputs.levelledOver = measurements_.LevelledOver(ch);
    inputs.image = s_.db.Block();
    inputs.options = autoEqOptions_;
    inputs.options.geq = !peq_;
    inputs.options.limits = s_.tuning.Gains();
    AutoEqDialog dialog(inputs, s_.prompter, owner);
    const int answer = dialog.exec();
    autoEqOptions_ = dialog.Options();
    if (answer != CCommonDlg::kOk || !dialog.Proposal()) return;
    {
        EditSession::Scope step(s_.session, ChannelStep("Auto EQ %1", ch));
        edits::ApplyBands(s_.db, ch, dialog.Proposal()->bands, s_.tuning.scale);
        // The level trim is the user's own choice, set after the gain compensation.
        if (const std::optional<double> trimDb = dialog.LevelTrimToApply()) {
            const int volume = s_.db.GetParam(param::Volume(ch)) + static_cast<int>(std::lround(*trimDb));
            s_.db.SetChannelVolume(
                ch, static_cast<uint16_t>(std::clamp(volume, int(kVolumeRaw.lo), int(kVolumeRaw.hi))));
        }
    }
    // The bands changed all at once, on the whole link group, as an import does.
    RefreshCurveChannels(Targets(ch));
    RefreshAll();
    RefreshCurve();
    CheckGainAlert(ch);
}

void CMainDlg::RunAlign() {
    QWidget* owner = measurementDlg_ ? static_cast<QWidget*>(measurementDlg_) : this;
    AlignDialog dialog(s_.files, s_.prompter, owner);
    if (dialog.exec() != CCommonDlg::kOk) return;
    const std::vector<std::pair<int, int>> delays = dialog.Delays();
    if (delays.empty()) return;
    {
        EditSession::Scope step(s_.session, StepLabel("Delays from impulse responses"));
        for (const auto& [block, raw] : delays)
            s_.db.SetParam(param::Delay(block), static_cast<uint16_t>(raw));
    }
    ShowDelays();
}

}  // namespace caraudio::app
