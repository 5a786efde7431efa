#pragma once

#include "EqCurveModel.h"
#include "FrequencySpan.h"

namespace caraudio::analysis {

// Where the measurement's level is set against the target.
struct ReferenceRange {
    double lowHz = 200;
    double highHz = 2000;
};

struct LevelAlignment {
    enum class Status {
        Aligned,
        BadRange,  // not 0 < low < high, or not finite
        NoPoints,  // no grid point in the range where both curves have a level
    };
    Status status = Status::BadRange;
    double offsetDb = 0;  // added to every measured level
    Response aligned{};   // the measurement moved by offsetDb; unmoved when not aligned
    // The part of the range where both curves have levels: where the level
    // was set, to be named rather than the range asked for.
    FrequencySpan used{0, 0};
};

// Moves a measurement (on the grid, NaN where it has none) up or down so that
// its mean over the grid points inside the range equals the target's mean
// over the same points. `covered` is where both curves have levels (the
// measurement's span and the target's); only the range's part inside it
// counts, and points where either curve is NaN do not count either.
LevelAlignment AlignLevel(const Response& measured, const Response& target, const FrequencyGrid& grid,
                          ReferenceRange range = {}, FrequencySpan covered = kEverywhere);

}  // namespace caraudio::analysis
