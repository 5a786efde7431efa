#include "MeasureDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "AcousticReference.h"
#include "AtomicFile.h"
#include "CrossoverPairs.h"
#include "EditorGrid.h"
#include "FileChooser.h"
#include "ImpulseFileRead.h"
#include "ImpulseFrequencyResponse.h"
#include "ImpulsePreview.h"
#include "Layouts.h"
#include "MeasureRun.h"
#include "MeasurementFiles.h"
#include "MeasurementIndex.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "ResponsePreview.h"
#include "Smoothing.h"
#include "Translation.h"
#include "TypedNumber.h"
#include "ValueScales.h"

namespace caraudio::app {
namespace {

QString T(const char* text) {
    return Tr("measure", text);
}

QString Label(int block) {
    return QString::fromStdString(ChannelLabel(block));
}

constexpr int kRepeats[] = {1, 2, 4, 8, 16};
// Microphone positions a channel is averaged over: around the listener's head.
constexpr int kMostPositions = 5;
// The meter's scale: silence to full scale.
constexpr double kMeterFloorDbfs = -60;
// How often the meter is read, and the device lists looked at again.
constexpr int kMeterMs = 50, kDevicesMs = 2000;
// Far larger than any calibration file.
constexpr size_t kLargestCalibrationBytes = 4u << 20;
// What the impulse preview shows of a response.
constexpr double kImpulseMs = 20;

// Levels in dB on the editor's grid smoothed to 1/6 octave, as a tuner
// looks at a car; NaN where there is no level.
Response Smoothed(const Response& db) {
    const FrequencyGrid& grid = analysis::EditorGrid();
    analysis::Measurement m;
    std::vector<size_t> at;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (std::isfinite(db[static_cast<size_t>(i)])) {
            m.points.push_back({grid.Hz(i), db[static_cast<size_t>(i)], NAN});
            at.push_back(static_cast<size_t>(i));
        }
    const analysis::Measurement s = analysis::SmoothMeasurement(m, analysis::Smoothing::Octave6);
    Response out;
    out.fill(NAN);
    for (size_t k = 0; k < at.size() && k < s.points.size(); ++k) out[at[k]] = s.points[k].db;
    return out;
}

Response LevelsDb(const analysis::ComplexResponse& r) {
    Response db;
    for (size_t i = 0; i < db.size(); ++i) {
        const double level = std::abs(r[i]);
        db[i] = level > 0 ? 20 * std::log10(level) : NAN;
    }
    return db;
}

}  // namespace

MeasureDialog::MeasureDialog(audio::AudioSystem* audio, ParamDatabase& db, FileChooser& files,
                             Prompter& prompter, QString sessions, QWidget* parent)
    : CCommonDlg("XML_MEASURE", parent),
      audio_(audio),
      db_(db),
      files_(files),
      prompter_(prompter),
      sessions_(std::move(sessions)) {
    QWidget* l = Layout();
    if (!l) return;
    output_ = Named<QComboBox>(l, "output");
    outputChannel_ = Named<QComboBox>(l, "outputChannel");
    input_ = Named<QComboBox>(l, "input");
    inputChannel_ = Named<QComboBox>(l, "inputChannel");
    reference_ = Named<QComboBox>(l, "reference");
    repeats_ = Named<QComboBox>(l, "repeats");
    positions_ = Named<QComboBox>(l, "positions");
    calibrationFile_ = Named<QLabel>(l, "calibrationFile");
    status_ = Named<QLabel>(l, "status");
    folderText_ = Named<QLabel>(l, "folder");
    sweepLow_ = Named<QLineEdit>(l, "sweepLow");
    sweepHigh_ = Named<QLineEdit>(l, "sweepHigh");
    sweepSeconds_ = Named<QLineEdit>(l, "sweepSeconds");
    level_ = Named<QLineEdit>(l, "level");
    meter_ = Named<QProgressBar>(l, "meter");
    all_ = Named<QProgressBar>(l, "progressAll");
    measure_ = Named<QPushButton>(l, "btnMeasure");
    again_ = Named<QPushButton>(l, "btnMeasureAgain");
    cancel_ = Named<QPushButton>(l, "btnCancel");
    auto* close = Named<QPushButton>(l, "btnClose");
    auto* open = Named<QPushButton>(l, "btnOpen");
    auto* calibration = Named<QPushButton>(l, "btnCalibration");
    auto* calibrationClear = Named<QPushButton>(l, "btnCalibrationClear");
    auto* previewArea = Named<QWidget>(l, "preview");
    auto* impulseArea = Named<QWidget>(l, "impulse");
    if (!output_ || !outputChannel_ || !input_ || !inputChannel_ || !reference_ || !repeats_ || !positions_ ||
        !calibrationFile_ || !status_ || !folderText_ || !sweepLow_ || !sweepHigh_ || !sweepSeconds_ ||
        !level_ || !meter_ || !all_ || !measure_ || !again_ || !cancel_ || !close || !open || !calibration ||
        !calibrationClear || !previewArea || !impulseArea)
        return;
    for (int k = 0; k < 6; ++k) {
        auto name = [k](const char* base) { return QByteArray(base) + QByteArray::number(k + 1); };
        channels_[static_cast<size_t>(k)] = Named<QCheckBox>(l, name("measure").constData());
        progress_[static_cast<size_t>(k)] = Named<QProgressBar>(l, name("progress").constData());
        result_[static_cast<size_t>(k)] = Named<QLabel>(l, name("result").constData());
        if (!channels_[static_cast<size_t>(k)] || !progress_[static_cast<size_t>(k)] ||
            !result_[static_cast<size_t>(k)])
            return;
        channels_[static_cast<size_t>(k)]->setChecked(true);
    }
    preview_ = widgets::ResponsePreview::Filling(previewArea);
    impulse_ = widgets::ImpulsePreview::Filling(impulseArea);
    meter_->setRange(0, 100);
    all_->setRange(0, 100);
    for (QProgressBar* bar : progress_) bar->setRange(0, 100);
    const analysis::SweepSettings defaults;
    sweepLow_->setText(QString::number(defaults.lowHz));
    sweepHigh_->setText(QString::number(defaults.highHz));
    sweepSeconds_->setText(QString::number(defaults.seconds));
    level_->setText(QString::number(defaults.levelDbfs));
    FillDevices();
    FillTexts();
    connect(input_, &QComboBox::activated, this, [this] { FillDevices(); });
    connect(inputChannel_, &QComboBox::activated, this, [this] { FillReferences(); });
    connect(calibration, &QPushButton::clicked, this, [this] { ChooseCalibration(); });
    connect(calibrationClear, &QPushButton::clicked, this, [this] {
        calibration_.reset();
        calibrationPath_.clear();
        ShowState();
    });
    connect(measure_, &QPushButton::clicked, this, [this] { Measure(); });
    connect(again_, &QPushButton::clicked, this, [this] { MeasureAgain(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelMeasuring(); });
    connect(close, &QPushButton::clicked, this, [this] { Close(); });
    connect(open, &QPushButton::clicked, this, [this] {
        const QStringList chosen = files_.OpenFiles(this, T("Open a measurement session"),
                                                    T("Measurement sessions") + " (measurement.ini)");
        if (!chosen.isEmpty() && !Measuring()) OpenSession(QFileInfo(chosen.front()).path());
    });
    meterTimer_ = new QTimer(this);
    connect(meterTimer_, &QTimer::timeout, this, [this] { ShowMeter(); });
    // A USB microphone plugged in or out shows in the lists.
    deviceTimer_ = new QTimer(this);
    connect(deviceTimer_, &QTimer::timeout, this, [this] {
        if (!Measuring()) FillDevices();
    });
    deviceTimer_->start(kDevicesMs);
    ShowState();
}

MeasureDialog::~MeasureDialog() = default;

bool MeasureDialog::Measuring() const {
    return run_ && run_->Running();
}

void MeasureDialog::FillTexts() {
    const int at = std::max(0, repeats_->currentIndex());
    repeats_->clear();
    for (const int n : kRepeats) repeats_->addItem(QString::number(n));
    repeats_->setCurrentIndex(at);
    const int positions = std::max(0, positions_->currentIndex());
    positions_->clear();
    for (int n = 1; n <= kMostPositions; ++n) positions_->addItem(QString::number(n));
    positions_->setCurrentIndex(positions);
    for (QComboBox* channel : {outputChannel_, inputChannel_}) {
        const int was = std::max(0, channel->currentIndex());
        const int count = channel->count();
        channel->clear();
        for (int c = 0; c < count; ++c) channel->addItem(T("Channel %1").arg(c + 1));
        channel->setCurrentIndex(std::min(was, channel->count() - 1));
    }
    FillReferences();
}

void MeasureDialog::FillDevices() {
    if (!audio_) return;
    const std::vector<audio::AudioDevice> outputs = audio_->Outputs(), inputs = audio_->Inputs();
    auto same = [](const std::vector<audio::AudioDevice>& a, const std::vector<audio::AudioDevice>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].id != b[i].id || a[i].channels != b[i].channels) return false;
        return true;
    };
    const bool inputChosen = sender() == input_;
    if (same(outputs, outputs_) && same(inputs, inputs_) && !inputChosen) return;
    // Each list keeps the device chosen while it is there.
    auto refill = [](QComboBox* list, const std::vector<audio::AudioDevice>& devices) {
        const QString chosen = list->currentData().toString();
        list->clear();
        for (const audio::AudioDevice& d : devices)
            list->addItem(QString::fromStdString(d.name), QString::fromStdString(d.id));
        list->setCurrentIndex(std::max(0, list->findData(chosen)));
    };
    if (!same(outputs, outputs_)) refill(output_, outputs);
    if (!same(inputs, inputs_)) refill(input_, inputs);
    outputs_ = outputs, inputs_ = inputs;
    auto channels = [](QComboBox* list, const std::vector<audio::AudioDevice>& devices, int at) {
        const int count =
            at >= 0 && at < static_cast<int>(devices.size()) ? devices[static_cast<size_t>(at)].channels : 0;
        const int was = std::max(0, list->currentIndex());
        list->clear();
        for (int c = 0; c < count; ++c) list->addItem(T("Channel %1").arg(c + 1));
        list->setCurrentIndex(std::min(was, count - 1));
    };
    channels(outputChannel_, outputs_, output_->currentIndex());
    channels(inputChannel_, inputs_, input_->currentIndex());
    FillReferences();
    ShowState();
}

void MeasureDialog::FillReferences() {
    // A loopback on each other channel of the input, then a chirp through
    // each output channel.
    const QVariant was = reference_->currentData();
    reference_->clear();
    const int at = input_->currentIndex();
    const int inputs =
        at >= 0 && at < static_cast<int>(inputs_.size()) ? inputs_[static_cast<size_t>(at)].channels : 0;
    for (int c = 1; c <= inputs; ++c)
        if (c != inputChannel_->currentIndex() + 1) reference_->addItem(T("Loopback on input %1").arg(c), c);
    for (int n = 1; n <= 6; ++n) reference_->addItem(T("Chirp through CH%1").arg(n), -n);
    const int found = reference_->findData(was);
    reference_->setCurrentIndex(found >= 0 ? found : 0);
}

void MeasureDialog::ChooseCalibration() {
    const QString title = T("Microphone calibration file");
    const QStringList chosen = files_.OpenFiles(
        this, title, T("Calibration files") + " (*.txt *.cal *.frd);;" + T("All files") + " (*)");
    if (chosen.isEmpty()) return;
    std::string text;
    const storage::ReadResult read =
        storage::ReadFile(chosen.front().toStdString(), text, kLargestCalibrationBytes);
    if (!read.Ok())
        return prompter_.Inform(this,
                                QString::fromStdString(storage::ReadProblemText(
                                    chosen.front().toStdString(), read, kLargestCalibrationBytes)),
                                title);
    const analysis::MicCalibrationRead c = analysis::ReadMicCalibration(text);
    if (!c.ok)
        return prompter_.Inform(this,
                                T("%1 is not a microphone calibration file: %2.")
                                    .arg(chosen.front(), QString::fromStdString(c.error)),
                                title);
    calibration_ = c.calibration;
    calibrationPath_ = chosen.front();
    ShowState();
}

std::optional<analysis::SweepSettings> MeasureDialog::TypedSweep(QString& problem) const {
    analysis::SweepSettings s;
    const std::optional<double> low = TypedNumber(sweepLow_), high = TypedNumber(sweepHigh_),
                                seconds = TypedNumber(sweepSeconds_), level = TypedNumber(level_);
    if (!low || !high || *low < 10 || *high > 24000 || *low >= *high) {
        problem = T("Type the sweep's range in Hz: from 10 Hz, below its top, up to 24000 Hz.");
        return std::nullopt;
    }
    if (!seconds || *seconds < 0.5 || *seconds > 10) {
        problem = T("Type a sweep length of 0.5 to 10 s.");
        return std::nullopt;
    }
    if (!level || *level < -60 || *level > measure::kLoudestSweepDbfs) {
        problem = T("Type the sweep's level in dBFS, -60 to %1.").arg(measure::kLoudestSweepDbfs);
        return std::nullopt;
    }
    s.lowHz = *low, s.highHz = *high, s.seconds = *seconds, s.levelDbfs = *level;
    return s;
}

void MeasureDialog::Measure() {
    if (Measuring() || !audio_) return;
    std::vector<int> blocks;
    for (int k = 0; k < 6; ++k)
        if (channels_[static_cast<size_t>(k)]->isChecked()) blocks.push_back(BlockOfChannel(k + 1));
    lastBlocks_ = blocks;
    MeasureAgain();
}

void MeasureDialog::MeasureAgain() {
    if (Measuring() || !audio_ || lastBlocks_.empty()) {
        if (lastBlocks_.empty()) status_->setText(T("Tick the channels to measure."));
        return;
    }
    QString problem;
    const std::optional<analysis::SweepSettings> sweep = TypedSweep(problem);
    if (!sweep) return status_->setText(problem);
    // A tweeter without its crossover can be destroyed: asked once for all
    // the channels without a high-pass.
    QStringList fullRange;
    for (const int block : lastBlocks_) {
        const measure::ChannelCheck check = measure::CheckChannels(db_.Block(), {block}, false);
        if (check.problem == measure::ChannelProblem::HearsNoInput)
            return status_->setText(
                T("%1 plays none of the box's inputs (its mixer is all 0), so it would measure silence.")
                    .arg(Label(block)));
        if (check.problem == measure::ChannelProblem::NoHighPass) fullRange << Label(block);
    }
    if (!fullRange.isEmpty() &&
        !prompter_.Ask(
            this,
            T("%1 without a high-pass: a tweeter swept without one can be destroyed. Sweep them anyway, "
              "as woofers or subs?")
                .arg(fullRange.join(", ")),
            T("Measure")))
        return status_->setText(T("Nothing was measured."));
    measure::RigChoice choice;
    choice.output = output_->currentData().toString().toStdString();
    choice.input = input_->currentData().toString().toStdString();
    choice.outputChannel = outputChannel_->currentIndex() + 1;
    choice.inputChannel = inputChannel_->currentIndex() + 1;
    const int reference = reference_->currentData().toInt();
    if (reference > 0) {
        choice.reference.kind = measure::ReferenceChoice::Loopback;
        choice.reference.loopbackChannel = reference;
    } else if (reference < 0) {
        choice.reference.kind = measure::ReferenceChoice::Acoustic;
        choice.reference.block = BlockOfChannel(-reference);
    }
    const measure::RigFound found = measure::FindRig(outputs_, inputs_, choice);
    switch (found.problem) {
    case measure::RigProblem::None:
        break;
    case measure::RigProblem::NoSuchOutput:
    case measure::RigProblem::NoSuchInput:
        return status_->setText(
            T("There is no sound output or input to measure with. Is the sound server running?"));
    case measure::RigProblem::NoLoopback:
        return status_->setText(
            T("%1 has one channel, so no loopback: choose a chirp through a tweeter or a mid "
              "as the timing.")
                .arg(QString::fromStdString(found.input.name)));
    case measure::RigProblem::OutputChannels:
        return status_->setText(
            T("The sweep plays on output channel 1 or 2, into the box's input of that number; "
              "a chirp needs the other one too."));
    case measure::RigProblem::InputChannels:
        return status_->setText(T("The microphone and the loopback need two different channels of %1.")
                                    .arg(QString::fromStdString(found.input.name)));
    }
    const QString folder =
        QDir(sessions_).filePath(QDateTime::currentDateTime().toString("yyyy-MM-dd HH-mm-ss"));
    if (!QDir().mkpath(folder)) return status_->setText(T("The folder %1 cannot be made.").arg(folder));
    MeasureRun::Settings s;
    s.rig = found.rig;
    s.blocks = lastBlocks_;
    s.sweep = *sweep;
    s.repeats = kRepeats[std::max(0, repeats_->currentIndex())];
    s.positions = positions_->currentIndex() + 1;
    acoustic_ = found.rig.Acoustic();
    s.calibration = calibration_;
    s.calibrationPath = calibrationPath_;
    s.folder = folder;
    folder_ = folder;
    through_ = db_.Block();
    results_.clear();
    for (size_t k = 0; k < 6; ++k) {
        progress_[k]->setValue(0);
        result_[k]->clear();
    }
    all_->setValue(0);
    preview_->SetCurves({}, 20, 20000);
    impulse_->Clear();
    run_ = std::make_unique<MeasureRun>(*audio_, db_, std::move(s));
    connect(run_.get(), &MeasureRun::takeDone, this, &MeasureDialog::TakeDone);
    connect(run_.get(), &MeasureRun::channelDone, this, &MeasureDialog::ChannelDone);
    connect(run_.get(), &MeasureRun::positionDone, this, &MeasureDialog::PositionDone, Qt::QueuedConnection);
    connect(run_.get(), &MeasureRun::finished, this,
            [this](MeasureRun::Ending e) { Finished(static_cast<int>(e)); });
    lastStatus_ = T("Quiet test through %1...").arg(Label(lastBlocks_.front()));
    run_->Start();
    meterTimer_->start(kMeterMs);
    ShowState();
}

bool MeasureDialog::OpenSession(const QString& folder) {
    QFile file(QDir(folder).filePath(QString::fromUtf8(measure::kMeasurementIndexName.data())));
    std::optional<measure::MeasurementIndex> index;
    if (file.open(QIODevice::ReadOnly))
        index = measure::ReadMeasurementIndex(file.read(1 << 20).toStdString());
    const std::optional<EffectBlock> through = measure::ReadSessionImage(folder.toStdString());
    if (!index || !through) {
        lastStatus_ =
            T("%1 holds no measurement session this program can open.").arg(QDir::toNativeSeparators(folder));
        ShowState();
        return false;
    }
    folder_ = folder;
    through_ = *through;
    results_.clear();
    for (QLabel* r : result_) r->clear();
    for (const measure::MeasuredChannel& c : index->channels) {
        int number = 0;
        if (std::sscanf(c.label.c_str(), "CH%d", &number) != 1 || number < 1 || number > 6) continue;
        QString problem;
        const analysis::ImpulseResponseRead read =
            ReadImpulseFile(QDir(folder).filePath(QString::fromStdString(c.impulseFile)), problem);
        if (read.status != analysis::ImpulseResponseStatus::Read || read.response.rate != audio::kRate)
            continue;
        measure::ChannelResult r;
        r.block = BlockOfChannel(number);
        r.response = read.response.samples;
        r.spectrum = analysis::ImpulseFrequencyResponse(read.response, analysis::EditorGrid());
        r.snrDb = c.snrDb, r.peakDbfs = c.peakDbfs, r.arrivalMs = c.arrivalMs, r.driftPpm = c.driftPpm;
        results_.push_back(r);
        result_[static_cast<size_t>(number - 1)]->setText(
            T("SNR %1 dB, arrival %2 ms")
                .arg(QString::number(r.snrDb, 'f', 0), QString::number(r.arrivalMs, 'f', 2)));
        ShowChannel(r);
        emit channelMeasured(r.block);
    }
    lastStatus_ = T("Opened the session of %1: %2 channels, timing %3.")
                      .arg(QString::fromStdString(index->when))
                      .arg(results_.size())
                      .arg(QString::fromStdString(index->timing));
    ShowState();
    return !results_.empty();
}

void MeasureDialog::CancelMeasuring() {
    if (Measuring()) run_->Cancel();
}

void MeasureDialog::ShowMeter() {
    if (!run_) return;
    const double peak = run_->TakeLevel();
    const double db = peak > 0 ? 20 * std::log10(peak) : kMeterFloorDbfs;
    meter_->setValue(static_cast<int>(std::lround(100 * std::clamp(1 - db / kMeterFloorDbfs, 0.0, 1.0))));
}

void MeasureDialog::TakeDone(int block, int done, int of) {
    const int k = ChannelNumber(block) - 1;
    if (k >= 0 && k < 6) progress_[static_cast<size_t>(k)]->setValue(100 * done / std::max(1, of));
    all_->setValue(100 * run_->TakesDone() / std::max(1, run_->TakesInAll()));
    lastStatus_ = T("Measuring %1...").arg(Label(block));
    ShowState();
}

void MeasureDialog::PositionDone(int next, int of) {
    if (!run_) return;
    lastStatus_ = T("Every channel is measured at position %1 of %2.").arg(next - 1).arg(of);
    ShowState();
    if (prompter_.Ask(this,
                      T("Move the microphone to position %1 of %2, a hand's width from the last, and "
                        "measure there?")
                          .arg(next)
                          .arg(of),
                      T("Measure")))
        return run_->NextPosition();
    run_->Cancel();
    run_->NextPosition();
}

void MeasureDialog::ChannelDone(int block) {
    const measure::ChannelResult& r = run_->Results().back();
    results_.push_back(r);
    const int k = ChannelNumber(block) - 1;
    if (k >= 0 && k < 6) {
        progress_[static_cast<size_t>(k)]->setValue(100);
        result_[static_cast<size_t>(k)]->setText(
            T("SNR %1 dB, arrival %2 ms")
                .arg(QString::number(r.snrDb, 'f', 0), QString::number(r.arrivalMs, 'f', 2)));
    }
    ShowChannel(r);
    // The next channel's quiet start: its solo is being taken.
    const auto at = std::find(lastBlocks_.begin(), lastBlocks_.end(), block);
    if (at != lastBlocks_.end() && at + 1 != lastBlocks_.end())
        lastStatus_ = T("Measuring %1...").arg(Label(*(at + 1)));
    ShowState();
    emit channelMeasured(block);
}

void MeasureDialog::ShowChannel(const measure::ChannelResult& r) {
    using widgets::EqOverlayRole;
    // The channel's band lit: between its crossovers.
    const auto passes = analysis::PassesOf(db_.Block(), r.block);
    const double lowHz = passes.highPassHz > 0 ? passes.highPassHz : 20;
    const double highHz = passes.lowPassHz > 0 ? passes.lowPassHz : 20000;
    std::vector<widgets::EqOverlayCurve> curves{{EqOverlayRole::Measured,
                                                 T("%1 measured").arg(Label(r.block)),
                                                 Smoothed(LevelsDb(r.spectrum)), true}};
    // Measured again: beside what its last measurement predicted and its
    // target, smoothed alike and on the prediction's level over the band
    // (the shapes are what is compared).
    if (prediction_)
        for (widgets::EqOverlayCurve& c : prediction_(r.block))
            if (c.role == EqOverlayRole::Predicted || c.role == EqOverlayRole::Target) {
                if (c.role == EqOverlayRole::Predicted) c.values = Smoothed(c.values);
                c.shown = true;  // whatever the editor shows
                curves.push_back(std::move(c));
            }
    const auto predicted = std::find_if(curves.begin(), curves.end(), [](const widgets::EqOverlayCurve& c) {
        return c.role == EqOverlayRole::Predicted;
    });
    if (predicted != curves.end()) {
        const FrequencyGrid& grid = analysis::EditorGrid();
        double offset = 0;
        int n = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = grid.Hz(i), p = predicted->values[static_cast<size_t>(i)],
                         m = curves.front().values[static_cast<size_t>(i)];
            if (hz >= lowHz && hz <= highHz && std::isfinite(p) && std::isfinite(m)) offset += p - m, ++n;
        }
        if (n > 0)
            for (double& v : curves.front().values) v += offset / n;
    }
    preview_->SetCurves(std::move(curves), lowHz, highHz);
    // The response's start from its time zero, the arrival marked; against
    // an acoustic reference time zero is a little before the reference.
    impulse_->SetResponse(r.response, audio::kRate, kImpulseMs,
                          r.arrivalMs + (acoustic_ ? analysis::kAcousticTimeZeroMs : 0));
}

void MeasureDialog::Finished(int ending) {
    meterTimer_->stop();
    meter_->setValue(0);
    const measure::TakeOutcome& t = run_->Problem();
    const QString channel = Label(run_->FailedBlock());
    switch (static_cast<MeasureRun::Ending>(ending)) {
    case MeasureRun::Ending::Done:
        lastStatus_ =
            T("%1 channels measured at %2 dBFS. Timing: %3. Each is now its channel's measurement in "
              "the editor.")
                .arg(results_.size())
                .arg(QString::number(run_->SweepLevelDbfs(), 'f', 1))
                .arg(reference_->currentText());
        break;
    case MeasureRun::Ending::Cancelled:
        lastStatus_ = T("Cancelled. The box's mutes and mixer are as they were.");
        break;
    case MeasureRun::Ending::BoxRefused:
        lastStatus_ = T("The box did not take %1's solo; the measurement stopped.").arg(channel);
        break;
    case MeasureRun::Ending::NotHeard:
        lastStatus_ =
            T("The microphone did not hear the quiet test through %1. Is it connected, at the seat, and "
              "is the input's gain up?")
                .arg(channel);
        break;
    case MeasureRun::Ending::NotSaved:
        lastStatus_ = T("%1 could not be written; the measurement stopped.").arg(run_->FailedFile());
        break;
    case MeasureRun::Ending::TakeFailed:
        switch (t.problem) {
        case measure::TakeProblem::None:
        case measure::TakeProblem::Failed:
            lastStatus_ =
                t.status == audio::AudioStatus::DeviceLost
                    ? T("%1: the output or the microphone went away (%2). Plug it in and measure again.")
                          .arg(channel, QString::fromStdString(t.message))
                    : T("%1: the take failed: %2").arg(channel, QString::fromStdString(t.message));
            break;
        case measure::TakeProblem::MicrophoneClipped:
            lastStatus_ =
                T("%1: the microphone clipped. Lower the level or the input's gain and measure again.")
                    .arg(channel);
            break;
        case measure::TakeProblem::LoopbackClipped:
            lastStatus_ = T("%1: the loopback clipped. Lower the level and measure again.").arg(channel);
            break;
        case measure::TakeProblem::LoopbackSilent:
            lastStatus_ =
                T("%1: the loopback heard nothing. Connect the output's channel to the loopback's input, "
                  "or choose a chirp as the timing.")
                    .arg(channel);
            break;
        case measure::TakeProblem::ReferenceNotHeard:
            lastStatus_ =
                T("%1: the chirp was not heard before the sweep. Choose a tweeter or a mid for the timing.")
                    .arg(channel);
            break;
        case measure::TakeProblem::ReferenceLost:
            lastStatus_ =
                T("%1: the chirp was heard before the sweep but not after it. Keep the microphone still and "
                  "the car quiet, and measure again.")
                    .arg(channel);
            break;
        }
        break;
    }
    ShowState();
    emit measured();
}

void MeasureDialog::ShowState() {
    const bool running = Measuring();
    for (QWidget* w :
         std::initializer_list<QWidget*>{output_, outputChannel_, input_, inputChannel_, reference_, repeats_,
                                         positions_, sweepLow_, sweepHigh_, sweepSeconds_, level_})
        w->setEnabled(!running);
    for (QCheckBox* c : channels_) c->setEnabled(!running);
    measure_->setEnabled(!running && audio_ && !outputs_.empty() && !inputs_.empty());
    again_->setEnabled(!running && !results_.empty());
    cancel_->setEnabled(running);
    calibrationFile_->setText(calibrationPath_.isEmpty() ? T("(none)")
                                                         : QFileInfo(calibrationPath_).fileName());
    calibrationFile_->setToolTip(calibrationPath_);
    folderText_->setText(folder_.isEmpty() ? QString()
                                           : T("Kept in %1").arg(QDir::toNativeSeparators(folder_)));
    if (!lastStatus_.isEmpty())
        status_->setText(lastStatus_);
    else if (!audio_ || outputs_.empty() || inputs_.empty())
        status_->setText(T("No sound devices are found. Plug in the microphone's interface."));
    else
        status_->setText(
            T("Each channel ticked is soloed on the box and swept, through its settings as they are."));
}

void MeasureDialog::Close() {
    if (Measuring()) return;  // Cancel first: the box is soloed
    done(kOk);
}

void MeasureDialog::closeEvent(QCloseEvent* e) {
    if (Measuring()) {
        run_->Cancel();
        e->ignore();
        return;
    }
    CCommonDlg::closeEvent(e);
}

void MeasureDialog::changeEvent(QEvent* e) {
    if (e->type() == QEvent::LanguageChange && status_) {
        FillTexts();
        ShowState();
    }
    CCommonDlg::changeEvent(e);
}

}  // namespace caraudio::app
