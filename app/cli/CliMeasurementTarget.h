#pragma once

#include <cstdio>
#include <string>

#include "EqCurveModel.h"
#include "FrequencySpan.h"
#include "Measurement.h"
#include "Smoothing.h"
#include "Target.h"

namespace caraudio::cli {

// A measurement file and a target as the command line names them, read
// before the box is asked for anything, so a bad file costs nothing; then
// both on a grid, the measurement moved onto the target's level.
class MeasurementAgainstTarget {
public:
    // smoothing: empty is none; target: empty is flat. Says why not on err.
    bool Read(const std::string& measurementPath, const std::string& smoothing, const std::string& target,
              std::FILE* err);
    // Puts the target on the grid and the measurement onto the target over
    // the reference range; says why not on err.
    bool PutOnGrid(const FrequencyGrid& grid, std::FILE* err);
    // The "* Measured: ..." comment line naming the file, smoothing, move and
    // the range it was set over.
    void PrintMeasuredLine(std::FILE* out) const;
    // Where both the measurement and the target have levels.
    analysis::FrequencySpan Covered() const;
    // "ch2.txt covers 900..1100 Hz and the target every frequency".
    std::string CoverageText() const;

    const std::string& Path() const { return measurementPath_; }
    const Response& Measured() const { return measured_; }  // NaN where nothing was measured
    const Response& Target() const { return targetCurve_; }

private:
    std::string measurementPath_;
    analysis::Measurement measurement_;
    analysis::Smoothing smoothing_ = analysis::Smoothing::None;
    analysis::TargetText target_;
    analysis::Measurement targetFile_;
    double offsetDb_ = 0;
    analysis::FrequencySpan levelledOver_{0, 0};
    Response measured_{}, targetCurve_{};
};

}  // namespace caraudio::cli
