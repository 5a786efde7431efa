// The main window's filter files: a measurement program's filter set
// imported into the selected channel, and the channel's bands exported.
#include <QFile>
#include <optional>

#include "AtomicFile.h"
#include "ChannelImport.h"
#include "EditSession.h"
#include "FileChooser.h"
#include "FileReadTexts.h"
#include "FilterExport.h"
#include "FilterFileTexts.h"
#include "FilterIncludes.h"
#include "FilterSetWriter.h"
#include "MainWindow.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "SectionChoiceDialog.h"
#include "StepLabels.h"
#include "Translation.h"
#include "TuningSettings.h"
#include "ValueScales.h"

namespace caraudio::app {

namespace {

QString T(const char* text) {
    return Tr("filter_files", text);
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString Label(int channel) {
    return QString::fromStdString(ChannelLabel(channel));
}

// The file's bytes, or the message saying why there are none.
bool ReadFilterFile(const QString& path, std::string& bytes, QString& problem) {
    const storage::ReadResult read = storage::ReadFile(LocalPath(path), bytes, analysis::kMaxFilterSetBytes);
    if (read.Ok()) return true;
    if (read.status == storage::ReadStatus::TooLarge)
        problem = T("The file is too large for a filter set:\n%1").arg(path);
    else
        problem = T("The file could not be read:\n%1").arg(path) + "\n\n" + FileReadReason(read);
    return false;
}

}  // namespace

void CMainDlg::ImportFilters() {
    const QString title = T("Import filters");
    const QStringList chosen =
        s_.files.OpenFiles(this, title, T("Text files") + " (*.txt);;" + T("All files") + " (*)");
    if (chosen.isEmpty()) return;
    std::string bytes;
    QString problem;
    if (!ReadFilterFile(chosen.front(), bytes, problem)) return s_.prompter.Inform(this, problem, title);
    const analysis::FilterSet set =
        analysis::ReadFilterSet(bytes, edits::FilterIncludes(LocalPath(chosen.front())));
    if (!set.Ok()) return s_.prompter.Inform(this, FilterFileRefusal(set, chosen.front()), title);
    std::string section;
    if (!set.sections.empty()) {
        QStringList names;
        for (const std::string& name : set.sections) names << QString::fromStdString(name);
        const std::optional<int> index = ChooseSection(this, names);
        if (!index) return;
        section = set.sections[static_cast<size_t>(*index)];
    }
    const std::vector<analysis::FilterLine> filters = analysis::FiltersForSection(set, section);
    const int ch = Channel();
    const GainLimits limits = s_.tuning.Gains();
    // A file of no filter lines at all (an export of a flat channel) makes
    // the channel flat.
    const bool flatWhenEmpty = set.filters.empty();
    analysis::FilterImportPlan plan =
        analysis::PlanFilterImport(filters, s_.db.Block(), ch, limits, {false, 0, flatWhenEmpty});
    // Refused before the preamp is asked about: the answer would not matter.
    if (plan.outcome == analysis::ImportOutcome::TooManyPeaking)
        return s_.prompter.Inform(this, TooManyFiltersText(plan, chosen.front()), title);
    if (plan.outcome == analysis::ImportOutcome::CannotApproximate)
        return s_.prompter.Inform(this, CannotApproximateText(plan, chosen.front()), title);
    const double preampDb = analysis::PreampForSection(set, section);
    if (preampDb != 0 && s_.prompter.Ask(this, PreampQuestion(preampDb, Label(ch)), title))
        plan =
            analysis::PlanFilterImport(filters, s_.db.Block(), ch, limits, {true, preampDb, flatWhenEmpty});
    if (plan.outcome != analysis::ImportOutcome::Planned)
        return s_.prompter.Inform(this, NothingImportedText(plan, chosen.front()), title);
    {
        EditSession::Scope step(s_.session, ChannelStep("Import filters %1", ch));
        edits::ApplyFilterImport(s_.db, ch, plan, s_.tuning.scale);
    }
    // The bands changed all at once, on the whole link group, as a reset does.
    const std::vector<int> targets = Targets(ch);
    RefreshCurveChannels(targets);
    RefreshAll();
    RefreshCurve();
    CheckGainAlert(ch);
    ImportFacts facts{Label(ch), {}, preampDb};
    for (const int i : targets)
        if (i != ch) facts.linked << Label(i);
    s_.prompter.Inform(this, ImportReport(plan, facts), title);
}

void CMainDlg::ExportFilters() {
    const QString title = T("Export filters");
    const QString rew = T("REW filter settings") + " (*.txt)";
    const QString apo = T("Equalizer APO configuration") + " (*.txt)";
    const int ch = Channel();
    QString format;
    const QString path =
        s_.files.SaveFile(this, Label(ch) + "-filters.txt", rew + ";;" + apo, "txt", &format);
    if (path.isEmpty()) return;
    const std::vector<analysis::PeakingFilter> filters = analysis::ChannelPeakingFilters(s_.db.Block(), ch);
    const std::string note = ChannelLabel(ch);
    const std::string text = format == apo ? analysis::WriteApoConfig(filters, std::nullopt, note)
                                           : analysis::WriteRewFilterSettings(filters, note);
    s_.prompter.Inform(this,
                       storage::WriteFileAtomically(LocalPath(path), text)
                           ? ExportedText(path, static_cast<int>(filters.size()), format != apo)
                           : T("The filter file could not be written:\n%1").arg(path),
                       title);
}

}  // namespace caraudio::app
