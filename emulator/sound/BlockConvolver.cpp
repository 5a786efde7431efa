#include "BlockConvolver.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

#include "Fft.h"

namespace caraudio::emulator {

namespace {
constexpr size_t kSize = 2 * kBlockFrames;
constexpr size_t kBins = kSize / 2 + 1;
}  // namespace

// Plans and their aligned arrays; the partitions' spectra are copied in and
// out of these, so any std::vector may hold them.
struct BlockConvolver::Transforms {
    double* real = fftw_alloc_real(kSize);
    fftw_complex* bins = fftw_alloc_complex(kBins);
    fftw_plan forward, backward;
    Transforms() {
        std::lock_guard hold(analysis::PlannerLock());
        forward = fftw_plan_dft_r2c_1d(static_cast<int>(kSize), real, bins, FFTW_ESTIMATE);
        backward = fftw_plan_dft_c2r_1d(static_cast<int>(kSize), bins, real, FFTW_ESTIMATE);
    }
    ~Transforms() {
        {
            std::lock_guard hold(analysis::PlannerLock());
            fftw_destroy_plan(forward);
            fftw_destroy_plan(backward);
        }
        fftw_free(real);
        fftw_free(bins);
    }
    void SpectrumOf(const double* samples, std::vector<std::complex<double>>& out) {
        std::copy(samples, samples + kSize, real);
        fftw_execute(forward);
        for (size_t k = 0; k < kBins; ++k) out[k] = {bins[k][0], bins[k][1]};
    }
};

BlockConvolver::BlockConvolver(const std::vector<double>& taps)
    : fft_(std::make_unique<Transforms>()), window_(kSize, 0.0), sum_(kBins) {
    const size_t count = std::max<size_t>(1, (taps.size() + kBlockFrames - 1) / kBlockFrames);
    std::vector<double> padded(kSize, 0.0);
    for (size_t p = 0; p < count; ++p) {
        std::fill(padded.begin(), padded.end(), 0.0);
        for (size_t i = 0; i < kBlockFrames && p * kBlockFrames + i < taps.size(); ++i)
            padded[i] = taps[p * kBlockFrames + i] / static_cast<double>(kSize);  // the way back is unscaled
        partitions_.emplace_back(kBins);
        fft_->SpectrumOf(padded.data(), partitions_.back());
    }
    history_.assign(count, std::vector<std::complex<double>>(kBins, 0.0));
}

BlockConvolver::~BlockConvolver() = default;

void BlockConvolver::Run(double* block) {
    std::copy(window_.begin() + kBlockFrames, window_.end(), window_.begin());
    std::copy(block, block + kBlockFrames, window_.begin() + kBlockFrames);
    newest_ = (newest_ + history_.size() - 1) % history_.size();
    fft_->SpectrumOf(window_.data(), history_[newest_]);
    std::fill(sum_.begin(), sum_.end(), 0.0);
    for (size_t p = 0; p < partitions_.size(); ++p) {
        const std::vector<std::complex<double>>& x = history_[(newest_ + p) % history_.size()];
        const std::vector<std::complex<double>>& h = partitions_[p];
        for (size_t k = 0; k < kBins; ++k) sum_[k] += h[k] * x[k];
    }
    for (size_t k = 0; k < kBins; ++k) fft_->bins[k][0] = sum_[k].real(), fft_->bins[k][1] = sum_[k].imag();
    fftw_execute(fft_->backward);
    // Overlap-save: the second half is the linear convolution.
    std::copy(fft_->real + kBlockFrames, fft_->real + kSize, block);
}

}  // namespace caraudio::emulator
