#pragma once

#include "ValueScales.h"

namespace caraudio::analysis {

// A value as the box's field keeps it: the nearest raw value the field holds,
// and whether the value lay outside the field's range.
struct HeldValue {
    int raw = 0;
    bool clamped = false;
};

// Whole Hz, 20..20000 (band, high-pass and low-pass frequencies).
HeldValue HoldFrequency(double hz);
// Hundredths of a dB within the tuning file's limits.
HeldValue HoldGain(double db, GainLimits limits);
// A band's Q field from a file's cookbook Q. The field shows three times the
// cookbook Q (the EQ response model draws a band with raw / 300), as
// hundredths: 40..12800, in steps of 10 from 1000 and of 100 from 10000.
HeldValue HoldQ(double cookbookQ);
double CookbookQ(int qRaw);

}  // namespace caraudio::analysis
