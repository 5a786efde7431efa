#include "SectionPower.h"

#include <algorithm>
#include <cmath>

namespace caraudio::emulator {
namespace {

// Past this the tail is dropped: a section at 20 Hz with the lowest Q the
// box offers dies away well within it.
constexpr size_t kLongestTaps = size_t{1} << 17;
constexpr double kTailFraction = 1e-12;

// The power series of (p0 + p1 w + p2 w^2)^alpha in w, from P g' = alpha P' g
// term by term: exact, one multiply-add per term, and convergent because the
// section's poles and zeros lie inside the unit circle (on it, for the
// zeros of a pass filter, where the series of the square root ends).
std::vector<double> PowerSeries(double p0, double p1, double p2, double alpha, size_t length) {
    std::vector<double> g(length, 0.0);
    g[0] = std::pow(p0, alpha);
    for (size_t n = 0; n + 1 < length; ++n) {
        const double dn = static_cast<double>(n);
        const double previous = n > 0 ? g[n - 1] : 0.0;
        g[n + 1] = ((alpha - dn) * p1 * g[n] + (2 * alpha - dn + 1) * p2 * previous) / (p0 * (dn + 1));
    }
    return g;
}

// Where the series has died away: the last tap over the tail fraction of the largest.
size_t UsefulLength(const std::vector<double>& g) {
    double largest = 0;
    for (double v : g) largest = std::max(largest, std::fabs(v));
    size_t last = 0;
    for (size_t n = 0; n < g.size(); ++n)
        if (std::fabs(g[n]) > kTailFraction * largest) last = n;
    return last + 1;
}

}  // namespace

std::vector<double> HalfSectionTaps(const EqFilterRecord& s) {
    const std::vector<double> poles = PowerSeries(s.a0, s.a1, s.a2, -0.5, kLongestTaps);
    // A pass section's zeros are a double one at 0 Hz or at the Nyquist
    // frequency, b0 (1 -+ w)^2, whose root is two taps; taken as such, since
    // the series of a root with zeros on the unit circle that rounding has
    // moved a hair apart would not end.
    const double root = std::sqrt(std::fabs(s.b0));
    const std::vector<double> zeros{root, root > 0 ? s.b1 / (2 * root) : 0.0};
    std::vector<double> taps(std::min(kLongestTaps, UsefulLength(poles) + zeros.size()), 0.0);
    for (size_t i = 0; i < zeros.size(); ++i)
        for (size_t j = 0; i + j < taps.size(); ++j) taps[i + j] += zeros[i] * poles[j];
    taps.resize(UsefulLength(taps));
    return taps;
}

}  // namespace caraudio::emulator
