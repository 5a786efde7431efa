#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "ParameterTable.h"

namespace caraudio::emulator {

inline constexpr int kCarRate = 48000;

// A car as the microphone at the seat hears it: one impulse response per
// box output, from the output to the microphone at 48 kHz (time from the
// box's output, so the path is in it), and the background noise there.
struct VirtualCar {
    std::array<std::vector<double>, kChannelCount> responses;  // by the box's output block
    double noiseDb = -80;  // RMS of the noise at the microphone, dB full scale
};

// A small saloon: left and right tweeters on the pillars, door mids, two
// subs in the trunk, heard from the driver's seat. Each speaker's roll-offs
// are minimum-phase sections, the subs have the cabin's gain below 50 Hz,
// and every speaker has a few reflections off glass and panels; the paths
// come from where the speakers sit against the listener's head.
VirtualCar DefaultCar();

// The seat-to-speaker distance of each output block of the default car, metres.
std::array<double, kChannelCount> DefaultCarPaths();

// A car from a folder: CH1.wav .. CH6.wav, named as the program names the
// channels (CHn is output block BlockOfChannel(n)), one channel each, at any rate the
// impulse-response reader takes, resampled to 48 kHz keeping its frequency
// response; and, optionally, noise.txt holding the noise level in dB full
// scale. `error` says what is wrong with which file.
struct CarRead {
    bool ok = false;
    VirtualCar car;
    std::string error;
};
CarRead ReadCar(const std::filesystem::path& folder);

}  // namespace caraudio::emulator
