#include "PairAlignment.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace caraudio::analysis {
namespace {

// Below this the perfect sum holds nothing to judge.
constexpr double kSilent = 1e-12;
// A flip must make the sum flatter by more than this: a phase button turned
// for less would be a guess the next measurement may undo.
constexpr double kFlipGainsDb = 0.25;
// Losses closer than this are equal: inaudible, and less than a measurement's
// noise or a head's move on the seat changes. Among them the delay nearest
// the arrival-based one is taken, so that a crossover where a flip and half a
// period's delay do about as well keeps its answer when a speaker moves.
constexpr double kEqualLossDb = 0.1;

struct RegionPoint {
    std::complex<double> a, b;
    double perfect2;  // (|a| + |b|)^2
    double w;         // radians per sample
};

std::vector<RegionPoint> Region(const ComplexResponse& a, const ComplexResponse& b, double hz,
                                const FrequencyGrid& grid) {
    std::vector<RegionPoint> points;
    const double from = hz * std::exp2(-kCrossoverRegionOctaves),
                 to = hz * std::exp2(kCrossoverRegionOctaves);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double f = grid.Hz(i);
        if (f < from || f > to) continue;
        const auto k = static_cast<size_t>(i);
        const double perfect = std::abs(a[k]) + std::abs(b[k]);
        if (!(perfect > kSilent) || !std::isfinite(perfect)) continue;
        points.push_back({a[k], b[k], perfect * perfect, grid.W(i)});
    }
    return points;
}

double LossDb(double ratio2) {
    return ratio2 > 0 ? -10 * std::log10(ratio2) : 240;
}

}  // namespace

double WorstSumLossDb(const ComplexResponse& a, const ComplexResponse& b, double hz,
                      const FrequencyGrid& grid) {
    double worst = 1;
    for (const RegionPoint& p : Region(a, b, hz, grid))
        worst = std::min(worst, std::norm(p.a + p.b) / p.perfect2);
    return LossDb(worst);
}

PairAlignment AlignPair(const ComplexResponse& lower, const ComplexResponse& higher, double hz, int guessRaw,
                        int minRaw, int maxRaw, const FrequencyGrid& grid) {
    const int period = static_cast<int>(std::ceil(FrequencyGrid::kSampleRate / hz));
    const int from = std::max(minRaw, guessRaw - period), to = std::min(maxRaw, guessRaw + period);
    PairAlignment best;
    best.delayRaw = std::clamp(guessRaw, minRaw, maxRaw);
    if (from > to || !(hz > 0)) return best;
    const std::vector<RegionPoint> points = Region(lower, higher, hz, grid);
    const auto count = static_cast<size_t>(to - from + 1);
    // The smallest |sum|^2 / perfect^2 at each delay, in phase and flipped.
    std::vector<double> same(count, 1.0), flipped(count, 1.0);
    for (const RegionPoint& p : points) {
        // The higher one turned by the delay, one step at a time.
        std::complex<double> turned = p.b * std::polar(1.0, -p.w * from);
        const std::complex<double> step = std::polar(1.0, -p.w);
        for (size_t k = 0; k < count; ++k, turned *= step) {
            same[k] = std::min(same[k], std::norm(p.a + turned) / p.perfect2);
            flipped[k] = std::min(flipped[k], std::norm(p.a - turned) / p.perfect2);
        }
    }
    double flattestSame = 0, flattestFlipped = 0;
    for (size_t k = 0; k < count; ++k) {
        flattestSame = std::max(flattestSame, same[k]);
        flattestFlipped = std::max(flattestFlipped, flipped[k]);
    }
    const bool flip = LossDb(flattestFlipped) < LossDb(flattestSame) - kFlipGainsDb;
    const std::vector<double>& chosen = flip ? flipped : same;
    const double leastDb = LossDb(flip ? flattestFlipped : flattestSame);
    best.lossDb = std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < count; ++k) {
        const int raw = from + static_cast<int>(k);
        const double loss = LossDb(chosen[k]);
        if (loss > leastDb + kEqualLossDb) continue;
        const int distance = std::abs(raw - guessRaw), bestDistance = std::abs(best.delayRaw - guessRaw);
        if (!std::isfinite(best.lossDb) || distance < bestDistance ||
            (distance == bestDistance && loss < best.lossDb))
            best = {raw, flip, loss};
    }
    return best;
}

bool LouderFlipped(const ComplexResponse& a, const ComplexResponse& b, double fromHz, double toHz,
                   const FrequencyGrid& grid) {
    double same = 0, flipped = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double f = grid.Hz(i);
        if (f < fromHz || f > toHz) continue;
        const auto k = static_cast<size_t>(i);
        same += std::norm(a[k] + b[k]);
        flipped += std::norm(a[k] - b[k]);
    }
    return flipped > same;
}

ComplexResponse Delayed(const ComplexResponse& r, int raw, bool inverted, const FrequencyGrid& grid) {
    ComplexResponse out;
    const double sign = inverted ? -1.0 : 1.0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        out[static_cast<size_t>(i)] = sign * r[static_cast<size_t>(i)] * std::polar(1.0, -grid.W(i) * raw);
    return out;
}

}  // namespace caraudio::analysis
