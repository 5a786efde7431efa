#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include "Measurement.h"

namespace caraudio::analysis {

// The frequencies a curve has levels for, or a fit or a levelling uses,
// ends included. Empty when low is not below high.
struct FrequencySpan {
    double lowHz = 0;
    double highHz = std::numeric_limits<double>::infinity();

    bool Empty() const { return !(lowHz < highHz); }
    double Octaves() const { return Empty() ? 0 : std::log2(highHz / lowHz); }
    bool operator==(const FrequencySpan&) const = default;
};

// Everything: a target defined at every frequency (flat, a house curve).
inline constexpr FrequencySpan kEverywhere{};

// A measurement covers its first to its last point.
inline FrequencySpan SpanOf(const Measurement& m) {
    if (m.points.empty()) return {0, 0};
    return {m.points.front().hz, m.points.back().hz};
}

inline FrequencySpan Overlap(FrequencySpan a, FrequencySpan b) {
    return {std::max(a.lowHz, b.lowHz), std::min(a.highHz, b.highHz)};
}

}  // namespace caraudio::analysis
