#pragma once

#include <cstdio>
#include <string>

#include "CliDeviceCommands.h"
#include "CliMeasurementTarget.h"
#include "EqCurveModel.h"

namespace caraudio::cli {

// Takes args[i] (and its value) when it is one of the options above.
bool TakeOverlayArg(CommandArgs args, size_t& i, OverlayArgs& a);

// `curve`'s measured, predicted and target levels for every point of the
// curve: read before the box is asked for anything, so a bad file costs
// nothing.
class OverlayColumns {
public:
    bool Empty() const { return !hasMeasurement_; }
    // Reads the files and checks the options; says why not on err.
    bool Read(const OverlayArgs& args, std::FILE* err);
    // Puts everything on the grid against the channel's curve; the
    // measurement was taken through the channel's settings in the image.
    bool Finish(const FrequencyGrid& grid, const EffectBlock& image, int channel, const EqCurveModel& model,
                std::FILE* err);
    void PrintHeader(std::FILE* out) const;
    // The three levels of point i, "-" where the measurement has none.
    void PrintPoint(int i, std::FILE* out) const;

private:
    bool hasMeasurement_ = false;
    MeasurementAgainstTarget source_;
    Response predicted_{};
};

}  // namespace caraudio::cli
