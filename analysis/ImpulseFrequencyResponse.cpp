#include "ImpulseFrequencyResponse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Fft.h"

namespace caraudio::analysis {
namespace {

// Bins no wider than this in Hz: between two of them the spectrum of a
// response delayed by up to 20 ms turns by under 0.1 rad, so interpolating
// them is as good as evaluating the transform at the grid point.
constexpr double kWidestBinHz = 0.5;

std::vector<double> Kept(const ImpulseResponse& r) {
    const auto& x = r.samples;
    const auto peak = static_cast<size_t>(
        std::max_element(x.begin(), x.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
        x.begin());
    const size_t end = std::min(x.size(), peak + static_cast<size_t>(kSpectrumAfterPeakS * r.rate));
    std::vector<double> kept(x.begin(), x.begin() + static_cast<long>(end));
    const size_t fade = std::min(end - peak, static_cast<size_t>(kSpectrumFadeS * r.rate));
    for (size_t k = 0; k < fade; ++k)
        kept[end - fade + k] *= 0.5 * (1 + std::cos(std::numbers::pi * static_cast<double>(k + 1) / fade));
    return kept;
}

}  // namespace

ComplexResponse ImpulseFrequencyResponse(const ImpulseResponse& response, const FrequencyGrid& grid) {
    ComplexResponse out;
    out.fill(0.0);
    if (response.samples.empty() || response.rate <= 0) return out;
    const std::vector<double> kept = Kept(response);
    const size_t size = FftSizeFor(std::max(kept.size(), static_cast<size_t>(response.rate / kWidestBinHz)));
    const std::vector<std::complex<double>> bins = RealSpectrum(kept, size);
    const double binsPerHz = static_cast<double>(size) / response.rate;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double at = grid.Hz(i) * binsPerHz;
        const auto k = static_cast<size_t>(at);
        if (k + 1 >= bins.size()) continue;
        const double t = at - static_cast<double>(k);
        out[static_cast<size_t>(i)] = bins[k] + t * (bins[k + 1] - bins[k]);
    }
    return out;
}

}  // namespace caraudio::analysis
