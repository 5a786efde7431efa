#include "Deconvolution.h"

#include <algorithm>
#include <complex>

#include "Fft.h"

namespace caraudio::analysis {
namespace {

constexpr double kRegularisation = 1e-6;

}  // namespace

std::vector<double> Deconvolve(const std::vector<double>& recorded, const std::vector<double>& reference,
                               size_t frames) {
    // Long enough that the response's tail does not wrap onto its start.
    const size_t size = FftSizeFor(std::max(recorded.size(), reference.size()) + frames);
    const std::vector<std::complex<double>> y = RealSpectrum(recorded, size),
                                            x = RealSpectrum(reference, size);
    double strongest = 0;
    for (const auto& v : x) strongest = std::max(strongest, std::norm(v));
    if (!(strongest > 0)) return std::vector<double>(frames, 0.0);  // a silent reference explains nothing
    std::vector<std::complex<double>> h(y.size());
    for (size_t k = 0; k < h.size(); ++k)
        h[k] = y[k] * std::conj(x[k]) / (std::norm(x[k]) + kRegularisation * strongest);
    std::vector<double> out = RealSamples(h, size);
    out.resize(std::min(frames, out.size()));
    return out;
}

}  // namespace caraudio::analysis
