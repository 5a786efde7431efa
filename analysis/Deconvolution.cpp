#include "Deconvolution.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "Fft.h"

namespace caraudio::analysis {
namespace {

constexpr double kRegularisation = 1e-6;

}  // namespace

std::vector<double> Deconvolve(const std::vector<double>& recorded, const std::vector<double>& reference,
                               size_t frames, double delayFrames) {
    // Long enough that the response's tail does not wrap onto its start,
    // wherever the delay puts it.
    const size_t size = FftSizeFor(std::max(recorded.size(), reference.size()) + frames +
                                   static_cast<size_t>(std::ceil(std::fabs(delayFrames))));
    const std::vector<std::complex<double>> y = RealSpectrum(recorded, size),
                                            x = RealSpectrum(reference, size);
    double strongest = 0;
    for (const auto& v : x) strongest = std::max(strongest, std::norm(v));
    if (!(strongest > 0)) return std::vector<double>(frames, 0.0);  // a silent reference explains nothing
    std::vector<std::complex<double>> h(y.size());
    // The delay's phase turns by the same step from bin to bin.
    const std::complex<double> step =
        std::polar(1.0, -2 * std::numbers::pi * delayFrames / static_cast<double>(size));
    std::complex<double> turn = 1;
    for (size_t k = 0; k < h.size(); ++k, turn *= step)
        h[k] = y[k] * std::conj(x[k]) / (std::norm(x[k]) + kRegularisation * strongest) * turn;
    std::vector<double> out = RealSamples(h, size);
    out.resize(std::min(frames, out.size()));
    return out;
}

}  // namespace caraudio::analysis
