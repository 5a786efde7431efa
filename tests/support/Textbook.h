#pragma once

// Textbook formulas the tests hold the program's results against, written
// from their definitions and not from the program's code.

#include <cmath>
#include <complex>

namespace caraudio::test {

// |H| in dB at `hz` of the cookbook peaking biquad at 48 kHz: a band at
// `centre` Hz with gain `gainDb` and quality factor q (alpha = sin(w0) / 2q).
inline double TextbookPeakingDb(double centre, double gainDb, double q, double hz) {
    const double pi = std::acos(-1.0);
    const double a = std::pow(10.0, gainDb / 40), w0 = 2 * pi * centre / 48000,
                 alpha = std::sin(w0) / (2 * q);
    const std::complex<double> z1 = std::polar(1.0, -2 * pi * hz / 48000), z2 = z1 * z1;
    const std::complex<double> num = (1 + alpha * a) - 2 * std::cos(w0) * z1 + (1 - alpha * a) * z2;
    const std::complex<double> den = (1 + alpha / a) - 2 * std::cos(w0) * z1 + (1 - alpha / a) * z2;
    return 20 * std::log10(std::abs(num) / std::abs(den));
}

// |H| in dB at `hz` of the cookbook second-order high- or low-pass at 48 kHz
// (the bilinear transform of s^2 / (s^2 + s/q + 1) or 1 / (s^2 + s/q + 1) at
// `corner` Hz). Two Butterworth sections (q = 1/sqrt 2) make a Linkwitz-Riley
// 24 dB/oct crossover.
inline double TextbookPassDb(bool high, double corner, double q, double hz) {
    const double pi = std::acos(-1.0);
    const double w0 = 2 * pi * corner / 48000, c = std::cos(w0), alpha = std::sin(w0) / (2 * q);
    const std::complex<double> z1 = std::polar(1.0, -2 * pi * hz / 48000), z2 = z1 * z1;
    const double b0 = (high ? 1 + c : 1 - c) / 2, b1 = high ? -(1 + c) : 1 - c;
    const std::complex<double> num = b0 + b1 * z1 + b0 * z2,
                               den = (1 + alpha) - 2 * c * z1 + (1 - alpha) * z2;
    return 20 * std::log10(std::abs(num / den));
}

// The editor's grid, from its definition: 17 Hz up to 24 kHz in 1024 log steps.
inline double EditorGridHz(int i) {
    return 17 * std::pow(24000.0 / 17, i / 1024.0);
}

}  // namespace caraudio::test
