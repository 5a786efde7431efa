#pragma once

#include <array>
#include <complex>

#include "EqCurveModel.h"
#include "FrequencyGrid.h"

namespace caraudio::analysis {

// A response with its phase at every grid point: what a channel's
// processing does, or what a speaker sends to the seat. Time counts from the
// measurement's timing reference, so two channels' responses add as the
// sound does at the microphone.
using ComplexResponse = std::array<std::complex<double>, FrequencyGrid::kPoints>;

inline ComplexResponse Unity() {
    ComplexResponse r;
    r.fill(1.0);
    return r;
}

// 20 log10 |r| at every point; a zero is drawn at -240 dB, as the editor
// draws a filter's zero.
inline Response LevelsDb(const ComplexResponse& r) {
    Response out;
    for (size_t i = 0; i < r.size(); ++i) {
        const double m = std::abs(r[i]);
        out[i] = m > 1e-12 ? 20 * std::log10(m) : -240;
    }
    return out;
}

}  // namespace caraudio::analysis
