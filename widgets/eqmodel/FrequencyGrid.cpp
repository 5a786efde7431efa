#include "FrequencyGrid.h"

#include <algorithm>
#include <cmath>

namespace caraudio {

FrequencyGrid& FrequencyGrid::Shared() {
    static FrequencyGrid grid;
    return grid;
}

void FrequencyGrid::Build(double startHz) {
    if (IsBuilt()) return;
    const double f0 = std::clamp(startHz, 10.0, 20.0);
    const double wStart = f0 * 3.14159265358979 / 24000;
    const double l0 = std::log10(wStart);
    const double step = (std::log10(3.14159265358979) - l0) / kPoints;
    for (size_t i = 0; i < kPoints; ++i) {
        const double w = std::pow(10.0, l0 + static_cast<double>(i) * step);
        w_[i] = w;
        cos1_[i] = std::cos(w);
        sin1_[i] = std::sin(w);
        cos2_[i] = std::cos(2 * w);
        sin2_[i] = std::sin(2 * w);
    }
    startHz_ = f0;
}

}  // namespace caraudio
