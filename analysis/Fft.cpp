#include "Fft.h"

#include <fftw3.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

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

// One plan per size and direction, made once and kept: making one works
// out its twiddle factors, which costs more than a transform. A kept plan
// runs on any buffers aligned as fftw_alloc aligns them. They go when the
// program ends.
class KeptPlans {
public:
    // The lock is made first, so it outlives the plans.
    KeptPlans() { PlannerLock(); }
    ~KeptPlans() {
        std::lock_guard hold(PlannerLock());
        for (const auto& [key, plan] : plans_) fftw_destroy_plan(plan);
    }
    fftw_plan Get(size_t size, bool forward) {
        std::lock_guard hold(PlannerLock());
        fftw_plan& plan = plans_[{size, forward}];
        if (!plan) {
            Buffers scratch(size);
            plan =
                forward
                    ? fftw_plan_dft_r2c_1d(static_cast<int>(size), scratch.real, scratch.bins, FFTW_ESTIMATE)
                    : fftw_plan_dft_c2r_1d(static_cast<int>(size), scratch.bins, scratch.real, FFTW_ESTIMATE);
        }
        return plan;
    }

private:
    std::map<std::pair<size_t, bool>, fftw_plan> plans_;
};

fftw_plan KeptPlan(size_t size, bool forward) {
    static KeptPlans plans;
    return plans.Get(size, forward);
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
    const size_t n = std::min(size, samples.size());
    std::copy_n(samples.begin(), n, b.real);
    std::fill(b.real + n, b.real + size, 0.0);
    fftw_execute_dft_r2c(KeptPlan(size, true), b.real, b.bins);
    std::vector<std::complex<double>> out(size / 2 + 1);
    for (size_t k = 0; k < out.size(); ++k) out[k] = {b.bins[k][0], b.bins[k][1]};
    return out;
}

std::vector<double> RealSamples(const std::vector<std::complex<double>>& bins, size_t size) {
    if (size < 2 || bins.size() != size / 2 + 1) return {};
    Buffers b(size);
    // Running c2r overwrites its input: the bins are copied into it first.
    for (size_t k = 0; k < bins.size(); ++k) b.bins[k][0] = bins[k].real(), b.bins[k][1] = bins[k].imag();
    fftw_execute_dft_c2r(KeptPlan(size, false), b.bins, b.real);
    std::vector<double> out(b.real, b.real + size);
    for (double& x : out) x /= static_cast<double>(size);
    return out;
}

}  // namespace caraudio::analysis
