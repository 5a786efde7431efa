#include "MeasurementDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "ChannelImpulses.h"
#include "ChannelMeasurements.h"
#include "FileChooser.h"
#include "Layouts.h"
#include "MeasurementFileTexts.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "Settings.h"
#include "Translation.h"
#include "TypedNumber.h"
#include "ValueScales.h"

namespace caraudio::app {

namespace {

using analysis::MeasuredWith;
using analysis::Smoothing;
using analysis::TargetKind;

QString T(const char* text) {
    return Tr("measurement", text);
}

constexpr Smoothing kSmoothings[] = {Smoothing::None,     Smoothing::Octave48, Smoothing::Octave24,
                                     Smoothing::Octave12, Smoothing::Octave6,  Smoothing::Octave3};
constexpr TargetKind kTargets[] = {TargetKind::Flat, TargetKind::House, TargetKind::File};
constexpr MeasuredWith kMeasuredWith[] = {MeasuredWith::Flat, MeasuredWith::Crossovers,
                                          MeasuredWith::Current};

QString PathText(const std::string& path) {
    return path.empty() ? T("(none)") : QString::fromStdString(path);
}

}  // namespace

MeasurementDialog::MeasurementDialog(ChannelMeasurements& state, ChannelImpulses& impulses,
                                     const AppServices& services, std::function<void()> changed,
                                     QWidget* parent)
    : CCommonDlg("XML_MEASUREMENT", parent),
      state_(state),
      impulses_(impulses),
      s_(services),
      changed_(std::move(changed)) {
    setModal(false);
    QWidget* l = Layout();
    if (!l) return;
    channelText_ = Named<QLabel>(l, "channel");
    file_ = Named<QLabel>(l, "file");
    targetFile_ = Named<QLabel>(l, "targetFile");
    status_ = Named<QLabel>(l, "status");
    column_ = Named<QComboBox>(l, "column");
    measuredWith_ = Named<QComboBox>(l, "measuredWith");
    smoothing_ = Named<QComboBox>(l, "smoothing");
    target_ = Named<QComboBox>(l, "target");
    rangeLow_ = Named<QLineEdit>(l, "rangeLow");
    rangeHigh_ = Named<QLineEdit>(l, "rangeHigh");
    bassDb_ = Named<QLineEdit>(l, "bassDb");
    bassHz_ = Named<QLineEdit>(l, "bassHz");
    tiltDb_ = Named<QLineEdit>(l, "tiltDb");
    tiltHz_ = Named<QLineEdit>(l, "tiltHz");
    showMeasured_ = Named<QCheckBox>(l, "showMeasured");
    showPredicted_ = Named<QCheckBox>(l, "showPredicted");
    showTarget_ = Named<QCheckBox>(l, "showTarget");
    if (!channelText_ || !file_ || !targetFile_ || !status_ || !column_ || !measuredWith_ || !smoothing_ ||
        !target_ || !rangeLow_ || !rangeHigh_ || !bassDb_ || !bassHz_ || !tiltDb_ || !tiltHz_ ||
        !showMeasured_ || !showPredicted_ || !showTarget_)
        return;
    FillLists();
    if (auto* b = Named<QPushButton>(l, "btnLoad"))
        connect(b, &QPushButton::clicked, this, [this] { LoadMeasurement(); });
    if (auto* b = Named<QPushButton>(l, "btnClear"))
        connect(b, &QPushButton::clicked, this, [this] { ClearMeasurement(); });
    if (auto* b = Named<QPushButton>(l, "btnTargetFile"))
        connect(b, &QPushButton::clicked, this, [this] {
            if (LoadTarget()) ShowSetup();
        });
    autoEq_ = Named<QPushButton>(l, "btnAutoEq");
    if (autoEq_) connect(autoEq_, &QPushButton::clicked, this, &MeasurementDialog::autoEqAsked);
    if (auto* b = Named<QPushButton>(l, "btnAlign"))
        connect(b, &QPushButton::clicked, this, &MeasurementDialog::alignAsked);
    if (auto* b = Named<QPushButton>(l, "btnTuneCar"))
        connect(b, &QPushButton::clicked, this, &MeasurementDialog::tuneCarAsked);
    if (auto* b = Named<QPushButton>(l, "btnMeasure"))
        connect(b, &QPushButton::clicked, this, &MeasurementDialog::measureAsked);
    connect(column_, &QComboBox::currentIndexChanged, this, &MeasurementDialog::ColumnChosen);
    connect(measuredWith_, &QComboBox::currentIndexChanged, this, &MeasurementDialog::MeasuredWithChosen);
    connect(smoothing_, &QComboBox::currentIndexChanged, this, &MeasurementDialog::SmoothingChosen);
    connect(target_, &QComboBox::currentIndexChanged, this, &MeasurementDialog::TargetChosen);
    for (QLineEdit* f : {rangeLow_, rangeHigh_})
        connect(f, &QLineEdit::editingFinished, this, &MeasurementDialog::RangeTyped);
    for (QLineEdit* f : {bassDb_, bassHz_, tiltDb_, tiltHz_})
        connect(f, &QLineEdit::editingFinished, this, &MeasurementDialog::HouseTyped);
    for (QCheckBox* c : {showMeasured_, showPredicted_, showTarget_})
        connect(c, &QCheckBox::toggled, this, &MeasurementDialog::FlagsClicked);
    for (int k = 0; k < 6; ++k) {
        QCheckBox*& box = sum_[static_cast<size_t>(k)];
        box = Named<QCheckBox>(l, (QByteArray("sum") + QByteArray::number(k + 1)).constData());
        if (!box) continue;
        connect(box, &QCheckBox::toggled, this, [this, k](bool on) {
            if (showing_) return;
            impulses_.SetInSum(BlockOfChannel(k + 1), on);
            changed_();
        });
    }
    ShowChannel(s_.db.SelectedChannel());
    ShowSumChoices();
}

void MeasurementDialog::ShowSumChoices() {
    const bool was = showing_;
    showing_ = true;
    for (int k = 0; k < 6; ++k) {
        QCheckBox* box = sum_[static_cast<size_t>(k)];
        if (!box) continue;
        const int block = BlockOfChannel(k + 1);
        const auto& loaded = impulses_.Responses()[static_cast<size_t>(block)];
        box->setEnabled(loaded.has_value());
        box->setChecked(impulses_.InSum(block));
        box->setToolTip(loaded ? loaded->file
                               : T("Load its impulse response in the tune window to draw it in the sum."));
    }
    showing_ = was;
}

void MeasurementDialog::FillLists() {
    const bool was = showing_;
    showing_ = true;
    measuredWith_->clear();
    measuredWith_->addItems({T("Flat (speaker alone)"), T("Its crossovers"), T("Its EQ and crossovers")});
    smoothing_->clear();
    smoothing_->addItems(
        {T("None"), T("1/48 octave"), T("1/24 octave"), T("1/12 octave"), T("1/6 octave"), T("1/3 octave")});
    target_->clear();
    target_->addItems({T("Flat"), T("House curve"), T("Target file")});
    showing_ = was;
}

MeasurementDialog::~MeasurementDialog() {
    // Hidden while still whole: a field that loses the focus on the way
    // finishes its edit here, not on a dialog half destroyed.
    hide();
}

void MeasurementDialog::ShowChannel(int channel) {
    channel_ = channel;
    ShowSetup();
}

void MeasurementDialog::ShowSetup() {
    if (!target_) return;
    const bool was = showing_;
    showing_ = true;
    const MeasurementSetup& s = state_.At(channel_).setup;
    channelText_->setText(QString::fromStdString(ChannelLabel(channel_)));
    file_->setText(PathText(s.file));
    ShowColumns();
    for (size_t i = 0; i < std::size(kMeasuredWith); ++i)
        if (kMeasuredWith[i] == s.measuredWith) measuredWith_->setCurrentIndex(static_cast<int>(i));
    for (size_t i = 0; i < std::size(kSmoothings); ++i)
        if (kSmoothings[i] == s.smoothing) smoothing_->setCurrentIndex(static_cast<int>(i));
    rangeLow_->setText(PlainNumber(s.range.lowHz));
    rangeHigh_->setText(PlainNumber(s.range.highHz));
    for (size_t i = 0; i < std::size(kTargets); ++i)
        if (kTargets[i] == s.target) target_->setCurrentIndex(static_cast<int>(i));
    bassDb_->setText(PlainNumber(s.house.bassDb));
    bassHz_->setText(PlainNumber(s.house.bassHz));
    tiltDb_->setText(PlainNumber(s.house.tiltDbPerDecade));
    tiltHz_->setText(PlainNumber(s.house.tiltFromHz));
    for (QLineEdit* f : {bassDb_, bassHz_, tiltDb_, tiltHz_}) f->setEnabled(s.target == TargetKind::House);
    targetFile_->setText(s.target == TargetKind::File ? PathText(s.targetFile) : QString());
    showMeasured_->setChecked(s.showMeasured);
    showPredicted_->setChecked(s.showPredicted);
    showTarget_->setChecked(s.showTarget);
    // A fit needs a measurement to fit.
    if (autoEq_) autoEq_->setEnabled(state_.At(channel_).measured.has_value());
    ShowStatus();
    showing_ = was;
}

// The file's level columns, the one shown chosen; nothing to choose from a
// file of one curve.
void MeasurementDialog::ShowColumns() {
    const ChannelMeasurements::Channel& c = state_.At(channel_);
    column_->clear();
    if (c.measured) {
        const analysis::MeasurementSource& source = c.measuredSource;
        for (int i = 0; i < static_cast<int>(source.columns.size()); ++i)
            column_->addItem(LevelColumnName(source, i));
        column_->setCurrentIndex(source.column);
    }
    column_->setEnabled(column_->count() > 1);
}

void MeasurementDialog::ShowStatus() {
    const ChannelMeasurements::Channel& c = state_.At(channel_);
    QStringList lines;
    if (!c.setup.file.empty() && !c.measured)
        lines << T("The measurement file could not be read; it is read again at the next start.");
    else if (c.setup.target == TargetKind::File && !c.target)
        lines << T("The target file could not be read; it is read again at the next start.");
    else if (c.measured && state_.Alignment(channel_) != analysis::LevelAlignment::Status::Aligned)
        lines << T("The measurement has no level inside the reference range: its level is not moved.");
    else if (const analysis::FrequencySpan used = state_.LevelledOver(channel_);
             c.measured && used != analysis::FrequencySpan{c.setup.range.lowHz, c.setup.range.highHz})
        lines << T("The measurement's level is set over %1..%2 Hz only, as much of the reference range as it "
                   "and the target cover.")
                     .arg(QString::number(used.lowHz, 'g', 6), QString::number(used.highHz, 'g', 6));
    if (c.measured && c.setup.settingsLost)
        lines << MeasuredWithSettingsLost(QString::fromStdString(ChannelLabel(channel_)),
                                          QString::fromStdString(SettingsAtLoadKey(channel_)));
    else if (c.measured && c.setup.measuredWith == MeasuredWith::Crossovers)
        lines << T("The prediction takes out %1's crossovers as they were when the measurement was loaded.")
                     .arg(QString::fromStdString(ChannelLabel(channel_)));
    else if (c.measured && c.setup.measuredWith == MeasuredWith::Current)
        lines << T("The prediction takes out %1's EQ and crossovers as they were when the measurement was "
                   "loaded.")
                     .arg(QString::fromStdString(ChannelLabel(channel_)));
    if (c.measured) lines << ReadingNotes(c.measuredSource, false);
    if (c.setup.target == TargetKind::File && c.target) lines << ReadingNotes(c.targetSource, true);
    status_->setText(lines.join('\n'));
}

QString MeasurementDialog::ChooseFile(const QString& title) {
    const QStringList chosen = s_.files.OpenFiles(
        this, title, T("Measurements") + " (*.txt *.frd *.dat);;" + T("All files") + " (*)");
    return chosen.isEmpty() ? QString() : chosen.front();
}

void MeasurementDialog::LoadMeasurement() {
    const QString title = T("Load measurement");
    const QString path = ChooseFile(title);
    if (path.isEmpty()) return;
    MeasurementFile file = ReadMeasurementFile(path);
    if (!file.Ok()) return s_.prompter.Inform(this, MeasurementFileRefusal(file, path), title);
    ChannelMeasurements::Channel& c = state_.Change(channel_);
    c.setup.file = path.toStdString();
    c.setup.column.clear();  // a new file: its own automatic choice
    // What it was taken through: the channel as it is now, before any edit.
    c.setup.settingsAtLoad = s_.db.Block();
    c.setup.settingsLost = false;
    c.measured = std::move(file.read.measurement);
    c.measuredSource = std::move(file.read.source);
    Commit();
}

void MeasurementDialog::ColumnChosen(int index) {
    const ChannelMeasurements::Channel& now = state_.At(channel_);
    if (showing_ || !now.measured || index < 0 || index == now.measuredSource.column) return;
    // By name, unless an earlier column has it too: then by number.
    const std::vector<std::string>& names = now.measuredSource.columns;
    const QString name = QString::fromStdString(names[static_cast<size_t>(index)]);
    int first = 0;
    while (QString::fromStdString(names[static_cast<size_t>(first)]).compare(name, Qt::CaseInsensitive) != 0)
        ++first;
    const std::string choice =
        !name.isEmpty() && first == index ? name.toStdString() : std::to_string(index + 1);
    const QString path = QString::fromStdString(now.setup.file);
    MeasurementFile file = ReadMeasurementFile(path, {choice});
    if (!file.Ok()) {
        ShowSetup();  // the column in use again
        return s_.prompter.Inform(this, MeasurementFileRefusal(file, path), T("Level column"));
    }
    ChannelMeasurements::Channel& c = state_.Change(channel_);
    c.setup.column = choice;
    c.measured = std::move(file.read.measurement);
    c.measuredSource = std::move(file.read.source);
    Commit();
}

void MeasurementDialog::ClearMeasurement() {
    if (state_.At(channel_).setup.file.empty()) return;
    ChannelMeasurements::Channel& c = state_.Change(channel_);
    c.setup.file.clear();
    c.setup.column.clear();
    c.setup.settingsAtLoad.reset();
    c.setup.settingsLost = false;
    c.measured.reset();
    c.measuredSource = {};
    Commit();
}

bool MeasurementDialog::LoadTarget() {
    const QString title = T("Load target");
    const QString path = ChooseFile(title);
    if (path.isEmpty()) return false;
    MeasurementFile file = ReadTargetFile(path);
    if (!file.Ok()) {
        s_.prompter.Inform(this, MeasurementFileRefusal(file, path), title);
        return false;
    }
    ChannelMeasurements::Channel& c = state_.Change(channel_);
    c.setup.target = TargetKind::File;
    c.setup.targetFile = path.toStdString();
    c.target = std::move(file.read.measurement);
    c.targetSource = std::move(file.read.source);
    Commit();
    return true;
}

void MeasurementDialog::MeasuredWithChosen(int index) {
    if (showing_ || index < 0 || index >= static_cast<int>(std::size(kMeasuredWith))) return;
    ChannelMeasurements::Channel& c = state_.Change(channel_);
    c.setup.measuredWith = kMeasuredWith[index];
    c.setup.settingsLost = false;
    // A measurement kept without its settings: the nearest there is to them
    // are the channel's settings now.
    if (c.measured && !c.setup.settingsAtLoad) c.setup.settingsAtLoad = s_.db.Block();
    Commit();
}

void MeasurementDialog::SmoothingChosen(int index) {
    if (showing_ || index < 0 || index >= static_cast<int>(std::size(kSmoothings))) return;
    state_.Change(channel_).setup.smoothing = kSmoothings[index];
    Commit();
}

void MeasurementDialog::TargetChosen(int index) {
    if (showing_ || index < 0 || index >= static_cast<int>(std::size(kTargets))) return;
    const TargetKind kind = kTargets[index];
    const ChannelMeasurements::Channel& now = state_.At(channel_);
    // A file target needs its file: the one read before, or one chosen now.
    if (kind == TargetKind::File && !now.target) {
        if (!LoadTarget()) ShowSetup();  // the target in use shows again
        return;
    }
    state_.Change(channel_).setup.target = kind;
    Commit();
}

void MeasurementDialog::RangeTyped() {
    if (showing_) return;
    const std::optional<double> low = TypedNumber(rangeLow_), high = TypedNumber(rangeHigh_);
    const analysis::ReferenceRange range{low.value_or(-1), high.value_or(-1)};
    const analysis::ReferenceRange& now = state_.At(channel_).setup.range;
    if (range.lowHz == now.lowHz && range.highHz == now.highHz) return;
    if (!low || !high || !ReferenceRangeAccepted(range)) {
        ShowSetup();  // the range in use again, before the message takes the focus
        return s_.prompter.Inform(this, ReferenceRangeRefusal(), T("Reference range"));
    }
    state_.Change(channel_).setup.range = range;
    Commit();
}

void MeasurementDialog::HouseTyped() {
    if (showing_) return;
    const std::optional<double> values[] = {TypedNumber(bassDb_), TypedNumber(bassHz_), TypedNumber(tiltDb_),
                                            TypedNumber(tiltHz_)};
    const analysis::HouseCurve house{values[0].value_or(1e9), values[1].value_or(1e9),
                                     values[2].value_or(1e9), values[3].value_or(1e9)};
    const analysis::HouseCurve& now = state_.At(channel_).setup.house;
    if (house.bassDb == now.bassDb && house.bassHz == now.bassHz &&
        house.tiltDbPerDecade == now.tiltDbPerDecade && house.tiltFromHz == now.tiltFromHz)
        return;
    if (!analysis::HouseCurveInRange(house)) {
        ShowSetup();
        return s_.prompter.Inform(this, HouseCurveRefusal(), T("House curve"));
    }
    state_.Change(channel_).setup.house = house;
    Commit();
}

void MeasurementDialog::FlagsClicked() {
    if (showing_) return;
    state_.SetShown(channel_, showMeasured_->isChecked(), showPredicted_->isChecked(),
                    showTarget_->isChecked());
    Commit();
}

void MeasurementDialog::Commit() {
    StoreMeasurementSetup(s_.settings.Document(), channel_, state_.At(channel_).setup);
    s_.settings.Save();
    if (changed_) changed_();
    ShowSetup();
}

void MeasurementDialog::changeEvent(QEvent* e) {
    // The layout's texts translate themselves; the lists are filled here.
    if (e->type() == QEvent::LanguageChange && target_) {
        FillLists();
        ShowSetup();
    }
    CCommonDlg::changeEvent(e);
}

}  // namespace caraudio::app
