// The main window's measurement overlays: each channel's measurement,
// prediction and target on the editor, and the dialog that sets them.
#include <QTimer>

#include "MainWindow.h"
#include "MeasurementDialog.h"
#include "MeasurementFileTexts.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "Settings.h"
#include "SkEQ.h"
#include "Translation.h"
#include "ValueScales.h"

namespace caraudio::app {

MeasurementDialog* CMainDlg::MeasurementPanel() const {
    return measurementDlg_;
}

void CMainDlg::OpenMeasurementPanel() {
    if (!measurementDlg_) {
        measurementDlg_ = new MeasurementDialog(
            measurements_, impulses_, s_, [this] { ShowOverlays(); }, this);
        measurementDlg_->setAttribute(Qt::WA_DeleteOnClose);
        connect(measurementDlg_, &MeasurementDialog::autoEqAsked, this, &CMainDlg::RunAutoEq);
        connect(measurementDlg_, &MeasurementDialog::alignAsked, this, &CMainDlg::RunAlign);
        connect(measurementDlg_, &MeasurementDialog::tuneCarAsked, this, &CMainDlg::RunTuneCar);
        connect(measurementDlg_, &MeasurementDialog::measureAsked, this, &CMainDlg::RunMeasure);
    }
    measurementDlg_->ShowChannel(Channel());
    measurementDlg_->show();
    measurementDlg_->raise();
    measurementDlg_->activateWindow();
}

void CMainDlg::LoadMeasurements() {
    QStringList notRead, told;
    for (int ch = 0; ch < 6; ++ch) {
        ChannelMeasurements::Channel& c = measurements_.Change(ch);
        c.setup = LoadMeasurementSetup(s_.settings.Document(), ch);
        const QString label = QString::fromStdString(ChannelLabel(ch));
        // A file that is not there now keeps its setting: it shows again
        // once the file is back.
        auto taken = [&](const std::string& path, MeasurementFile file,
                         analysis::MeasurementSource& source) -> std::optional<analysis::Measurement> {
            if (file.Ok()) {
                source = std::move(file.read.source);
                return std::move(file.read.measurement);
            }
            notRead << label + ": " + QString::fromStdString(path);
            return std::nullopt;
        };
        const QString file = QString::fromStdString(c.setup.file);
        c.measured = file.isEmpty()
                         ? std::nullopt
                         : taken(c.setup.file, ReadMeasurementFile(file, {c.setup.column}), c.measuredSource);
        const QString target = QString::fromStdString(c.setup.targetFile);
        if (c.setup.target == analysis::TargetKind::File && !target.isEmpty())
            c.target = taken(c.setup.targetFile, ReadTargetFile(target), c.targetSource);
        if (c.setup.settingsLost)
            told << MeasuredWithSettingsLost(label, QString::fromStdString(SettingsAtLoadKey(ch)));
    }
    if (!notRead.isEmpty()) told.prepend(MeasurementFilesNotRead(notRead));
    if (told.isEmpty()) return;
    // Once the loop runs, over the window the user sees.
    QTimer::singleShot(0, this, [this, told] {
        s_.prompter.Inform(nullptr, told.join("\n\n"), Tr("measurement", "Measurement"));
    });
}

void CMainDlg::ShowOverlays() {
    if (!eq_ || !eq_->Model()) return;
    const int ch = Channel();
    if (!measurements_.HasOverlays(ch) && !impulses_.SumShown()) {
        eq_->ClearOverlayCurves();
        return;
    }
    const OverlayNames names{Tr("measurement", "Measured"), Tr("measurement", "Predicted"),
                             Tr("measurement", "Target")};
    std::vector<widgets::EqOverlayCurve> curves = measurements_.Overlays(ch, *eq_->Model(), names);
    if (impulses_.SumShown()) {
        // What the chosen channels play together at the seat with every
        // setting as it is now, on the level of the channel's target.
        const Response target = measurements_.TargetOnGrid(ch, eq_->Model()->Grid());
        curves.push_back(
            {widgets::EqOverlayRole::Sum, Tr("measurement", "Sum %1").arg(impulses_.SumChannels()),
             impulses_.SumOnGrid(s_.db.Block(), target, measurements_.At(ch).setup.range), true});
        if (!measurements_.HasOverlays(ch))
            curves.push_back({widgets::EqOverlayRole::Target, names.target, target, true});
    }
    eq_->SetOverlayCurves(std::move(curves));
}

}  // namespace caraudio::app
