#pragma once

#include "EqCurveModel.h"

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
};

// Moves a measurement (on the grid, NaN where it has none) up or down so that
// its mean over the grid points inside the range equals the target's mean
// over the same points. Points where either curve is NaN do not count.
LevelAlignment AlignLevel(const Response& measured, const Response& target, const FrequencyGrid& grid,
                          ReferenceRange range = {});

}  // namespace caraudio::analysis
