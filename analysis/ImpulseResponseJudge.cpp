// Whether a file holds a room's impulse response at all, by the traits
// described with the thresholds in Arrival.h.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Arrival.h"

namespace caraudio::analysis {
namespace {

double Db(double powerRatio) {
    return 10 * std::log10(powerRatio);
}

// The median over the file of each millisecond's mean power.
double BackgroundPower(const std::vector<double>& x, int rate) {
    const size_t block = std::max<size_t>(1, static_cast<size_t>(rate / 1000));
    std::vector<double> powers;
    powers.reserve(x.size() / block + 1);
    for (size_t from = 0; from + block <= x.size(); from += block) {
        double sum = 0;
        for (size_t i = from; i < from + block; ++i) sum += x[i] * x[i];
        powers.push_back(sum / static_cast<double>(block));
    }
    if (powers.empty()) return 0;
    const auto middle = powers.begin() + static_cast<long>(powers.size() / 2);
    std::nth_element(powers.begin(), middle, powers.end());
    return *middle;
}

double LargestMagnitude(const std::vector<double>& x, size_t from, size_t to) {
    double largest = 0;
    for (size_t i = from; i < to; ++i) largest = std::max(largest, std::fabs(x[i]));
    return largest;
}

}  // namespace

ArrivalStatus JudgeImpulseResponse(const ImpulseResponse& response, size_t direct, double arrivalMs) {
    const std::vector<double>& x = response.samples;
    const size_t window = static_cast<size_t>(std::ceil(kDecayWindowMs * response.rate / 1000));
    if (direct >= x.size() || x.size() - direct < window) return ArrivalStatus::TooShort;
    // Noise has its first strong sample near the start too: the lack of a
    // peak is the better reason for it.
    const double early = LargestMagnitude(x, direct, direct + window);
    const double background = BackgroundPower(x, response.rate);
    if (background > 0 && Db(early * early / background) < kMinPeakOverBackgroundDb)
        return ArrivalStatus::NoPeak;
    if (arrivalMs < kMinArrivalMs) return ArrivalStatus::NoLeadIn;
    const double late = LargestMagnitude(x, direct + window, x.size());
    if (late > 0 && Db(late * late / (early * early)) > kMaxLateLevelDb) return ArrivalStatus::NoDecay;
    return ArrivalStatus::Found;
}

}  // namespace caraudio::analysis
