#include "Smoothing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace caraudio::analysis {
namespace {

struct Choice {
    Smoothing smoothing;
    int fraction;
    std::string_view text;
};
constexpr std::array<Choice, 6> kChoices{{{Smoothing::None, 0, "none"},
                                          {Smoothing::Octave48, 48, "1/48"},
                                          {Smoothing::Octave24, 24, "1/24"},
                                          {Smoothing::Octave12, 12, "1/12"},
                                          {Smoothing::Octave6, 6, "1/6"},
                                          {Smoothing::Octave3, 3, "1/3"}}};

const Choice& Find(Smoothing s) {
    for (const Choice& c : kChoices)
        if (c.smoothing == s) return c;
    return kChoices[0];
}

// The integral of the piecewise-linear level over log2 frequency from the
// first point, kept at every point so any window's integral is a difference.
class LevelIntegral {
public:
    LevelIntegral(const std::vector<double>& x, const std::vector<double>& y) : x_(x), y_(y) {
        sums_.resize(x.size());
        sums_[0] = 0;
        for (size_t k = 1; k < x.size(); ++k)
            sums_[k] = sums_[k - 1] + (x[k] - x[k - 1]) * (y[k] + y[k - 1]) / 2;
    }
    // The integral up to u, where x[k] <= u <= x[k + 1].
    double At(double u, size_t k) const {
        if (k + 1 >= x_.size()) return sums_[k];
        const double dx = u - x_[k];
        if (!(x_[k + 1] > x_[k])) return sums_[k];
        const double yu = y_[k] + (y_[k + 1] - y_[k]) * dx / (x_[k + 1] - x_[k]);
        return sums_[k] + dx * (y_[k] + yu) / 2;
    }

private:
    const std::vector<double>& x_;
    const std::vector<double>& y_;
    std::vector<double> sums_;
};

}  // namespace

int OctaveFraction(Smoothing s) {
    return Find(s).fraction;
}

std::string_view SmoothingText(Smoothing s) {
    return Find(s).text;
}

std::optional<Smoothing> ParseSmoothing(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    for (const Choice& c : kChoices)
        if (c.text == text) return c.smoothing;
    return std::nullopt;
}

Measurement SmoothMeasurement(const Measurement& m, Smoothing s) {
    const int fraction = OctaveFraction(s);
    const size_t n = m.points.size();
    if (fraction == 0 || n < 3) return m;
    Measurement out = m;
    out.hasPhase = false;
    for (MeasuredPoint& p : out.points) p.phaseDegrees = std::numeric_limits<double>::quiet_NaN();
    // Levels taken relative to the first keep the running sums small, so the
    // difference of two of them loses little to rounding.
    const double base = m.points[0].db;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = std::log2(m.points[i].hz);
        y[i] = m.points[i].db - base;
    }
    const LevelIntegral integral(x, y);
    const double half = 0.5 / fraction;
    // Both window edges only move up from point to point, so one pass finds
    // the segments they fall in.
    size_t lowSegment = 0, highSegment = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        const double h = std::min({half, x[i] - x[0], x[n - 1] - x[i]});
        if (!(h > 0)) continue;  // frequencies too close to tell apart in log2
        const double lo = x[i] - h, hi = x[i] + h;
        while (lowSegment + 2 < n && x[lowSegment + 1] <= lo) ++lowSegment;
        while (highSegment + 2 < n && x[highSegment + 1] <= hi) ++highSegment;
        out.points[i].db = base + (integral.At(hi, highSegment) - integral.At(lo, lowSegment)) / (2 * h);
    }
    return out;
}

}  // namespace caraudio::analysis
