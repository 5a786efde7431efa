#pragma once

// A virtual car as files, the way `--car DIR` takes one: the generator's
// speakers at their paths, CH1, CH2 tweeters, CH3, CH4 door mids, CH5, CH6
// subs, and the cabin's noise.

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ParameterTable.h"
#include "SyntheticCar.h"
#include "SyntheticImpulse.h"

namespace caraudio::cli::rig {

// The responses written, by channel number less one.
inline std::array<std::vector<double>, kChannelCount> WriteCarFolder(const std::filesystem::path& folder,
                                                                     double noiseDb) {
    namespace car = caraudio::test::car;
    std::filesystem::create_directories(folder);
    const car::Chain chains[kChannelCount] = {car::Tweeter(),   car::Tweeter(1200), car::DoorMid(),
                                              car::DoorMid(70), car::Sub(),         car::Sub(35)};
    const double paths[kChannelCount] = {1.1, 1.45, 0.95, 1.4, 2.0, 2.1};
    std::array<std::vector<double>, kChannelCount> responses;
    for (size_t c = 0; c < kChannelCount; ++c) {
        car::Speaker s;
        s.chain = chains[c];
        s.pathM = paths[c];
        s.reflections = {{0.6, 0.4}, {1.7, -0.25}};
        s.noiseDb = -300;
        responses[c] = car::Render(s, 0.3);
        std::ofstream(folder / ("CH" + std::to_string(c + 1) + ".wav"), std::ios::binary)
            << analysis::synthetic::Wav(responses[c], 48000, SF_FORMAT_FLOAT);
    }
    std::ofstream(folder / "noise.txt") << noiseDb << "\n";
    return responses;
}

}  // namespace caraudio::cli::rig
