#pragma once

#include <cstdio>
#include <string>

#include "CliCurveArgs.h"
#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "FrequencySpan.h"
#include "MeasuredWith.h"
#include "Measurement.h"
#include "Smoothing.h"
#include "Target.h"

namespace caraudio::cli {

// The options that name a measurement and what it is set against.
struct OverlayArgs {
    std::string measurementPath;
    std::string column;        // empty: the automatic choice
    std::string smoothing;     // empty: none
    std::string target;        // empty: flat
    std::string measuredWith;  // empty: flat
};

// A measurement file and a target as the command line names them, read
// before the box is asked for anything, so a bad file costs nothing; then
// both on a grid, the measurement without what played while it was taken
// (the speaker alone) moved onto the target's level.
class MeasurementAgainstTarget {
public:
    // Says why not on err.
    bool Read(const OverlayArgs& args, std::FILE* err);
    // Puts the target on the grid and the speaker alone onto the target
    // over the reference range; what played is the channel's settings in
    // the image: the command line has no load time, so a measurement taken
    // through them was taken through the box's settings now. Says why not
    // on err.
    bool PutOnGrid(const FrequencyGrid& grid, const EffectBlock& image, int channel, std::FILE* err);
    // The "* Measured: ..." comment line naming the file, its column,
    // smoothing, move and the range it was set over, "* Measured with: ..."
    // saying what was taken out of it, and "* Note: ..." lines on how the
    // files were read.
    void PrintMeasuredLine(std::FILE* out) const;
    // Where both the measurement and the target have levels.
    analysis::FrequencySpan Covered() const;
    // "ch2.txt covers 900..1100 Hz and the target every frequency".
    std::string CoverageText() const;

    const std::string& Path() const { return measurementPath_; }
    // As it was measured, moved as the speaker alone is; NaN where nothing was measured.
    const Response& Measured() const { return measured_; }
    const Response& SpeakerAlone() const { return speaker_; }  // what a fit fits
    const Response& Target() const { return targetCurve_; }
    analysis::MeasuredWith With() const { return played_.with; }
    // Where the measurement was set onto the target (PutOnGrid).
    analysis::FrequencySpan LevelledOver() const { return levelledOver_; }

private:
    std::string measurementPath_;
    analysis::Measurement measurement_;
    analysis::MeasurementSource source_;
    analysis::Smoothing smoothing_ = analysis::Smoothing::None;
    analysis::PlayedSettings played_;
    TargetArg target_;
    double offsetDb_ = 0;
    analysis::FrequencySpan levelledOver_{0, 0};
    Response measured_{}, speaker_{}, targetCurve_{};
};

}  // namespace caraudio::cli
