#include "BoxFields.h"

#include <algorithm>
#include <cmath>

namespace caraudio::analysis {
namespace {

constexpr int kMinHz = kFrequencyRaw.lo, kMaxHz = kFrequencyRaw.hi;
constexpr int kMinQRaw = kQRaw.lo, kMaxQRaw = kQRaw.hi;
// Shown Q = 3 x cookbook Q, and the field keeps hundredths of the shown Q.
constexpr double kQRawPerCookbookQ = 300;

// Rounds, then limits; values far outside any range are limited first so
// the rounding never overflows.
HeldValue Hold(double v, int lo, int hi) {
    if (!(v >= lo - 0.5)) return {lo, true};  // and NaN
    if (v >= hi + 0.5) return {hi, true};
    return {std::clamp(static_cast<int>(std::lround(v)), lo, hi), false};
}

}  // namespace

HeldValue HoldFrequency(double hz) {
    return Hold(hz, kMinHz, kMaxHz);
}

HeldValue HoldGain(double db, GainLimits limits) {
    const RawRange gains = GainRaw(limits);
    return Hold(db * 100, gains.lo, gains.hi);
}

HeldValue HoldQ(double cookbookQ) {
    HeldValue held = Hold(cookbookQ * kQRawPerCookbookQ, kMinQRaw, kMaxQRaw);
    if (held.clamped) return held;
    const double raw = cookbookQ * kQRawPerCookbookQ;
    const int step = raw >= 9995 ? 100 : raw >= 999.5 ? 10 : 1;
    held.raw = std::clamp(static_cast<int>(std::lround(raw / step)) * step, kMinQRaw, kMaxQRaw);
    return held;
}

double CookbookQ(int qRaw) {
    return qRaw / kQRawPerCookbookQ;
}

}  // namespace caraudio::analysis
