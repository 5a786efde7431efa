#pragma once

#include <array>
#include <memory>
#include <random>
#include <vector>

#include "BlockConvolver.h"
#include "Microphone.h"
#include "VirtualCar.h"

namespace caraudio::emulator {

// The car's frames are heard in blocks this long: four of the box's, so the
// long responses cost a quarter of the partitions they would.
inline constexpr size_t kCarBlockFrames = 4 * kBlockFrames;

// What the microphone at the seat picks up from the box's six outputs: each
// through its response in the car, summed, with the cabin's noise, through
// the microphone's own response. Not clipped: that is the input's doing.
class SeatMicrophone {
public:
    SeatMicrophone(const VirtualCar& car, Microphone mic, unsigned noiseSeed);

    // kCarBlockFrames of each output in, as many of the microphone out.
    void Run(const std::array<const double*, kChannelCount>& outputs, double* mic);

private:
    std::array<std::unique_ptr<BlockConvolver>, kChannelCount> paths_;
    Microphone mic_;
    struct State {
        double z1 = 0, z2 = 0;
    };
    std::vector<State> state_;
    std::vector<double> scratch_;
    std::mt19937 random_;
    std::normal_distribution<double> noise_;
};

}  // namespace caraudio::emulator
