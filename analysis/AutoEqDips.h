#pragma once

#include <cstddef>
#include <vector>

namespace caraudio::analysis {

// A deep narrow dip of a curve on log-spaced points (see FitAutoEq): from
// point lo to hi it lies kAutoEqDipEdgeDb or more under the local level,
// deepest at `bottom`.
struct Dip {
    size_t lo = 0, hi = 0, bottom = 0;
};

// The deep narrow dips of `db` (levels at increasing frequencies `hz`),
// judged against the local level, not against any target: a dip running
// into either end is a roll-off and is not one.
std::vector<Dip> DeepNarrowDips(const std::vector<double>& hz, const std::vector<double>& db);

// Weight 0 over the dips whose bottom (in `error`, against the target) lies
// further under 0 than the boost and kAutoEqUnfilledDb, and over the
// smoothing's spread beyond them; 1 elsewhere.
std::vector<double> UnfilledDipWeights(const std::vector<double>& hz, const std::vector<double>& error,
                                       const std::vector<Dip>& dips, double maxBoostDb);

}  // namespace caraudio::analysis
