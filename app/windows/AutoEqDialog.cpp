#include "AutoEqDialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "Layouts.h"
#include "Prompter.h"
#include "ResponsePreview.h"
#include "Translation.h"
#include "TypedNumber.h"
#include "ValueScales.h"

namespace caraudio::app {
namespace {

QString T(const char* text) {
    return Tr("autoeq", text);
}

// What the fit takes the measurement to contain, as the measurement panel set it.
QString MeasuredWithLabel(analysis::MeasuredWith with) {
    switch (with) {
    case analysis::MeasuredWith::Crossovers:
        return T("Measured through its crossovers");
    case analysis::MeasuredWith::Current:
        return T("Measured through its EQ and crossovers");
    case analysis::MeasuredWith::Flat:
        break;
    }
    return T("Measured as the speaker alone");
}

// A fit usually ends before anyone notices; the bar shows only after this.
constexpr int kSlowFitMs = 150;

// A frequency in whole hertz: the fitted span ends on a grid point, whose
// decimals say nothing.
QString Hz(double v) {
    return QString::number(std::lround(v));
}

QString SpanText(analysis::FrequencySpan s) {
    if (s == analysis::kEverywhere) return T("every frequency");
    return T("%1..%2 Hz").arg(Hz(s.lowHz), Hz(s.highHz));
}

QString EndText(analysis::BandEnd end, bool low) {
    switch (end) {
    case analysis::BandEnd::Crossover:
        return low ? T("the high-pass corner") : T("the low-pass corner");
    case analysis::BandEnd::RollOff:
        return T("the speaker's own roll-off");
    case analysis::BandEnd::Measurement:
        return T("the end of the measurement");
    case analysis::BandEnd::Given:
        break;
    }
    return T("as typed");
}

}  // namespace

AutoEqDialog::AutoEqDialog(const AutoEqInputs& inputs, Prompter& prompter, QWidget* parent)
    : CCommonDlg("XML_AUTOEQ", parent), inputs_(inputs), prompter_(prompter) {
    QWidget* l = Layout();
    if (!l) return;
    channel_ = Named<QLabel>(l, "channel");
    mode_ = Named<QLabel>(l, "mode");
    result_ = Named<QLabel>(l, "result");
    chosen_ = Named<QLabel>(l, "chosen");
    measuredWith_ = Named<QLabel>(l, "measuredWith");
    applyLevel_ = Named<QCheckBox>(l, "applyLevel");
    rangeLow_ = Named<QLineEdit>(l, "rangeLow");
    rangeHigh_ = Named<QLineEdit>(l, "rangeHigh");
    maxBoost_ = Named<QLineEdit>(l, "maxBoost");
    bands_ = Named<QLineEdit>(l, "bands");
    progress_ = Named<QProgressBar>(l, "progress");
    apply_ = Named<QPushButton>(l, "btnApply");
    auto* discard = Named<QPushButton>(l, "btnDiscard");
    auto* area = Named<QWidget>(l, "preview");
    if (!channel_ || !mode_ || !result_ || !chosen_ || !measuredWith_ || !applyLevel_ || !rangeLow_ ||
        !rangeHigh_ || !maxBoost_ || !bands_ || !progress_ || !apply_ || !discard || !area)
        return;
    preview_ = widgets::ResponsePreview::Filling(area);
    progress_->hide();
    apply_->setEnabled(false);
    applyLevel_->setChecked(false);
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (proposal_ && proposal_->status == analysis::AutoEqStatus::Fitted) done(kOk);
    });
    connect(discard, &QPushButton::clicked, this, [this] { done(kCancel); });
    for (QLineEdit* f : {rangeLow_, rangeHigh_, maxBoost_, bands_})
        connect(f, &QLineEdit::editingFinished, this, &AutoEqDialog::FieldsTyped);
    ShowOptions();
    Fit();
}

std::optional<double> AutoEqDialog::LevelTrimToApply() const {
    if (!applyLevel_ || !applyLevel_->isChecked() || !proposal_) return std::nullopt;
    return analysis::LevelTrimDb(*proposal_, inputs_.levelledOver);
}

AutoEqDialog::~AutoEqDialog() {
    // A fit still running works on its own copies; it is waited for, not
    // stopped, and takes a fraction of a second.
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void AutoEqDialog::ShowOptions() {
    const analysis::AutoEqOptions& o = inputs_.options;
    channel_->setText(QString::fromStdString(ChannelLabel(inputs_.channel)));
    mode_->setText(o.geq ? T("GEQ mode: only the gains move.") : T("PEQ mode: frequency, gain and Q move."));
    measuredWith_->setText(MeasuredWithLabel(inputs_.measuredWith));
    rangeLow_->setPlaceholderText(T("auto"));
    rangeHigh_->setPlaceholderText(T("auto"));
    rangeLow_->setText(o.range ? PlainNumber(o.range->lowHz) : QString());
    rangeHigh_->setText(o.range ? PlainNumber(o.range->highHz) : QString());
    maxBoost_->setText(PlainNumber(o.maxBoostDb));
    bands_->setText(QString::number(o.maxBands));
}

void AutoEqDialog::FieldsTyped() {
    analysis::AutoEqOptions o = inputs_.options;
    const std::optional<double> low = TypedNumber(rangeLow_), high = TypedNumber(rangeHigh_),
                                boost = TypedNumber(maxBoost_), bands = TypedNumber(bands_);
    const double maxBoostDb = std::max(0, inputs_.options.limits.maxvol);
    // Both range fields empty: the channel's own band; one of them empty: the
    // other is still to be typed.
    const bool lowEmpty = rangeLow_->text().trimmed().isEmpty(),
               highEmpty = rangeHigh_->text().trimmed().isEmpty();
    if (lowEmpty != highEmpty) return;
    const bool automatic = lowEmpty;
    QString refusal;
    if (!automatic && (!low || !high || *low < 20 || *high > 20000 || *low >= *high))
        refusal =
            T("The fit range takes two frequencies from 20 to 20000 Hz, the lower one first, or none "
              "for the channel's own band.");
    else if (!boost || *boost < 0 || *boost > maxBoostDb)
        refusal = T("The maximum boost takes 0 to %1 dB.").arg(maxBoostDb);
    else if (!bands || *bands != std::floor(*bands) || *bands < 1 || *bands > kBandCount)
        refusal = T("The number of bands takes 1 to %1.").arg(kBandCount);
    if (!refusal.isEmpty()) {
        ShowOptions();  // the values in use again, before the message takes the focus
        return prompter_.Inform(this, refusal, T("Auto EQ"));
    }
    if (automatic)
        o.range.reset();
    else
        o.range = analysis::FrequencySpan{*low, *high};
    o.maxBoostDb = *boost;
    o.maxBands = static_cast<int>(*bands);
    const analysis::AutoEqOptions& now = inputs_.options;
    if (o.range == now.range && o.maxBoostDb == now.maxBoostDb && o.maxBands == now.maxBands) return;
    inputs_.options = o;
    ShowOptions();
    Fit();
}

void AutoEqDialog::Fit() {
    // What is on screen no longer matches the fields: it cannot be applied.
    proposal_.reset();
    apply_->setEnabled(false);
    result_->setText(T("Fitting..."));
    if (worker_) {
        fitAgain_ = true;
        return;
    }
    auto out = std::make_shared<analysis::AutoEqResult>();
    done_ = out;
    worker_ = QThread::create([in = inputs_, out] {
        *out = analysis::FitAutoEq(in.measured, in.target, in.image, in.channel, in.options,
                                   analysis::Overlap(in.measuredSpan, in.targetSpan));
    });
    connect(worker_, &QThread::finished, this, &AutoEqDialog::FitDone, Qt::QueuedConnection);
    QTimer::singleShot(kSlowFitMs, progress_, [this, running = worker_] {
        if (worker_ == running) progress_->show();
    });
    worker_->start();
}

void AutoEqDialog::FitDone() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    progress_->hide();
    if (fitAgain_) {
        fitAgain_ = false;
        return Fit();
    }
    proposal_ = *done_;
    ShowProposal();
}

void AutoEqDialog::ShowProposal() {
    using widgets::EqOverlayRole;
    std::vector<widgets::EqOverlayCurve> curves{
        {EqOverlayRole::Measured, T("Measured"), inputs_.measured, true},
        {EqOverlayRole::Target, T("Target"), inputs_.target, true}};
    const QString measuredSpan = SpanText(inputs_.measuredSpan), targetSpan = SpanText(inputs_.targetSpan);
    chosen_->clear();
    if (!proposal_ || proposal_->status != analysis::AutoEqStatus::Fitted) {
        if (proposal_ && proposal_->status == analysis::AutoEqStatus::NotCovered)
            result_->setText(
                T("The measurement covers %1 and the target %2: they share less than an octave of "
                  "the fit range, too little to fit.")
                    .arg(measuredSpan, targetSpan));
        else if (proposal_)
            result_->setText(T("The measurement has no level inside the fit range: nothing to fit."));
        apply_->setEnabled(false);
        preview_->SetCurves(std::move(curves), 20, 20000);
        return;
    }
    const analysis::AutoEqResult& r = *proposal_;
    // All three as the channel will play them: with its crossovers, the
    // measurement at the level the fit set it to.
    Response measuredThrough = r.levelled;
    for (size_t i = 0; i < measuredThrough.size(); ++i)
        measuredThrough[i] += r.channelTarget[i] - inputs_.target[i];
    curves = {{EqOverlayRole::Measured, T("Measured, with the crossovers"), measuredThrough, true},
              {EqOverlayRole::Target, T("Target, with the crossovers"), r.channelTarget, true},
              {EqOverlayRole::Predicted, T("With Auto EQ"), r.predicted, true}};
    preview_->SetCurves(std::move(curves), r.fitted.lowHz, r.fitted.highHz);
    const QString chosen = T("Range %1: from %2 to %3. Level set over %4.")
                               .arg(SpanText(r.fitted), EndText(r.band.lowEnd, true),
                                    EndText(r.band.highEnd, false), SpanText(r.reference));
    const std::optional<double> trimDb = analysis::LevelTrimDb(r, inputs_.levelledOver);
    applyLevel_->setEnabled(trimDb.has_value());
    if (trimDb)
        chosen_->setText(chosen + ' ' +
                         T("Suggested level trim %1 dB (volume step %2), against its level over %3.")
                             .arg(*trimDb, 0, 'f', 1)
                             .arg(std::lround(*trimDb))
                             .arg(SpanText(inputs_.levelledOver)));
    else
        chosen_->setText(
            chosen + ' ' +
            T("No level trim: its reference %1 lies outside its band.").arg(SpanText(inputs_.levelledOver)));
    if (r.unchanged) {
        result_->setText(T("No change proposed: the fitted bands would reach %1 dB, no better than the %2 dB "
                           "the channel has now.")
                             .arg(r.fittedRmsDb, 0, 'f', 2)
                             .arg(r.rmsBeforeDb, 0, 'f', 2));
        apply_->setEnabled(false);
        return;
    }
    QString text =
        T("%1 of %2 bands used. Error against the target from %3 to %4 Hz, smoothed to 1/6 octave: "
          "%5 dB now, %6 dB with these bands.")
            .arg(r.bandsUsed)
            .arg(kBandCount)
            .arg(Hz(r.fitted.lowHz), Hz(r.fitted.highHz))
            .arg(r.rmsBeforeDb, 0, 'f', 2)
            .arg(r.rmsAfterDb, 0, 'f', 2);
    // Only part of the range typed has both curves: say so before anything else.
    if (inputs_.options.range && r.fitted != *inputs_.options.range)
        text = T("Only %1 of the fit range is fitted: the measurement covers %2 and the target %3.")
                   .arg(SpanText(r.fitted), measuredSpan, targetSpan) +
               " " + text;
    result_->setText(text);
    apply_->setEnabled(true);
}

void AutoEqDialog::changeEvent(QEvent* e) {
    // The layout's texts translate themselves; these are set here.
    if (e->type() == QEvent::LanguageChange && preview_) {
        ShowOptions();
        if (worker_)
            result_->setText(T("Fitting..."));
        else
            ShowProposal();
    }
    CCommonDlg::changeEvent(e);
}

}  // namespace caraudio::app
