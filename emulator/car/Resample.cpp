#include "Resample.h"

#include <cmath>

#include "Resampled.h"
#include "VirtualCar.h"

namespace caraudio::emulator {

std::vector<double> ImpulseResponseAt48k(const std::vector<double>& samples, int rate) {
    if (rate == kCarRate || samples.empty()) return samples;
    const double ratio = static_cast<double>(kCarRate) / rate;
    // Room for the converter's filter, which rings past the end.
    std::vector<double> result =
        analysis::Resampled(samples, ratio, static_cast<size_t>(std::ceil(samples.size() * ratio)) + 64);
    for (double& v : result) v /= ratio;
    return result;
}

}  // namespace caraudio::emulator
