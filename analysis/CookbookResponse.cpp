#include "CookbookResponse.h"

#include <cmath>
#include <complex>

namespace caraudio::analysis {
namespace {

const double kPi = std::acos(-1.0);

struct Biquad {
    double b0, b1, b2, a0, a1, a2;
};

double LevelDb(const Biquad& c, double hz) {
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / kFileSampleRate);
    const std::complex<double> z2 = z1 * z1;
    const double num = std::abs(c.b0 + c.b1 * z1 + c.b2 * z2);
    const double den = std::abs(c.a0 + c.a1 * z1 + c.a2 * z2);
    return 20 * std::log10(num / den);
}

double W0(double fcHz) {
    return 2 * kPi * fcHz / kFileSampleRate;
}

}  // namespace

double PeakingDb(const PeakingFilter& f, double hz) {
    const double a = std::pow(10.0, f.gainDb / 40);
    const double w0 = W0(f.fcHz);
    const double alpha = std::sin(w0) / (2 * f.q);
    const double cs = std::cos(w0);
    return LevelDb({1 + alpha * a, -2 * cs, 1 - alpha * a, 1 + alpha / a, -2 * cs, 1 - alpha / a}, hz);
}

double PassDb(PassSide side, int order, double fcHz, double q, double hz) {
    const double w0 = W0(fcHz);
    if (order == 1) {
        const double k = std::tan(w0 / 2);
        const double a1 = (k - 1) / (k + 1);
        if (side == PassSide::High) return LevelDb({1 / (1 + k), -1 / (1 + k), 0, 1, a1, 0}, hz);
        return LevelDb({k / (1 + k), k / (1 + k), 0, 1, a1, 0}, hz);
    }
    const double alpha = std::sin(w0) / (2 * q);
    const double cs = std::cos(w0);
    if (side == PassSide::High)
        return LevelDb({(1 + cs) / 2, -(1 + cs), (1 + cs) / 2, 1 + alpha, -2 * cs, 1 - alpha}, hz);
    return LevelDb({(1 - cs) / 2, 1 - cs, (1 - cs) / 2, 1 + alpha, -2 * cs, 1 - alpha}, hz);
}

}  // namespace caraudio::analysis
