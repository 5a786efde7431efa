#include "BlockConvolver.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

#include "Fft.h"

namespace caraudio::emulator {

// Plans and their aligned arrays; the partitions' spectra are copied in and
// out of these, so any std::vector may hold them.
struct BlockConvolver::Transforms {
    size_t size, bins;
    double* real;
    fftw_complex* spectrum;
    fftw_plan forward, backward;
    explicit Transforms(size_t frames)
        : size(2 * frames),
          bins(frames + 1),
          real(fftw_alloc_real(size)),
          spectrum(fftw_alloc_complex(bins)) {
        std::lock_guard hold(analysis::PlannerLock());
        forward = fftw_plan_dft_r2c_1d(static_cast<int>(size), real, spectrum, FFTW_ESTIMATE);
        backward = fftw_plan_dft_c2r_1d(static_cast<int>(size), spectrum, real, FFTW_ESTIMATE);
    }
    ~Transforms() {
        {
            std::lock_guard hold(analysis::PlannerLock());
            fftw_destroy_plan(forward);
            fftw_destroy_plan(backward);
        }
        fftw_free(real);
        fftw_free(spectrum);
    }
    void SpectrumOf(const double* samples, std::vector<std::complex<double>>& out) {
        std::copy(samples, samples + size, real);
        fftw_execute(forward);
        for (size_t k = 0; k < bins; ++k) out[k] = {spectrum[k][0], spectrum[k][1]};
    }
};

BlockConvolver::BlockConvolver(const std::vector<double>& taps, size_t frames)
    : fft_(std::make_unique<Transforms>(frames)),
      window_(2 * frames, 0.0),
      sum_(frames + 1),
      frames_(frames) {
    const size_t count = std::max<size_t>(1, (taps.size() + frames - 1) / frames);
    std::vector<double> padded(2 * frames, 0.0);
    for (size_t p = 0; p < count; ++p) {
        std::fill(padded.begin(), padded.end(), 0.0);
        for (size_t i = 0; i < frames && p * frames + i < taps.size(); ++i)
            padded[i] = taps[p * frames + i] / static_cast<double>(2 * frames);  // the way back is unscaled
        partitions_.emplace_back(frames + 1);
        fft_->SpectrumOf(padded.data(), partitions_.back());
    }
    history_.assign(count, std::vector<std::complex<double>>(frames + 1, 0.0));
}

BlockConvolver::~BlockConvolver() = default;

void BlockConvolver::Run(double* block) {
    std::copy(window_.begin() + static_cast<long>(frames_), window_.end(), window_.begin());
    std::copy(block, block + frames_, window_.begin() + static_cast<long>(frames_));
    newest_ = (newest_ + history_.size() - 1) % history_.size();
    fft_->SpectrumOf(window_.data(), history_[newest_]);
    std::fill(sum_.begin(), sum_.end(), 0.0);
    for (size_t p = 0; p < partitions_.size(); ++p) {
        const std::vector<std::complex<double>>& x = history_[(newest_ + p) % history_.size()];
        const std::vector<std::complex<double>>& h = partitions_[p];
        for (size_t k = 0; k <= frames_; ++k) sum_[k] += h[k] * x[k];
    }
    for (size_t k = 0; k <= frames_; ++k)
        fft_->spectrum[k][0] = sum_[k].real(), fft_->spectrum[k][1] = sum_[k].imag();
    fftw_execute(fft_->backward);
    // Overlap-save: the second half is the linear convolution.
    std::copy(fft_->real + frames_, fft_->real + 2 * frames_, block);
}

}  // namespace caraudio::emulator
