#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CliDeviceCommands.h"
#include "Sweep.h"

namespace caraudio::cli {

// What a measurement is timed against.
struct MeasureReference {
    enum Kind { Default, Loopback, Acoustic } kind = Default;
    int loopbackChannel = 2;  // the input channel (from 1) the output's sweep comes back on
    int block = 0;            // the acoustic reference's output block
};

struct MeasureArgs {
    std::vector<int> channels;  // blocks, in the order given
    std::string out, calibration;
    std::string output, input;                // device ids; empty: the first listed
    int outputChannel = 1, inputChannel = 1;  // from 1: the sweep's and the microphone's
    MeasureReference reference;
    analysis::SweepSettings sweep;
    bool allowFullRange = false;
    int repeats = 1;
};

// `measure`'s arguments; false (with the reason on err where it is not the
// usage) when they do not make a measurement.
bool ReadMeasureArgs(CommandArgs args, MeasureArgs& m, std::FILE* err);

// The loudest a sweep may be played at, in dB full scale.
inline constexpr double kLoudestSweepDbfs = -3;

}  // namespace caraudio::cli
