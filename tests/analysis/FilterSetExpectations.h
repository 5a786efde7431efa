#pragma once

// What the filter-set tests expect of a file's filter lines, written once.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FilterSet.h"

namespace caraudio::analysis {

// Q of a bandwidth in octaves, as the cookbook writes it: 1/Q = 2 sinh(ln2/2 N).
inline double QOfOctaves(double n) {
    return 1 / (2 * std::sinh(std::log(2.0) / 2 * n));
}

struct Expected {
    int line;
    bool on;
    FilterKind kind;
    double fc, gain, q;
};

inline void ExpectFilters(const FilterSet& set, const std::vector<Expected>& expected,
                          const std::string& what) {
    ASSERT_EQ(set.filters.size(), expected.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const FilterLine& f = set.filters[i];
        EXPECT_EQ(f.lineNumber, e.line) << what;
        EXPECT_EQ(f.on, e.on) << what << " line " << e.line;
        EXPECT_EQ(f.kind, e.kind) << what << " line " << e.line;
        EXPECT_NEAR(f.fcHz, e.fc, 1e-9) << what << " line " << e.line;
        EXPECT_NEAR(f.gainDb, e.gain, 1e-9) << what << " line " << e.line;
        EXPECT_NEAR(f.q, e.q, 1e-9) << what << " line " << e.line;
    }
}

}  // namespace caraudio::analysis
