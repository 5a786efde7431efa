#pragma once

#include <array>
#include <optional>

#include "AutoEqBand.h"
#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "FilterImportPlan.h"
#include "FrequencySpan.h"
#include "Smoothing.h"
#include "ValueScales.h"

namespace caraudio::analysis {

struct AutoEqOptions {
    // The fit range; none: the channel's own band (FindChannelBand).
    std::optional<FrequencySpan> range;
    // Where the measurement's level is set against the target; none: where
    // the channel plays fully (its band inside the fit range).
    std::optional<FrequencySpan> reference;
    double maxBoostDb = 6;      // the bands together lift no frequency more than this
    int maxBands = kBandCount;  // bands that may carry a gain
    bool geq = false;           // only the gains move; frequencies and Q stay the image's
    GainLimits limits;          // the tuning file's gain range
};

enum class AutoEqStatus {
    Fitted,
    BadChannel,     // not a block 0..5
    BadRange,       // a range given with lo not below hi, or missing 20..20000 Hz
    NotCovered,     // the measurement and the target share less than kAutoEqMinOctaves of the range
    NoMeasurement,  // no measured level inside the range
    NoReference,    // the reference range given holds no point where both have levels
};

// Over less than an octave a fit has too little to go by: even its narrowest
// band's skirts reach well past what was measured.
inline constexpr double kAutoEqMinOctaves = 1;

struct AutoEqResult {
    AutoEqStatus status = AutoEqStatus::Fitted;
    // All 31 bands as the image would store them; the bands not used are
    // flat (gain 0) and keep the image's frequency and Q. When the fit does
    // not lower the error (unchanged), the image's own bands.
    std::array<BandValues, kBandCount> bands{};
    int bandsUsed = 0;  // bands with a gain
    // The fitted bands would not lower the error: nothing is proposed.
    bool unchanged = false;
    // The channel's own band and where the fit range's ends come from.
    ChannelBand band;
    // What was fitted: the range (the channel's band, or the one given) as
    // far as the measurement and the target both cover it (for NotCovered,
    // the little they share of it).
    FrequencySpan fitted{0, 0};
    // The measurement's level set against the target: levelDb is added to
    // it, from its mean against the target over `reference` (deep narrow
    // dips left out). The channel's level trim, never the bands' work.
    double levelDb = 0;
    FrequencySpan reference{0, 0};
    // AutoEqRmsError before (the channel's bands as they are) and after (the
    // proposed bands, rounded to what the box holds, through the program's
    // own response model), both at levelDb, against the channel's target
    // (the target with the channel's crossovers, which cancel in it).
    // fittedRmsDb: what the fitted bands reach, also when they are not
    // proposed.
    double rmsBeforeDb = 0, rmsAfterDb = 0, fittedRmsDb = 0;
    // On the editor grid: the measurement moved by levelDb; the target with
    // the channel's crossover slopes; the measurement with levelDb, the
    // proposed bands and the crossovers.
    Response levelled{}, channelTarget{}, predicted{};
};

// The image with all 31 bands of the channel set to these raw values.
EffectBlock WithBands(EffectBlock image, int channel, const std::array<BandValues, kBandCount>& bands);

// The curve smoothed over its finite grid points (SmoothMeasurement); NaN
// stays NaN.
Response SmoothedOnGrid(const Response& curve, Smoothing smoothing);
Response SixthOctaveOnGrid(const Response& curve);

// The error the fit is judged by: the predicted curve is smoothed to 1/6
// octave over its finite grid points (SmoothMeasurement), then the root mean
// square of smoothed minus target is taken over the grid points from loHz to
// hiHz where the predicted curve is finite, every point weighing the same
// (the grid is log-spaced, so every octave counts alike); points without a
// target do not count. NaN when no point is left.
double AutoEqRmsError(const Response& predicted, const Response& target, double loHz, double hiHz);

// Fits the channel's bands so that what the speaker does alone, with the
// box's crossovers and the bands, follows the target. speakerAlone is the
// speaker measured with nothing of the box in front of it, at any level,
// on the editor grid (NaN where nothing was measured); target is the
// system's target there; `covered` is where both have levels (the
// measurement's span and the target's): only the range's part inside it is
// fitted, and no band goes outside it. The same inputs always give the same
// bands.
//
// The speaker is fitted in its own band (FindChannelBand) unless a range is
// given, against the target with the channel's crossover slopes, so the fit
// never fights a crossover; its level is set against the target over the
// reference and reported, never made by the bands: moving their mean level
// over the range beyond kAutoEqMaxMeanShiftDb costs them as much again as
// the error it leaves. No band lifts outside the band's lift range (between
// the crossover corners and inside natural roll-offs); beyond a crossover
// corner the bands together lift only what keeps the channel under its
// -6 dB point there, and nothing beyond a natural roll-off.
//
// Deep narrow dips are left alone: a dip more than kAutoEqDeepDipDb under
// the local level (the median over an octave around it), narrower than
// kAutoEqNarrowDipOctaves where it is half that deep, whose bottom the
// boost could not bring within kAutoEqUnfilledDb of the target, does not
// count in the fit, out to where it comes within kAutoEqDipEdgeDb of the
// local level again (and the smoothing's spread beyond). Every other
// deficit is lifted as far as the boost allows. A band that lifts keeps its
// cookbook Q at or below kAutoEqMaxBoostQ, so boosts stay broad; cuts may
// be narrower (kAutoEqMaxCutQ). Bands whose gain rounds below
// kAutoEqLeastGainDb are not used; bands that would not lower the error
// are not proposed (unchanged).
// The fitted measurement was first set onto the target over `levelledOver`
// (the measurement's reference range, as the editor and `curve` set it);
// levelDb says how far the channel's own band lies from there. That is a
// trim for the channel only where it plays over at least kLevelTrimMinShare
// of that range (in octaves): a sub or a tweeter judged against a midrange
// reference would be turned down by its own roll-off. None elsewhere.
inline constexpr double kLevelTrimMinShare = 0.5;
std::optional<double> LevelTrimDb(const AutoEqResult& result, FrequencySpan levelledOver);

inline constexpr double kAutoEqMinQ = 0.4, kAutoEqMaxBoostQ = 3, kAutoEqMaxCutQ = 8;
inline constexpr double kAutoEqDeepDipDb = 6, kAutoEqNarrowDipOctaves = 1.0 / 3, kAutoEqUnfilledDb = 1.5,
                        kAutoEqDipEdgeDb = 2;
inline constexpr double kAutoEqMaxMeanShiftDb = 0.25, kAutoEqLeastGainDb = 0.1;
AutoEqResult FitAutoEq(const Response& speakerAlone, const Response& target, const EffectBlock& image,
                       int channel, const AutoEqOptions& options, FrequencySpan covered = kEverywhere);

}  // namespace caraudio::analysis
