#include <algorithm>
#include <cmath>
#include <vector>

#include "Arrival.h"

namespace caraudio::analysis {
namespace {

// One lobe's samples signed so that it points up, smoothed by a local
// quadratic fit over 2 * half + 1 samples (Savitzky-Golay): noise averages
// out while a curved edge or a rounded top stays where it is, which a plain
// moving average would not. Evaluated only where asked, so a long lobe costs
// no more than the samples looked at.
class UpwardSmoother {
public:
    UpwardSmoother(const std::vector<double>& x, int sign, size_t half) : x_(x), sign_(sign), half_(half) {
        const double m = static_cast<double>(half);
        const double norm = (2 * m - 1) * (2 * m + 1) * (2 * m + 3);
        for (size_t k = 0; k <= 2 * half; ++k) {
            const double j = static_cast<double>(k) - m;
            weights_.push_back(half == 0 ? 1 : (3 * (3 * m * m + 3 * m - 1) - 15 * j * j) / norm);
        }
    }

    double operator()(size_t i) const {
        double sum = 0;
        for (size_t k = 0; k < weights_.size(); ++k) {
            // Clamped at the ends of the response.
            const size_t at = std::min(x_.size() - 1, i + k >= half_ ? i + k - half_ : 0);
            sum += weights_[k] * x_[at];
        }
        return sign_ * sum;
    }

private:
    const std::vector<double>& x_;
    int sign_;
    size_t half_;
    std::vector<double> weights_;
};

}  // namespace

Arrival DetectArrival(const ImpulseResponse& response) {
    const std::vector<double>& x = response.samples;
    Arrival arrival;
    double largest = 0;
    for (double v : x) largest = std::max(largest, std::fabs(v));
    if (!(largest > 0) || response.rate <= 0) return arrival;

    // The first strong sample, the run of samples of its sign, and its peak.
    size_t first = 0;
    while (std::fabs(x[first]) < kDirectSoundFraction * largest) ++first;
    const int sign = x[first] > 0 ? 1 : -1;
    size_t end = first;
    while (end + 1 < x.size() && sign * x[end + 1] > 0) ++end;
    size_t peak = first;
    for (size_t i = first; i <= end; ++i)
        if (sign * x[i] > sign * x[peak]) peak = i;

    // Smoothing over half the rise; no direct sound rises for longer than a
    // few milliseconds, so the window stays short whatever the file holds.
    const size_t half = std::min((peak - first) / 4, static_cast<size_t>(response.rate / 500));
    const UpwardSmoother up(x, sign, half);
    // Noise moves the raw peak about the top of a broad lobe by less than the window.
    const size_t from = peak - std::min(peak - first, 4 * half);
    const size_t to = std::min(end, peak + 4 * half);
    size_t top = peak;
    double topValue = up(peak);
    for (size_t i = from; i <= to; ++i) {
        const double v = up(i);
        if (v > topValue) top = i, topValue = v;
    }
    arrival.polarity = sign;
    if (!(topValue > 0)) {
        // Only a lobe too ragged to smooth gets here: its raw peak is the best guess.
        arrival.ms = static_cast<double>(peak) * 1000.0 / response.rate;
    } else {
        const double level = kArrivalLevel * topValue;
        // The last sample below the level before the top, then linear between it and the next.
        size_t below = top;
        double belowValue = topValue;
        while (below > 0 && belowValue >= level) belowValue = up(--below);
        double at = static_cast<double>(below);
        if (belowValue < level) at += (level - belowValue) / (up(below + 1) - belowValue);
        arrival.ms = at * 1000.0 / response.rate;
    }
    arrival.status = JudgeImpulseResponse(response, first, arrival.ms);
    return arrival;
}

}  // namespace caraudio::analysis
