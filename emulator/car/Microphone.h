#pragma once

#include <string>
#include <vector>

#include "ChannelPlan.h"

namespace caraudio::emulator {

// The measuring microphone: its own response (minimum-phase sections) and
// what its calibration file says of it.
struct Microphone {
    std::vector<Section> sections;
    double sensitivityDb = 0;  // "Sens Factor"
    std::string serial = "EMU-0000";
};

// A measurement microphone as flat as the good ones are.
Microphone FlatMicrophone();
// A cheap capsule: rolls off below 40 Hz, lifts 4 dB near 9 kHz and falls
// above 16 kHz; a calibration file undoes it.
Microphone BudgetMicrophone();

// Its response in dB at `hz`.
double MicrophoneDb(const Microphone& mic, double hz);

// A calibration file for it as USB measurement microphones ship them: the
// header with its sensitivity and serial number, then "frequency dB" lines
// from 10 Hz to 24 kHz, 24 to the octave.
std::string CalibrationFileText(const Microphone& mic);

}  // namespace caraudio::emulator
