#pragma once

#include <optional>
#include <string>
#include <vector>

#include "AcousticReference.h"
#include "AudioSystem.h"
#include "ComplexResponse.h"
#include "MeasuringRig.h"
#include "MicCalibration.h"
#include "Sweep.h"

namespace caraudio::measure {

// How long a measured impulse response is.
inline constexpr double kResponseSeconds = 1.0;
// The loudest a sweep may be played at, in dB full scale.
inline constexpr double kLoudestSweepDbfs = -3;

// One take as played: the sweep, and what it is timed by.
struct TakePlan {
    audio::PlayRecordRequest request;
    analysis::AcousticTake acoustic;
};

TakePlan PlanTake(const Rig& rig, const std::vector<double>& sweep, double levelDbfs);

// The quiet test before the first sweep: a short sweep far below any
// measuring level through the first channel, untimed.
TakePlan PlanQuietTake(const Rig& rig, const analysis::SweepSettings& sweep);

enum class TakeProblem {
    None,
    Failed,  // the devices said why: `message`
    MicrophoneClipped,
    LoopbackClipped,
    LoopbackSilent,
    ReferenceNotHeard,  // the acoustic reference, before the sweep
    ReferenceLost,      // heard before the sweep, not after it
};

struct TakeOutcome {
    TakeProblem problem = TakeProblem::None;
    audio::AudioStatus status = audio::AudioStatus::Done;
    std::string message;
    std::vector<double> response;  // kResponseSeconds long, when no problem
    double peakDb = -INFINITY, driftPpm = 0;
};

// One take's response against its reference.
TakeOutcome AnalyseTake(const Rig& rig, const TakePlan& plan, const audio::PlayRecordResult& recorded);

struct QuietOutcome {
    bool heard = false;
    double levelDbfs = 0;  // the sweep's, never above what was asked
};

// From the quiet take: the level at which the sweep itself will peak with
// room to spare in the microphone; or not heard at all.
QuietOutcome LevelFromQuietTest(const Rig& rig, const TakePlan& quiet,
                                const audio::PlayRecordResult& recorded,
                                const analysis::SweepSettings& asked);

// A channel's takes averaged, and what is read from them.
struct ChannelResult {
    int block = 0;
    std::vector<double> response;        // on the timing reference's time zero
    analysis::ComplexResponse spectrum;  // on the editor's grid, calibrated where a file was given
    double snrDb = 0, peakDbfs = -INFINITY, arrivalMs = 0, driftPpm = 0;
};

ChannelResult FinishChannel(int block, std::vector<double> averaged, double peakDbfs, double driftPpm,
                            const Rig& rig, const std::optional<analysis::MicCalibration>& calibration);

// The largest sample's power over the mean power of the response's last
// quarter second, where only noise is left.
double SignalToNoiseDb(const std::vector<double>& h);
// The largest sample in dB full scale; minus infinity for silence.
double PeakDb(const std::vector<double>& x);

}  // namespace caraudio::measure
