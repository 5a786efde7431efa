#include "AlignDialog.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "AtomicFile.h"
#include "FileChooser.h"
#include "ImpulseFileRead.h"
#include "ImpulseResponse.h"
#include "Layouts.h"
#include "Prompter.h"
#include "Translation.h"
#include "ValueScales.h"

namespace caraudio::app {
namespace {

QString T(const char* text) {
    return Tr("align", text);
}

// What the row says of a file that is no impulse response, and the whole reason.
QString ShortReason(analysis::ArrivalStatus s) {
    using analysis::ArrivalStatus;
    switch (s) {
    case ArrivalStatus::TooShort:
        return T("too short");
    case ArrivalStatus::NoLeadIn:
        return T("no lead-in");
    case ArrivalStatus::NoPeak:
        return T("no clear peak");
    case ArrivalStatus::NoDecay:
        return T("no decay");
    case ArrivalStatus::Found:
    case ArrivalStatus::Silent:
        break;
    }
    return {};
}

QString Reason(analysis::ArrivalStatus s) {
    using analysis::ArrivalStatus;
    switch (s) {
    case ArrivalStatus::TooShort:
        return T("It ends less than %1 ms after its direct sound, too soon to see the response die away.")
            .arg(analysis::kDecayWindowMs);
    case ArrivalStatus::NoLeadIn:
        return T("Its direct sound comes within %1 ms of the start: the file was cut there or measured "
                 "without "
                 "a timing reference.")
            .arg(analysis::kMinArrivalMs);
    case ArrivalStatus::NoPeak:
        return T("No peak stands %1 dB clear of the rest; it looks like noise, music, a sweep or DC.")
            .arg(analysis::kMinPeakOverBackgroundDb);
    case ArrivalStatus::NoDecay:
        return T("Something within %1 dB of the direct sound comes more than %2 ms after it; it looks like "
                 "more than one impulse, or noise.")
            .arg(-analysis::kMaxLateLevelDb)
            .arg(analysis::kDecayWindowMs);
    case ArrivalStatus::Found:
    case ArrivalStatus::Silent:
        break;
    }
    return {};
}

QString Ms(double ms) {
    return QString::number(ms, 'f', 3);
}

}  // namespace

AlignDialog::AlignDialog(FileChooser& files, Prompter& prompter, QWidget* parent)
    : CCommonDlg("XML_ALIGN", parent), files_(files), prompter_(prompter) {
    QWidget* l = Layout();
    if (!l) return;
    status_ = Named<QLabel>(l, "status");
    apply_ = Named<QPushButton>(l, "btnApply");
    auto* cancel = Named<QPushButton>(l, "btnCancel");
    if (!status_ || !apply_ || !cancel) return;
    for (int k = 0; k < 6; ++k) {
        auto name = [k](const char* base) { return QByteArray(base) + QByteArray::number(k + 1); };
        Row& r = rows_[static_cast<size_t>(k)];
        r.path = Named<QLabel>(l, name("path").constData());
        r.arrival = Named<QLabel>(l, name("arrival").constData());
        r.delay = Named<QLabel>(l, name("delay").constData());
        r.polarity = Named<QLabel>(l, name("polarity").constData());
        auto* choose = Named<QPushButton>(l, name("choose").constData());
        auto* clear = Named<QPushButton>(l, name("clear").constData());
        if (!r.path || !r.arrival || !r.delay || !r.polarity || !choose || !clear) return;
        connect(choose, &QPushButton::clicked, this, [this, k] { Choose(k); });
        connect(clear, &QPushButton::clicked, this, [this, k] { Clear(k); });
    }
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (!Delays().empty()) done(kOk);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
    ShowRows();
}

std::vector<std::pair<int, int>> AlignDialog::Delays() const {
    std::vector<std::pair<int, int>> delays;
    if (!Applicable()) return delays;
    for (size_t i = 0; i < proposed_.size(); ++i)
        delays.emplace_back(BlockOfChannel(proposed_[i] + 1), proposal_.raw[i]);
    return delays;
}

bool AlignDialog::Applicable() const {
    return proposal_.status == analysis::DelayProposalStatus::Proposed && proposed_.size() >= 2 &&
           RefusedRow() < 0;
}

int AlignDialog::RefusedRow() const {
    for (int k = 0; k < 6; ++k)
        if (const auto& found = rows_[static_cast<size_t>(k)].found;
            found && found->status != analysis::ArrivalStatus::Found)
            return k;
    return -1;
}

void AlignDialog::Choose(int row) {
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
    if (arrival.status == analysis::ArrivalStatus::Silent)
        return prompter_.Inform(this, T("%1 is silent: there is no direct sound to time.").arg(path), title);
    Row& r = rows_[static_cast<size_t>(row)];
    r.file = path;
    r.found = arrival;
    ShowRows();
}

void AlignDialog::Clear(int row) {
    Row& r = rows_[static_cast<size_t>(row)];
    r.file.clear();
    r.found.reset();
    ShowRows();
}

void AlignDialog::ShowRows() {
    std::vector<double> arrivals;
    std::vector<int> polarities;
    proposed_.clear();
    for (int k = 0; k < 6; ++k)
        if (const auto& found = rows_[static_cast<size_t>(k)].found;
            found && found->status == analysis::ArrivalStatus::Found) {
            proposed_.push_back(k);
            arrivals.push_back(found->ms);
            polarities.push_back(found->polarity);
        }
    proposal_ = analysis::ProposeDelays(arrivals);
    const bool proposed = Applicable();
    const std::vector<bool> inverted = proposed_.size() >= 2 ? analysis::InvertedPolarityHints(polarities)
                                                             : std::vector<bool>(proposed_.size());
    for (Row& r : rows_) {
        r.path->setText(r.file.isEmpty() ? T("(none)") : QFileInfo(r.file).fileName());
        r.path->setToolTip(r.file);
        r.delay->clear();
        r.polarity->clear();
        const bool refused = r.found && r.found->status != analysis::ArrivalStatus::Found;
        r.arrival->setText(refused ? ShortReason(r.found->status) : QString());
        r.arrival->setToolTip(refused ? Reason(r.found->status) : QString());
    }
    for (size_t i = 0; i < proposed_.size(); ++i) {
        Row& r = rows_[static_cast<size_t>(proposed_[i])];
        r.arrival->setText(Ms(r.found->ms));
        if (proposed) r.delay->setText(Ms(proposal_.raw[i] / double(analysis::kDelayStepsPerMs)));
        if (inverted[i]) r.polarity->setText(T("inverted?"));
    }
    if (const int refused = RefusedRow(); refused >= 0) {
        const Row& r = rows_[static_cast<size_t>(refused)];
        status_->setText(T("CH%1: %2 does not look like an impulse response. %3 Clear it or choose another "
                           "file.")
                             .arg(refused + 1)
                             .arg(QFileInfo(r.file).fileName(), Reason(r.found->status)));
    } else if (proposed_.size() < 2)
        status_->setText(T("Choose the impulse responses of at least two channels."));
    else if (!proposed)
        status_->setText(
            T("The arrivals lie %1 ms apart; the box delays a channel by 20 ms at most. The delays "
              "cannot be applied.")
                .arg(Ms(proposal_.spreadMs)));
    else if (std::find(inverted.begin(), inverted.end(), true) != inverted.end())
        status_->setText(
            T("The latest channel gets no delay. A channel marked inverted? swings the other way "
              "from the rest: check its wiring or its Phase button."));
    else
        status_->setText(T("The latest channel gets no delay; the others wait for it."));
    apply_->setEnabled(proposed);
}

void AlignDialog::changeEvent(QEvent* e) {
    if (e->type() == QEvent::LanguageChange && apply_) ShowRows();
    CCommonDlg::changeEvent(e);
}

}  // namespace caraudio::app
