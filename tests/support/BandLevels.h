#pragma once

// A measured response against the truth over the truth's band: where the
// truth is within 30 dB of its loudest, at 1/6-octave points, by textbook
// transforms.

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "TextbookDft.h"

namespace caraudio::test {

struct BandLevels {
    double worstDb = 0;  // the largest level difference
    int points = 0;      // how many points were compared
};

inline BandLevels CompareBandLevels(const std::vector<double>& measured, const std::vector<double>& truth,
                                    double fromHz = 25, double toHz = 18000) {
    const double step = std::pow(2.0, 1.0 / 6);
    double loudest = 0;
    for (double hz = fromHz; hz < toHz; hz *= step)
        loudest = std::max(loudest, std::abs(Dtft(truth, 48000, hz)));
    BandLevels b;
    for (double hz = fromHz; hz < toHz; hz *= step) {
        const std::complex<double> t = Dtft(truth, 48000, hz);
        if (std::abs(t) < 0.03 * loudest) continue;
        b.worstDb = std::max(b.worstDb, std::fabs(20 * std::log10(std::abs(Dtft(measured, 48000, hz) / t))));
        ++b.points;
    }
    return b;
}

}  // namespace caraudio::test
