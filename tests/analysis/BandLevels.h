#pragma once

#include <array>

#include "AutoEq.h"
#include "Textbook.h"

namespace caraudio::test {

// The bands' summed level at hz, from the cookbook formula (Q field = 300 x cookbook Q).
inline double BandsDb(const std::array<analysis::BandValues, kBandCount>& bands, double hz) {
    double db = 0;
    for (const analysis::BandValues& b : bands)
        if (b.gain != 0) db += TextbookPeakingDb(b.freq, b.gain / 100.0, b.q / 300.0, hz);
    return db;
}

}  // namespace caraudio::test
