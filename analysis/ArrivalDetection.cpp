#include <algorithm>
#include <cmath>
#include <vector>

#include "Arrival.h"

namespace caraudio::analysis {
namespace {

// The lobe's samples signed so that it points up, smoothed by a local
// quadratic fit over 2 * half + 1 samples (Savitzky-Golay): noise averages
// out while a curved edge or a rounded top stays where it is, which a plain
// moving average would not. Samples outside [from, to] are left at 0.
std::vector<double> SmoothedUpward(const std::vector<double>& x, int sign, size_t from, size_t to,
                                   size_t half) {
    const double m = static_cast<double>(half);
    const double norm = (2 * m - 1) * (2 * m + 1) * (2 * m + 3);
    std::vector<double> weight(2 * half + 1);
    for (size_t k = 0; k < weight.size(); ++k) {
        const double j = static_cast<double>(k) - m;
        weight[k] = half == 0 ? 1 : (3 * (3 * m * m + 3 * m - 1) - 15 * j * j) / norm;
    }
    std::vector<double> out(x.size(), 0.0);
    for (size_t i = from; i <= to; ++i) {
        double sum = 0;
        for (size_t k = 0; k < weight.size(); ++k) {
            // Clamped at the ends of the response.
            const size_t at = std::min(x.size() - 1, i + k >= half ? i + k - half : 0);
            sum += weight[k] * sign * x[at];
        }
        out[i] = sum;
    }
    return out;
}

}  // namespace

Arrival DetectArrival(const ImpulseResponse& response) {
    const std::vector<double>& x = response.samples;
    Arrival arrival;
    double largest = 0;
    for (double v : x) largest = std::max(largest, std::fabs(v));
    if (!(largest > 0) || response.rate <= 0) return arrival;

    // The first strong sample, and the run of samples of its sign.
    size_t first = 0;
    while (std::fabs(x[first]) < kDirectSoundFraction * largest) ++first;
    const int sign = x[first] > 0 ? 1 : -1;
    size_t end = first;
    while (end + 1 < x.size() && sign * x[end + 1] > 0) ++end;
    size_t peak = first;
    for (size_t i = first; i <= end; ++i)
        if (sign * x[i] > sign * x[peak]) peak = i;

    // The lobe starts before the strong sample: walk back to its zero crossing.
    size_t start = first;
    while (start > 0 && sign * x[start - 1] > 0) --start;

    const std::vector<double> up = SmoothedUpward(x, sign, start, end, (peak - first) / 4);
    size_t top = peak;
    for (size_t i = first; i <= end; ++i)
        if (up[i] > up[top]) top = i;
    const double level = kArrivalLevel * up[top];

    // The last sample below the level before the top, then linear between it and the next.
    size_t below = top;
    while (below > 0 && up[below] >= level) --below;
    double at = static_cast<double>(below);
    if (up[below] < level) at += (level - up[below]) / (up[below + 1] - up[below]);

    arrival.status = ArrivalStatus::Found;
    arrival.ms = at * 1000.0 / response.rate;
    arrival.polarity = sign;
    return arrival;
}

}  // namespace caraudio::analysis
