// The main window's fits from measurements: Auto EQ of the selected
// channel's bands, every channel's delay from impulse responses, and the
// whole car tuned from them.
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "AlignDialog.h"
#include "AutoEqDialog.h"
#include "ChannelCurves.h"
#include "ChannelImport.h"
#include "EditSession.h"
#include "EditorGrid.h"
#include "Folders.h"
#include "MainWindow.h"
#include "MeasureDialog.h"
#include "MeasurementDialog.h"
#include "MeasurementFileTexts.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "Settings.h"
#include "SkEQ.h"
#include "StepLabels.h"
#include "Translation.h"
#include "TuneCarDialog.h"
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

namespace {

// The target in words, as the measurement panel sets it.
QString TargetWords(const MeasurementSetup& setup) {
    switch (setup.target) {
    case analysis::TargetKind::Flat:
        break;
    case analysis::TargetKind::House:
        return Tr("tunecar", "house curve, %1 dB at %2 Hz, %3 dB/decade")
            .arg(setup.house.bassDb)
            .arg(setup.house.bassHz)
            .arg(setup.house.tiltDbPerDecade);
    case analysis::TargetKind::File:
        return Tr("tunecar", "target file %1")
            .arg(QFileInfo(QString::fromStdString(setup.targetFile)).fileName());
    }
    return Tr("tunecar", "flat");
}

}  // namespace

void CMainDlg::RunTuneCar() {
    QWidget* owner = measurementDlg_ ? static_cast<QWidget*>(measurementDlg_) : this;
    const int ch = Channel();
    TuneCarDialog::Inputs inputs;
    inputs.image = s_.db.Block();
    inputs.target = measurements_.TargetOnGrid(ch, analysis::EditorGrid());
    inputs.targetText = TargetWords(measurements_.At(ch).setup);
    inputs.limits = s_.tuning.Gains();
    const EffectBlock played = inputs.image;
    TuneCarDialog dialog(std::move(inputs), impulses_, s_.files, s_.prompter, owner);
    const int answer = dialog.exec();
    // The responses stay loaded for the editor's sum and the next tune,
    // measured through the settings the dialog started from.
    impulses_.Take(dialog.Loaded(), dialog.With(), played);
    if (measurementDlg_) measurementDlg_->ShowSumChoices();
    ShowOverlays();
    const std::optional<EffectBlock> tuned = dialog.Proposal();
    if (answer != CCommonDlg::kOk || !tuned) return;
    {
        // Raw values, as the tune printed them: no link or gain compensation
        // adds to what was predicted.
        EditSession::Scope step(s_.session, StepLabel("Tune car"));
        const EffectBlock now = s_.db.Block();
        for (const ParamRecord& p : Parameters())
            if (tuned->Get(p) != now.Get(p)) s_.db.SetParam(p.index, tuned->Get(p));
    }
    RefreshCurveChannels({0, 1, 2, 3, 4, 5});
    RefreshAll();
    RefreshCurve();
    ShowDelays();
}

void CMainDlg::RunMeasure() {
    QWidget* owner = measurementDlg_ ? static_cast<QWidget*>(measurementDlg_) : this;
    // Each channel measured is taken as it comes: a cancel later keeps it.
    const QString sessions = QDir(QString::fromStdString(storage::DataFolder())).filePath("measurements");
    MeasureDialog dialog(s_.audio, s_.db, s_.files, s_.prompter, sessions, owner);
    dialog.SetPrediction([this](int block) -> std::vector<widgets::EqOverlayCurve> {
        if (!measurements_.At(block).measured) return {};
        const OverlayNames names{Tr("measurement", "Measured"), Tr("measurement", "Predicted"),
                                 Tr("measurement", "Target")};
        return measurements_.Overlays(block, s_.curves.Model(block), names);
    });
    ChannelImpulses::Set responses = impulses_.Responses();
    QStringList notRead;
    connect(&dialog, &MeasureDialog::channelMeasured, this, [&](int block) {
        const measure::ChannelResult& r = dialog.Results().back();
        const QString label = QString::fromStdString(ChannelLabel(block));
        const QString text = QDir(dialog.Folder()).filePath(label + ".txt");
        // The editor's measured curve, with its phase, through the settings it was measured with.
        MeasurementFile file = ReadMeasurementFile(text);
        if (!file.Ok()) {
            notRead << MeasurementFileRefusal(file, text);
            return;
        }
        ChannelMeasurements::Channel& c = measurements_.Change(block);
        c.setup.file = text.toStdString();
        c.setup.column.clear();
        c.setup.measuredWith = analysis::MeasuredWith::Current;
        c.setup.settingsAtLoad = dialog.MeasuredThrough();
        c.setup.settingsLost = false;
        c.measured = std::move(file.read.measurement);
        c.measuredSource = std::move(file.read.source);
        StoreMeasurementSetup(s_.settings.Document(), block, c.setup);
        // Its impulse response, for the sum and the whole-car tune.
        responses[static_cast<size_t>(block)] = ChannelImpulses::Loaded{
            QDir(dialog.Folder()).filePath(label + ".wav"), {r.response, audio::kRate}};
        impulses_.Take(responses, analysis::MeasuredWith::Current, dialog.MeasuredThrough());
        s_.settings.Save();
        ShowOverlays();
        if (measurementDlg_) {
            measurementDlg_->ShowChannel(Channel());
            measurementDlg_->ShowSumChoices();
        }
    });
    dialog.exec();
    if (!notRead.isEmpty()) s_.prompter.Inform(owner, notRead.join("\n\n"), Tr("measure", "Measure"));
}

}  // namespace caraudio::app
