#include "SeatMicrophone.h"

#include <algorithm>
#include <cmath>

namespace caraudio::emulator {

SeatMicrophone::SeatMicrophone(const VirtualCar& car, Microphone mic, unsigned noiseSeed)
    : mic_(std::move(mic)),
      state_(mic_.sections.size()),
      scratch_(kCarBlockFrames),
      random_(noiseSeed),
      noise_(0.0, std::pow(10.0, car.noiseDb / 20)) {
    for (size_t c = 0; c < kChannelCount; ++c)
        paths_[c] = std::make_unique<BlockConvolver>(car.responses[c], kCarBlockFrames);
}

void SeatMicrophone::Run(const std::array<const double*, kChannelCount>& outputs, double* mic) {
    for (size_t i = 0; i < kCarBlockFrames; ++i) mic[i] = noise_(random_);
    for (size_t c = 0; c < kChannelCount; ++c) {
        std::copy(outputs[c], outputs[c] + kCarBlockFrames, scratch_.begin());
        paths_[c]->Run(scratch_.data());
        for (size_t i = 0; i < kCarBlockFrames; ++i) mic[i] += scratch_[i];
    }
    for (size_t s = 0; s < mic_.sections.size(); ++s) {
        const Section& c = mic_.sections[s];
        State& z = state_[s];
        for (size_t i = 0; i < kCarBlockFrames; ++i) {
            const double x = mic[i];
            const double y = c.b0 * x + z.z1;
            z.z1 = c.b1 * x - c.a1 * y + z.z2;
            z.z2 = c.b2 * x - c.a2 * y;
            mic[i] = y;
        }
    }
}

}  // namespace caraudio::emulator
