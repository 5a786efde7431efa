#include "TuneCarDialog.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "EditorGrid.h"
#include "FileChooser.h"
#include "ImpulseFileRead.h"
#include "Layouts.h"
#include "ParameterTable.h"
#include "Prompter.h"
#include "ResponsePreview.h"
#include "SeatChannel.h"
#include "Translation.h"
#include "ValueScales.h"

namespace caraudio::app {
namespace {

QString T(const char* text) {
    return Tr("tunecar", text);
}

constexpr analysis::Side kSides[] = {analysis::Side::Unknown, analysis::Side::Left, analysis::Side::Right};
constexpr analysis::MeasuredWith kMeasuredWith[] = {
    analysis::MeasuredWith::Flat, analysis::MeasuredWith::Crossovers, analysis::MeasuredWith::Current};

QString Db(double db) {
    return QString::number(db, 'f', 1);
}

QString Label(int block) {
    return QString::fromStdString(ChannelLabel(block));
}

QString AlignmentProblem(analysis::AlignmentStatus s) {
    using analysis::AlignmentStatus;
    switch (s) {
    case AlignmentStatus::Aligned:
    case AlignmentStatus::NoChannels:
        break;
    case AlignmentStatus::BadChannel:
    case AlignmentStatus::BadPair:
        return T("A channel is given twice.");
    case AlignmentStatus::NoCrossoverHz:
        return T("Two channels that meet have no crossover frequency in their settings.");
    case AlignmentStatus::SpreadTooLarge:
        return T("The channels' sound arrives further apart than the box's 20 ms of delay can make up.");
    }
    return T("Choose the impulse responses of at least two channels.");
}

}  // namespace

TuneCarDialog::TuneCarDialog(Inputs inputs, const ChannelImpulses& loaded, FileChooser& files,
                             Prompter& prompter, QWidget* parent)
    : CCommonDlg("XML_TUNECAR", parent), inputs_(std::move(inputs)), files_(files), prompter_(prompter) {
    QWidget* l = Layout();
    if (!l) return;
    measuredWith_ = Named<QComboBox>(l, "measuredWith");
    target_ = Named<QLabel>(l, "target");
    status_ = Named<QLabel>(l, "status");
    tune_ = Named<QPushButton>(l, "btnTune");
    apply_ = Named<QPushButton>(l, "btnApply");
    auto* cancel = Named<QPushButton>(l, "btnCancel");
    auto* area = Named<QWidget>(l, "preview");
    if (!measuredWith_ || !target_ || !status_ || !tune_ || !apply_ || !cancel || !area) return;
    for (int k = 0; k < 6; ++k) {
        auto name = [k](const char* base) { return QByteArray(base) + QByteArray::number(k + 1); };
        Row& r = rows_[static_cast<size_t>(k)];
        r.path = Named<QLabel>(l, name("path").constData());
        r.delay = Named<QLabel>(l, name("delay").constData());
        r.polarity = Named<QLabel>(l, name("polarity").constData());
        r.level = Named<QLabel>(l, name("level").constData());
        r.bands = Named<QLabel>(l, name("bands").constData());
        r.side = Named<QComboBox>(l, name("side").constData());
        auto* choose = Named<QPushButton>(l, name("choose").constData());
        auto* clear = Named<QPushButton>(l, name("clear").constData());
        if (!r.path || !r.delay || !r.polarity || !r.level || !r.bands || !r.side || !choose || !clear)
            return;
        connect(choose, &QPushButton::clicked, this, [this, k] { Choose(k); });
        connect(clear, &QPushButton::clicked, this, [this, k] { Clear(k); });
        connect(r.side, &QComboBox::activated, this, [this] { Changed(); });
    }
    preview_ = widgets::ResponsePreview::Filling(area);
    FillLists();
    for (int k = 0; k < 6; ++k)
        if (const auto& l = loaded.Responses()[static_cast<size_t>(BlockOfChannel(k + 1))]) {
            rows_[static_cast<size_t>(k)].file = l->file;
            rows_[static_cast<size_t>(k)].response = l->response;
        }
    for (int i = 0; i < 3; ++i)
        if (kMeasuredWith[i] == loaded.With()) measuredWith_->setCurrentIndex(i);
    connect(measuredWith_, &QComboBox::activated, this, [this] { Changed(); });
    connect(tune_, &QPushButton::clicked, this, [this] { Tune(); });
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (Proposal()) done(kOk);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
    ShowRows();
}

TuneCarDialog::~TuneCarDialog() {
    // A tune still running works on its own copies; it is waited for, not
    // stopped, and takes a second or two at most.
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void TuneCarDialog::FillLists() {
    for (Row& r : rows_) {
        const int at = std::max(0, r.side->currentIndex());
        r.side->clear();
        r.side->addItems({T("Either"), T("Left"), T("Right")});
        r.side->setCurrentIndex(at);
    }
    const int at = std::max(0, measuredWith_->currentIndex());
    measuredWith_->clear();
    measuredWith_->addItems({T("Flat (speakers alone)"), T("Their crossovers"), T("All their settings")});
    measuredWith_->setCurrentIndex(at);
    target_->setText(T("Target: %1").arg(inputs_.targetText));
    target_->setToolTip(T("The target set on the measurement panel for the channel shown."));
}

ChannelImpulses::Set TuneCarDialog::Loaded() const {
    ChannelImpulses::Set set;
    for (int k = 0; k < 6; ++k)
        if (const Row& r = rows_[static_cast<size_t>(k)]; r.response)
            set[static_cast<size_t>(BlockOfChannel(k + 1))] = ChannelImpulses::Loaded{r.file, *r.response};
    return set;
}

analysis::MeasuredWith TuneCarDialog::With() const {
    return kMeasuredWith[std::max(0, measuredWith_->currentIndex())];
}

std::optional<EffectBlock> TuneCarDialog::Proposal() const {
    if (!outcome_ || outcome_->alignment != analysis::AlignmentStatus::Aligned || !outcome_->improves)
        return std::nullopt;
    return outcome_->tuned.image;
}

void TuneCarDialog::Choose(int row) {
    const QString title = T("Impulse response for CH%1").arg(row + 1);
    const QStringList chosen =
        files_.OpenFiles(this, title, T("Impulse responses") + " (*.wav);;" + T("All files") + " (*)");
    if (chosen.isEmpty()) return;
    const QString path = chosen.front();
    QString problem;
    const analysis::ImpulseResponseRead read = ReadImpulseFile(path, problem);
    if (read.status != analysis::ImpulseResponseStatus::Read)
        return prompter_.Inform(this, T("%1 was not taken.").arg(path) + "\n\n" + problem, title);
    const analysis::Arrival arrival = analysis::DetectArrival(read.response);
    if (arrival.status != analysis::ArrivalStatus::Found)
        return prompter_.Inform(
            this,
            T("%1 was not taken: it does not look like an impulse response measured with a timing "
              "reference.")
                .arg(path),
            title);
    Row& r = rows_[static_cast<size_t>(row)];
    r.file = path;
    r.response = read.response;
    Changed();
}

void TuneCarDialog::Clear(int row) {
    Row& r = rows_[static_cast<size_t>(row)];
    r.file.clear();
    r.response.reset();
    Changed();
}

void TuneCarDialog::Changed() {
    // What is shown was tuned from other rows: it cannot be applied.
    outcome_.reset();
    ShowRows();
}

void TuneCarDialog::Tune() {
    if (worker_) return;
    std::vector<analysis::SeatChannel> channels;
    int n = 0;
    const analysis::MeasuredWith with = With();
    for (int k = 0; k < 6; ++k) {
        const Row& r = rows_[static_cast<size_t>(k)];
        if (!r.response) continue;
        const int block = BlockOfChannel(k + 1);
        const analysis::SeatChannelRead read = analysis::SeatChannelFromImpulse(
            *r.response, {with, block, inputs_.image}, kSides[std::max(0, r.side->currentIndex())],
            analysis::EditorGrid());
        channels.push_back(read.channel);
        tunedRows_[static_cast<size_t>(n++)] = k;
    }
    if (channels.size() < 2) return;
    outcome_.reset();
    auto out = std::make_shared<analysis::CarTuneOutcome>();
    done_ = out;
    analysis::CarTuneOptions options;
    options.target = inputs_.target;
    options.limits = inputs_.limits;
    worker_ = QThread::create([channels = std::move(channels), image = inputs_.image, options, out] {
        *out = analysis::TuneCar(channels, image, options);
    });
    connect(worker_, &QThread::finished, this, &TuneCarDialog::TuneDone, Qt::QueuedConnection);
    ShowRows();
    status_->setText(T("Tuning..."));
    worker_->start();
}

void TuneCarDialog::TuneDone() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    outcome_ = *done_;
    ShowRows();
    emit tuned();
}

void TuneCarDialog::ShowRows() {
    int loaded = 0;
    for (Row& r : rows_) {
        r.path->setText(r.file.isEmpty() ? T("(none)") : QFileInfo(r.file).fileName());
        r.path->setToolTip(r.file);
        for (QLabel* f : {r.delay, r.polarity, r.level, r.bands}) f->clear();
        loaded += r.response.has_value();
    }
    tune_->setEnabled(loaded >= 2 && !worker_);
    apply_->setEnabled(Proposal().has_value());
    if (outcome_) return ShowResult();
    preview_->SetCurves({}, 20, 20000);
    status_->setText(loaded >= 2 ? T("Press Tune to see what the car would sound like tuned.")
                                 : T("Choose the impulse responses of at least two channels."));
}

void TuneCarDialog::ShowResult() {
    const analysis::CarTuneOutcome& o = *outcome_;
    if (o.alignment != analysis::AlignmentStatus::Aligned) {
        preview_->SetCurves({}, 20, 20000);
        status_->setText(T("The car cannot be tuned: %1").arg(AlignmentProblem(o.alignment)));
        return;
    }
    const analysis::CarTuneResult& r = o.tuned;
    for (size_t i = 0; i < r.channels.size(); ++i) {
        const analysis::ChannelTuneResult& c = r.channels[i];
        Row& row = rows_[static_cast<size_t>(tunedRows_[i])];
        const int delay = r.image.Get(*FindParam(param::Delay(c.block)));
        row.delay->setText(QString::number(delay / double(kDelaySamplesPerMs), 'f', 3));
        const bool inverted = r.image.Get(*FindParam(param::PhaseCtrl)) >> c.block & 1;
        row.polarity->setText(inverted ? T("inverted") : T("normal"));
        row.level->setText(QString::asprintf("%+d", c.volumeAfter - c.volumeBefore));
        row.bands->setText(T("%1 + %2 for the sum").arg(c.bandsUsed).arg(c.correctionBands));
    }
    using widgets::EqOverlayRole;
    preview_->SetCurves({{EqOverlayRole::Measured, T("Sum now"), r.sumBefore, true},
                         {EqOverlayRole::Target, T("Target"), inputs_.target, true},
                         {EqOverlayRole::Predicted, T("Sum tuned"), r.sumAfter, true}},
                        20, 20000);
    QStringList lines;
    for (const analysis::CrossoverResult& x : o.crossovers)
        lines << T("%1 to %2 at %3 Hz: worst loss against the perfect sum %4 dB now, %5 dB tuned.")
                     .arg(Label(x.pair.lowerBlock), Label(x.pair.higherBlock))
                     .arg(qRound(x.pair.hz))
                     .arg(Db(x.lossBeforeDb), Db(x.lossAfterDb));
    if (o.equalPeaks)
        lines << T(
            "Every response peaks at the same level: they were normalised when exported, so no level "
            "is changed.");
    lines << T("The sum against the target from 20 to 20000 Hz, smoothed to 1/6 octave: %1 dB RMS now, %2 dB "
               "tuned.")
                 .arg(Db(r.rmsBeforeDb), Db(r.rmsAfterDb));
    if (!o.improves) lines << T("That is no nearer the target than the car is now: nothing is proposed.");
    status_->setText(lines.join(' '));
}

void TuneCarDialog::changeEvent(QEvent* e) {
    if (e->type() == QEvent::LanguageChange && apply_) {
        FillLists();
        ShowRows();
    }
    CCommonDlg::changeEvent(e);
}

}  // namespace caraudio::app
