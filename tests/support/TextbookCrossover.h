#pragma once

// Analog filter magnitudes from their textbook definitions, for speakers
// made in the tests and for the crossovers a box puts in front of them:
// second-order sections, Butterworth, Linkwitz-Riley and Bessel pass filters
// of any order, and the low shelf a car's cabin gain follows. Written from
// the transfer functions, not from the program's code.

#include <cmath>
#include <complex>
#include <vector>

namespace caraudio::test {

enum class PassKind { Butterworth, LinkwitzRiley, Bessel };

// |H| in dB of the second-order low-pass 1 / (s^2 + s/Q + 1) (high: s^2 / (...))
// at x = f / f0.
inline double SecondOrderDb(bool high, double f0, double q, double hz) {
    const double x = hz / f0, x2 = x * x;
    const double den = (1 - x2) * (1 - x2) + x2 / (q * q);
    return 10 * std::log10((high ? x2 * x2 : 1.0) / den);
}

// |H| in dB of a first-order low-pass or high-pass at f0.
inline double FirstOrderDb(bool high, double f0, double hz) {
    const double x = hz / f0;
    return -10 * std::log10(1 + (high ? 1 / (x * x) : x * x));
}

// The reverse Bessel polynomial of order n at s: sum over k of
// (2n - k)! / (2^(n - k) k! (n - k)!) s^k.
inline std::complex<double> ReverseBessel(int n, std::complex<double> s) {
    std::complex<double> sum = 0, power = 1;
    for (int k = 0; k <= n; ++k) {
        const double c =
            std::tgamma(2 * n - k + 1) / (std::pow(2.0, n - k) * std::tgamma(k + 1) * std::tgamma(n - k + 1));
        sum += c * power;
        power *= s;
    }
    return sum;
}

// A pass filter of `order` at `corner` Hz, in dB at hz. Butterworth:
// |H|^2 = 1 / (1 + x^2n). Linkwitz-Riley of an even order 2m: a Butterworth
// of order m squared (-6 dB at the corner). Bessel: theta_n(0) /
// theta_n(s w), w = theta_n(0)^(1/n), so its poles' product is 1 at the
// corner, as a second-order section of Q 1/sqrt(3) is. A high-pass is the
// low-pass at corner / f.
inline double PassDb(PassKind kind, bool high, int order, double corner, double hz) {
    const double x = high ? corner / hz : hz / corner;
    switch (kind) {
    case PassKind::Butterworth:
        return -10 * std::log10(1 + std::pow(x, 2 * order));
    case PassKind::LinkwitzRiley:
        return -20 * std::log10(1 + std::pow(x, order));
    case PassKind::Bessel: {
        const double theta0 = std::abs(ReverseBessel(order, 0));
        const double w = std::pow(theta0, 1.0 / order);
        return 20 * std::log10(theta0 / std::abs(ReverseBessel(order, {0, x * w})));
    }
    }
    return 0;
}

// The analog low shelf of slope S = 1 (the cookbook's, Q = 1/sqrt 2):
// gainDb far below f0, half of it at f0, none far above; a car cabin's
// pressure gain below its first length mode has this shape.
inline double LowShelfDb(double f0, double gainDb, double hz) {
    const double a = std::pow(10.0, gainDb / 40), w = hz / f0, w2 = w * w;
    const double middle = 2 * a * w2;
    const double num = (a - w2) * (a - w2) + middle, den = (1 - a * w2) * (1 - a * w2) + middle;
    return 20 * std::log10(a) + 10 * std::log10(num / den);
}

// A reflection `delayS` late at `gain` of the direct sound: 20 log10 |1 + g e^-jwt|.
inline double ReflectionDb(double gain, double delayS, double hz) {
    const double pi = std::acos(-1.0);
    return 20 * std::log10(std::abs(1.0 + gain * std::polar(1.0, -2 * pi * hz * delayS)));
}

// Levels in dB summed as powers: a response and the noise floor under it.
inline double PowerSumDb(double a, double b) {
    return 10 * std::log10(std::pow(10.0, a / 10) + std::pow(10.0, b / 10));
}

// The mean level in dB over the points within +-1/(2n) octave of each
// point (log-spaced, in increasing frequency), as fractional-octave
// smoothing is defined; NaN points are left out and stay NaN.
inline std::vector<double> OctaveSmoothed(const std::vector<double>& hz, const std::vector<double>& db,
                                          int n) {
    std::vector<double> out(db.size(), std::nan(""));
    const double half = 0.5 / n;
    for (size_t i = 0; i < db.size(); ++i) {
        if (std::isnan(db[i])) continue;
        double sum = db[i];
        int count = 1;
        for (size_t k = i; k-- > 0 && std::log2(hz[i] / hz[k]) <= half;)
            if (!std::isnan(db[k])) sum += db[k], ++count;
        for (size_t k = i + 1; k < db.size() && std::log2(hz[k] / hz[i]) <= half; ++k)
            if (!std::isnan(db[k])) sum += db[k], ++count;
        out[i] = sum / count;
    }
    return out;
}

}  // namespace caraudio::test
