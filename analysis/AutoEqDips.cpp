#include "AutoEqDips.h"

#include <algorithm>
#include <cmath>

#include "AutoEq.h"

namespace caraudio::analysis {
namespace {

// The local level is the median over this much around a point: wide
// enough that a narrow dip does not pull it, narrow enough to follow the
// speaker's own shape.
constexpr double kLocalOctaves = 1;
// The fit's error is smoothed to 1/6 octave: a dip spreads half of that
// beyond its edges.
const double kSmoothingSpread = std::exp2(1.0 / 12);

std::vector<double> LocalLevel(const std::vector<double>& hz, const std::vector<double>& db) {
    std::vector<double> level(db.size()), window;
    size_t lo = 0, hi = 0;
    for (size_t i = 0; i < db.size(); ++i) {
        while (std::log2(hz[i] / hz[lo]) > kLocalOctaves / 2) ++lo;
        while (hi + 1 < db.size() && std::log2(hz[hi + 1] / hz[i]) <= kLocalOctaves / 2) ++hi;
        window.assign(db.begin() + long(lo), db.begin() + long(hi) + 1);
        std::nth_element(window.begin(), window.begin() + long(window.size() / 2), window.end());
        level[i] = window[window.size() / 2];
    }
    return level;
}

}  // namespace

std::vector<Dip> DeepNarrowDips(const std::vector<double>& hz, const std::vector<double>& db) {
    std::vector<Dip> dips;
    if (db.size() < 3) return dips;
    const std::vector<double> local = LocalLevel(hz, db);
    std::vector<double> under(db.size());
    for (size_t i = 0; i < db.size(); ++i) under[i] = local[i] - db[i];
    for (size_t i = 0; i < db.size(); ++i) {
        if (under[i] < kAutoEqDipEdgeDb) continue;
        Dip d{i, i, i};
        while (d.hi + 1 < db.size() && under[d.hi + 1] >= kAutoEqDipEdgeDb) ++d.hi;
        i = d.hi;
        if (d.lo == 0 || d.hi + 1 == db.size()) continue;
        for (size_t k = d.lo; k <= d.hi; ++k)
            if (under[k] > under[d.bottom]) d.bottom = k;
        const double depth = under[d.bottom];
        if (depth <= kAutoEqDeepDipDb) continue;
        // Its width where it is half as deep.
        size_t a = d.bottom, b = d.bottom;
        while (a > d.lo && under[a - 1] >= depth / 2) --a;
        while (b < d.hi && under[b + 1] >= depth / 2) ++b;
        if (std::log2(hz[b] / hz[a]) < kAutoEqNarrowDipOctaves) dips.push_back(d);
    }
    return dips;
}

std::vector<double> UnfilledDipWeights(const std::vector<double>& hz, const std::vector<double>& error,
                                       const std::vector<Dip>& dips, double maxBoostDb) {
    std::vector<double> weight(error.size(), 1.0);
    for (const Dip& d : dips) {
        if (error[d.bottom] >= -(maxBoostDb + kAutoEqUnfilledDb)) continue;
        const double loHz = hz[d.lo] / kSmoothingSpread, hiHz = hz[d.hi] * kSmoothingSpread;
        size_t lo = d.lo, hi = d.hi;
        while (lo > 0 && hz[lo - 1] >= loHz) --lo;
        while (hi + 1 < error.size() && hz[hi + 1] <= hiHz) ++hi;
        std::fill(weight.begin() + long(lo), weight.begin() + long(hi) + 1, 0.0);
    }
    return weight;
}

}  // namespace caraudio::analysis
