#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CliDeviceCommands.h"
#include "MeasuringRig.h"
#include "Sweep.h"

namespace caraudio::cli {

struct MeasureArgs {
    std::vector<int> channels;  // blocks, in the order given
    std::string out, calibration;
    measure::RigChoice rig;
    analysis::SweepSettings sweep;
    bool allowFullRange = false;
    int repeats = 1;
};

// `measure`'s arguments; false (with the reason on err where it is not the
// usage) when they do not make a measurement.
bool ReadMeasureArgs(CommandArgs args, MeasureArgs& m, std::FILE* err);

}  // namespace caraudio::cli
