#pragma once

#include <complex>
#include <cstddef>
#include <mutex>
#include <vector>

namespace caraudio::analysis {

// The discrete Fourier transform of real samples, zero-padded to `size`
// points (samples beyond it are dropped): bins 0..size/2, bin k at
// k * rate / size Hz, unscaled (a unit impulse at sample 0 gives 1 in every
// bin). Computed by FFTW; safe to call from several threads at once.
std::vector<std::complex<double>> RealSpectrum(const std::vector<double>& samples, size_t size);

// The way back: `size` real samples from bins 0..size/2, scaled by 1/size
// so that RealSamples(RealSpectrum(x, n), n) is x padded to n.
std::vector<double> RealSamples(const std::vector<std::complex<double>>& bins, size_t size);

// FFTW's planner keeps global state: whoever makes or destroys a plan holds
// this lock; executing a plan on its own arrays needs none.
std::mutex& PlannerLock();

// The smallest power of two at or above n (at least 2).
size_t FftSizeFor(size_t n);

}  // namespace caraudio::analysis
