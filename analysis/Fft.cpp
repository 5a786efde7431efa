#include "Fft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

namespace caraudio::analysis {

std::mutex& PlannerLock() {
    static std::mutex lock;
    return lock;
}

namespace {

struct Buffers {
    double* real;
    fftw_complex* bins;
    explicit Buffers(size_t size) : real(fftw_alloc_real(size)), bins(fftw_alloc_complex(size / 2 + 1)) {}
    ~Buffers() {
        fftw_free(real);
        fftw_free(bins);
    }
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;
};

class Plan {
public:
    explicit Plan(fftw_plan plan) : plan_(plan) {}
    ~Plan() {
        std::lock_guard hold(PlannerLock());
        fftw_destroy_plan(plan_);
    }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;
    void Run() const { fftw_execute(plan_); }

private:
    fftw_plan plan_;
};

Plan Forward(size_t size, Buffers& b) {
    std::lock_guard hold(PlannerLock());
    return Plan(fftw_plan_dft_r2c_1d(static_cast<int>(size), b.real, b.bins, FFTW_ESTIMATE));
}

Plan Backward(size_t size, Buffers& b) {
    std::lock_guard hold(PlannerLock());
    // Running c2r overwrites its input: the bins are copied into it first.
    return Plan(fftw_plan_dft_c2r_1d(static_cast<int>(size), b.bins, b.real, FFTW_ESTIMATE));
}

}  // namespace

size_t FftSizeFor(size_t n) {
    size_t size = 2;
    while (size < n) size *= 2;
    return size;
}

std::vector<std::complex<double>> RealSpectrum(const std::vector<double>& samples, size_t size) {
    if (size < 2) return {};
    Buffers b(size);
    const Plan plan = Forward(size, b);
    const size_t n = std::min(size, samples.size());
    std::copy_n(samples.begin(), n, b.real);
    std::fill(b.real + n, b.real + size, 0.0);
    plan.Run();
    std::vector<std::complex<double>> out(size / 2 + 1);
    for (size_t k = 0; k < out.size(); ++k) out[k] = {b.bins[k][0], b.bins[k][1]};
    return out;
}

std::vector<double> RealSamples(const std::vector<std::complex<double>>& bins, size_t size) {
    if (size < 2 || bins.size() != size / 2 + 1) return {};
    Buffers b(size);
    const Plan plan = Backward(size, b);
    for (size_t k = 0; k < bins.size(); ++k) b.bins[k][0] = bins[k].real(), b.bins[k][1] = bins[k].imag();
    plan.Run();
    std::vector<double> out(b.real, b.real + size);
    for (double& x : out) x /= static_cast<double>(size);
    return out;
}

}  // namespace caraudio::analysis
