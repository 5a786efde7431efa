#pragma once

#include <cstdio>
#include <string>

#include "CliDeviceCommands.h"
#include "EqCurveModel.h"
#include "Measurement.h"
#include "Smoothing.h"
#include "Target.h"

namespace caraudio::cli {

// `curve`'s options for a measurement beside the channel's curve.
struct OverlayArgs {
    std::string measurementPath;
    std::string smoothing;  // empty: none
    std::string target;     // empty: flat
};

// Takes args[i] (and its value) when it is one of the options above.
bool TakeOverlayArg(CommandArgs args, size_t& i, OverlayArgs& a);

// Measured, predicted and target levels for every point of the curve: read
// before the box is asked for anything, so a bad file costs nothing.
class OverlayColumns {
public:
    bool Empty() const { return measurement_.points.empty(); }
    // Reads the files and checks the options; says why not on err.
    bool Read(const OverlayArgs& args, std::FILE* err);
    // Puts everything on the grid against the channel's curve.
    bool Finish(const FrequencyGrid& grid, const EqCurveModel& channel, std::FILE* err);
    void PrintHeader(std::FILE* out) const;
    // The three levels of point i, "-" where the measurement has none.
    void PrintPoint(int i, std::FILE* out) const;

private:
    std::string measurementPath_;
    analysis::Measurement measurement_;
    analysis::Smoothing smoothing_ = analysis::Smoothing::None;
    analysis::TargetText target_;
    analysis::Measurement targetFile_;
    double offsetDb_ = 0;
    Response measured_{}, predicted_{}, targetCurve_{};
};

}  // namespace caraudio::cli
