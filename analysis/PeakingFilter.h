#pragma once

namespace caraudio::analysis {

// A peaking filter as filter-set files give it: the cookbook biquad's
// centre, gain and Q.
struct PeakingFilter {
    double fcHz = 0;
    double gainDb = 0;
    double q = 0;

    bool operator==(const PeakingFilter&) const = default;
};

}  // namespace caraudio::analysis
