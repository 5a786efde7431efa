#pragma once

// The discrete-time Fourier transform by its definition, sum of
// x[n] e^(-j 2 pi f n / rate): slow, and written apart from the program's
// FFT so each checks the other. Time counts from sample 0.
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace caraudio::test {

inline std::complex<double> Dtft(const std::vector<double>& x, double rate, double hz) {
    const double w = 2 * std::numbers::pi * hz / rate;
    // A rotating phasor, renewed now and then so rounding cannot build up.
    std::complex<double> sum = 0, turn = std::polar(1.0, -w), at = 1;
    for (size_t n = 0; n < x.size(); ++n) {
        if (n % 1024 == 0) at = std::polar(1.0, -w * static_cast<double>(n));
        sum += x[n] * at;
        at *= turn;
    }
    return sum;
}

}  // namespace caraudio::test
