#include "Sweep.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace caraudio::analysis {
namespace {

constexpr double kFadeInOctaves = 0.5, kFadeOutOctaves = 0.1;

}  // namespace

std::vector<double> ExponentialSweep(const SweepSettings& s) {
    const auto frames = static_cast<size_t>(std::lround(s.seconds * s.rate));
    std::vector<double> x(frames, 0.0);
    if (frames < 2 || !(s.lowHz > 0 && s.highHz > s.lowHz)) return x;
    const double octaves = std::log2(s.highHz / s.lowHz);
    // The phase of f(t) = low * e^(t / l), l the time the frequency takes to grow e-fold.
    const double l = s.seconds / std::log(s.highHz / s.lowHz);
    const double peak = std::pow(10.0, s.levelDbfs / 20);
    const double fadeIn = std::min(1.0, kFadeInOctaves / octaves) * s.seconds;
    const double fadeOut = std::min(1.0, kFadeOutOctaves / octaves) * s.seconds;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / s.rate;
        double g = 1;
        if (t < fadeIn) g = 0.5 * (1 - std::cos(std::numbers::pi * t / fadeIn));
        if (s.seconds - t < fadeOut)
            g = std::min(g, 0.5 * (1 - std::cos(std::numbers::pi * (s.seconds - t) / fadeOut)));
        x[i] = peak * g * std::sin(2 * std::numbers::pi * s.lowHz * l * (std::exp(t / l) - 1));
    }
    return x;
}

}  // namespace caraudio::analysis
