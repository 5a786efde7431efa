#include "MeasureRun.h"

#include <QDateTime>
#include <QDir>
#include <QThread>
#include <cmath>

#include "MeasurementFiles.h"
#include "ParamDatabase.h"
#include "PositionAverage.h"
#include "TakeRouting.h"
#include "ValueScales.h"

namespace caraudio::app {

MeasureRun::MeasureRun(audio::AudioSystem& audio, ParamDatabase& db, Settings settings, QObject* parent)
    : QObject(parent), audio_(audio), db_(db), s_(std::move(settings)) {}

MeasureRun::~MeasureRun() {
    // A take still running is stopped and waited for: it holds this run's
    // buffers.
    cancel_ = true;
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

int MeasureRun::TakesInAll() const {
    return 1 + static_cast<int>(s_.blocks.size()) * s_.repeats * s_.positions;
}

double MeasureRun::TakeLevel() {
    return level_->exchange(0.0);
}

void MeasureRun::Launch(std::function<void()> work, void (MeasureRun::*done)()) {
    worker_ = QThread::create(std::move(work));
    connect(worker_, &QThread::finished, this, done, Qt::QueuedConnection);
    worker_->start();
}

void MeasureRun::Start() {
    if (running_ || s_.blocks.empty()) return;
    running_ = true;
    cancel_ = false;
    // What every channel is measured through: the user's settings.
    if (!measure::WriteSessionImage(s_.folder.toStdString(), db_.Block())) {
        failedFile_ = QDir(s_.folder).filePath(QString::fromUtf8(measure::kSessionImageName.data()));
        running_ = false;
        emit finished(Ending::NotSaved);
        return;
    }
    routing_ = std::make_unique<measure::TakeRouting>(db_);
    index_ = {};
    index_.when = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm").toStdString();
    index_.timing = s_.rig.Timing();
    index_.repeats = s_.repeats;
    index_.calibration = s_.calibrationPath.toStdString();
    StartQuiet();
}

void MeasureRun::Cancel() {
    cancel_ = true;
}

void MeasureRun::StartQuiet() {
    if (!routing_->Route(s_.blocks.front(), s_.rig.sweepOutput)) {
        failedBlock_ = s_.blocks.front();
        return Finish(Ending::BoxRefused);
    }
    quietPlan_ = measure::PlanQuietTake(s_.rig, s_.sweep);
    // The level reaches the meter through one atomic: the recording thread
    // neither locks nor allocates for it.
    quietPlan_.request.level = [level = level_](double peak) {
        double seen = level->load();
        while (peak > seen && !level->compare_exchange_weak(seen, peak)) {
        }
    };
    Launch([this] { quietResult_ = audio_.PlayAndRecord(quietPlan_.request, cancel_); },
           &MeasureRun::QuietDone);
}

void MeasureRun::QuietDone() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    ++takesDone_;
    if (cancel_ || quietResult_.status == audio::AudioStatus::Cancelled) return Finish(Ending::Cancelled);
    if (quietResult_.status != audio::AudioStatus::Done) {
        problem_ = {};
        problem_.problem = measure::TakeProblem::Failed;
        problem_.status = quietResult_.status;
        problem_.message = quietResult_.message;
        failedBlock_ = s_.blocks.front();
        return Finish(Ending::TakeFailed);
    }
    const measure::QuietOutcome quiet =
        measure::LevelFromQuietTest(s_.rig, quietPlan_, quietResult_, s_.sweep);
    if (!quiet.heard) {
        failedBlock_ = s_.blocks.front();
        return Finish(Ending::NotHeard);
    }
    levelDbfs_ = quiet.levelDbfs;
    analysis::SweepSettings sweep = s_.sweep;
    sweep.levelDbfs = levelDbfs_;
    index_.sweepLowHz = sweep.lowHz, index_.sweepHighHz = sweep.highHz;
    index_.sweepSeconds = sweep.seconds, index_.levelDbfs = sweep.levelDbfs;
    plan_ = measure::PlanTake(s_.rig, analysis::ExponentialSweep(sweep), levelDbfs_);
    plan_.request.level = quietPlan_.request.level;
    channel_ = 0;
    repeat_ = 0;
    position_ = 0;
    atPositions_.assign(s_.blocks.size(), {});
    StartTake();
}

void MeasureRun::NextPosition() {
    if (!running_ || worker_) return;
    if (cancel_) return Finish(Ending::Cancelled);
    ++position_;
    channel_ = 0;
    StartTake();
}

void MeasureRun::StartTake() {
    const int block = s_.blocks[channel_];
    if (repeat_ == 0) {
        std::optional<measure::TakeRouting::Reference> reference;
        if (s_.rig.Acoustic())
            reference = measure::TakeRouting::Reference{s_.rig.referenceBlock, s_.rig.referenceOutput};
        if (!routing_->Route(block, s_.rig.sweepOutput, reference)) {
            failedBlock_ = block;
            return Finish(Ending::BoxRefused);
        }
        sum_.assign(static_cast<size_t>(measure::kResponseSeconds * audio::kRate), 0.0);
        peakDb_ = -INFINITY, driftPpm_ = 0;
    }
    Launch(
        [this] { take_ = measure::AnalyseTake(s_.rig, plan_, audio_.PlayAndRecord(plan_.request, cancel_)); },
        &MeasureRun::TakeDone);
}

void MeasureRun::TakeDone() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    const int block = s_.blocks[channel_];
    if (cancel_ || take_.status == audio::AudioStatus::Cancelled) return Finish(Ending::Cancelled);
    if (take_.problem != measure::TakeProblem::None) {
        problem_ = take_;
        failedBlock_ = block;
        return Finish(Ending::TakeFailed);
    }
    ++takesDone_;
    for (size_t i = 0; i < sum_.size() && i < take_.response.size(); ++i)
        sum_[i] += take_.response[i] / s_.repeats;
    peakDb_ = std::max(peakDb_, take_.peakDb);
    driftPpm_ += take_.driftPpm / s_.repeats;
    ++repeat_;
    emit takeDone(block, position_ * s_.repeats + repeat_, s_.positions * s_.repeats);
    if (repeat_ < s_.repeats) return StartTake();
    repeat_ = 0;
    atPositions_[channel_].push_back(
        measure::FinishChannel(block, std::move(sum_), peakDb_, driftPpm_, s_.rig, s_.calibration));
    if (position_ + 1 == s_.positions) {
        // The first position's response, arrival and readings stand for the
        // channel; its levels are those of every position.
        measure::ChannelResult result = atPositions_[channel_].front();
        std::vector<analysis::ComplexResponse> spectra;
        for (const measure::ChannelResult& r : atPositions_[channel_]) spectra.push_back(r.spectrum);
        result.spectrum = analysis::AveragePositions(spectra);
        std::string failed;
        if (!measure::SaveChannel(s_.folder.toStdString(), result, s_.rig.Timing(), "caraudio", index_,
                                  failed)) {
            failedFile_ = QString::fromStdString(failed);
            return Finish(Ending::NotSaved);
        }
        results_.push_back(std::move(result));
        emit channelDone(block);
    }
    if (++channel_ < s_.blocks.size()) return StartTake();
    if (position_ + 1 < s_.positions) {
        emit positionDone(position_ + 2, s_.positions);  // the window moves on with NextPosition
        return;
    }
    Finish(Ending::Done);
}

void MeasureRun::Finish(Ending ending) {
    routing_.reset();  // the user's mutes and mixer back
    running_ = false;
    emit finished(ending);
}

}  // namespace caraudio::app
