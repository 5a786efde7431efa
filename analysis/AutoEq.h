#pragma once

#include <array>

#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "FilterImportPlan.h"
#include "FrequencySpan.h"
#include "ValueScales.h"

namespace caraudio::analysis {

struct AutoEqOptions {
    double loHz = 40, hiHz = 16000;  // the fit range
    double maxBoostDb = 6;           // the bands together lift no frequency more than this
    int maxBands = kBandCount;       // bands that may carry a gain
    bool geq = false;                // only the gains move; frequencies and Q stay the image's
    GainLimits limits;               // the tuning file's gain range
};

enum class AutoEqStatus {
    Fitted,
    BadChannel,     // not a block 0..5
    BadRange,       // lo not below hi, or the range misses 20..20000 Hz
    NotCovered,     // the measurement and the target share less than kAutoEqMinOctaves of the range
    NoMeasurement,  // no measured level inside the range
};

// Over less than an octave a fit has too little to go by: even its narrowest
// band's skirts reach well past what was measured.
inline constexpr double kAutoEqMinOctaves = 1;

struct AutoEqResult {
    AutoEqStatus status = AutoEqStatus::Fitted;
    // All 31 bands as the image would store them; the bands not used are
    // flat (gain 0) and keep the image's frequency and Q.
    std::array<BandValues, kBandCount> bands{};
    int bandsUsed = 0;  // bands with a gain
    // What was fitted: the range as far as the measurement and the target
    // both cover it (for NotCovered, the little they share of it).
    FrequencySpan fitted{0, 0};
    // AutoEqRmsError before (the channel's bands as they are) and after (the
    // proposed bands, rounded to what the box holds, through the program's
    // own response model).
    double rmsBeforeDb = 0, rmsAfterDb = 0;
    Response predicted{};  // the measurement with the proposed bands and the crossovers
};

// The image with all 31 bands of the channel set to these raw values.
EffectBlock WithBands(EffectBlock image, int channel, const std::array<BandValues, kBandCount>& bands);

// The curve smoothed to 1/6 octave over its finite grid points
// (SmoothMeasurement); NaN stays NaN.
Response SixthOctaveOnGrid(const Response& curve);

// The error the fit is judged by: the predicted curve is smoothed to 1/6
// octave over its finite grid points (SmoothMeasurement), then the root mean
// square of smoothed minus target is taken over the grid points from loHz to
// hiHz where the predicted curve is finite, every point weighing the same
// (the grid is log-spaced, so every octave counts alike); points without a
// target do not count. NaN when no point is left.
double AutoEqRmsError(const Response& predicted, const Response& target, double loHz, double hiHz);

// Fits the channel's bands so the predicted response follows the target.
// alignedMeasured and target lie on the editor grid (NaN where nothing was
// measured); `covered` is where both have levels (the measurement's span
// and the target's): only the range's part inside it is fitted, and no band
// goes outside it. The channel's crossovers in the image stay and count in
// the prediction. The same inputs always give the same bands.
//
// Deep dips are left alone: where the measurement lies further below the
// target than maxBoostDb + 1.5 dB, that dip (out to where it is within 1 dB
// of the target, widened by the smoothing's half window) does not count in
// the fit, so no band boosts into it. A deficit running into an end of the
// range is a roll-off and is lifted as far as the boost allows. A band
// that lifts keeps its cookbook Q at or below kAutoEqMaxBoostQ, so boosts stay
// broad; cuts may be narrower (kAutoEqMaxCutQ).
inline constexpr double kAutoEqMinQ = 0.4, kAutoEqMaxBoostQ = 3, kAutoEqMaxCutQ = 8;
AutoEqResult FitAutoEq(const Response& alignedMeasured, const Response& target, const EffectBlock& image,
                       int channel, const AutoEqOptions& options, FrequencySpan covered = kEverywhere);

}  // namespace caraudio::analysis
