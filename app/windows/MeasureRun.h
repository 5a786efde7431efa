#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "AudioSystem.h"
#include "MeasurementIndex.h"
#include "MeasuringRig.h"
#include "MeasuringTake.h"
#include "MicCalibration.h"
#include "Sweep.h"

class QThread;

namespace caraudio {
class ParamDatabase;
}

namespace caraudio::measure {
class TakeRouting;
}

namespace caraudio::app {

// One measurement of several channels, run as the command line runs it:
// the quiet test through the first channel, then each channel soloed on
// the box and swept, its takes averaged, saved into the session folder.
// The box is routed on this (the GUI) thread; each take plays and is read
// on a thread of its own, so the window stays responsive. The user's mutes
// and mixer come back when it ends, however it ends.
class MeasureRun final : public QObject {
    Q_OBJECT
public:
    struct Settings {
        measure::Rig rig;
        std::vector<int> blocks;
        analysis::SweepSettings sweep;
        int repeats = 1;
        int positions = 1;  // of the microphone, each channel averaged over them
        std::optional<analysis::MicCalibration> calibration;
        QString calibrationPath;
        QString folder;  // the session folder, made by the caller
    };
    enum class Ending {
        Done,
        Cancelled,
        BoxRefused,  // the box did not take a channel's solo
        NotHeard,    // the quiet test was not heard
        TakeFailed,  // `Problem()` says how
        NotSaved,    // `FailedFile()` could not be written
    };

    MeasureRun(audio::AudioSystem& audio, ParamDatabase& db, Settings settings, QObject* parent = nullptr);
    ~MeasureRun() override;

    void Start();
    void Cancel();
    // After positionDone, once the microphone is at the next position; or
    // Cancel there.
    void NextPosition();
    bool Running() const { return running_; }

    // The loudest the microphone heard since last asked, 0..1, from the
    // thread that records; read by a timer.
    double TakeLevel();
    // Done takes of all, for the overall bar; done of the channel's own.
    int TakesDone() const { return takesDone_; }
    int TakesInAll() const;
    double SweepLevelDbfs() const { return levelDbfs_; }
    int FailedBlock() const { return failedBlock_; }
    const measure::TakeOutcome& Problem() const { return problem_; }
    const QString& FailedFile() const { return failedFile_; }
    const std::vector<measure::ChannelResult>& Results() const { return results_; }

signals:
    // `done` of the channel's `of` takes (its sweeps at every position).
    void takeDone(int block, int done, int of);
    // Every channel measured at this position; `next` (from 1) comes next.
    void positionDone(int next, int of);
    void channelDone(int block);
    void finished(caraudio::app::MeasureRun::Ending ending);

private:
    void StartQuiet();
    void QuietDone();
    void StartTake();
    void TakeDone();
    void Finish(Ending ending);
    void Launch(std::function<void()> work, void (MeasureRun::*done)());

    audio::AudioSystem& audio_;
    ParamDatabase& db_;
    Settings s_;
    std::unique_ptr<measure::TakeRouting> routing_;
    measure::TakePlan quietPlan_, plan_;
    QThread* worker_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::shared_ptr<std::atomic<double>> level_ = std::make_shared<std::atomic<double>>(0.0);
    // What a worker leaves for this thread; read once it has finished.
    audio::PlayRecordResult quietResult_;
    measure::TakeOutcome take_;
    bool running_ = false;
    double levelDbfs_ = 0;
    size_t channel_ = 0;
    int position_ = 0;
    std::vector<std::vector<measure::ChannelResult>> atPositions_;  // by channel, then position
    int repeat_ = 0, takesDone_ = 0, failedBlock_ = 0;
    std::vector<double> sum_;
    double peakDb_ = 0, driftPpm_ = 0;
    measure::TakeOutcome problem_;
    QString failedFile_;
    measure::MeasurementIndex index_;
    std::vector<measure::ChannelResult> results_;
};

}  // namespace caraudio::app
