#pragma once

#include <span>
#include <vector>

#include "EffectBlock.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "ValueScales.h"

namespace caraudio::analysis {

// How far the channel's band curve may lie from the file's where bands stand
// in for filters the box does not have, from 20 to 20000 Hz on the editor's
// grid: at no frequency further than this for shelves; as a root mean square
// (every octave weighing alike) once a graphic EQ curve is among them, as
// such curves carry detail that no few bands follow point by point.
inline constexpr double kApproximationToleranceDb = 0.5;

enum class ApproximationStatus {
    Done,
    TooFewBands,  // the free bands cannot follow the curve within the tolerance
    NoFilter,     // a shelf line that describes no filter (see ShelfOfLine)
};

struct CurveApproximation {
    ApproximationStatus status = ApproximationStatus::Done;
    // Per line given, in that order: the bands standing in for it, raw as
    // the image stores them, none with gain 0. Empty unless Done.
    std::vector<std::vector<BandValues>> bands;
    int failedLine = 0;  // NoFilter: the line's number
    bool rms = false;    // the deviation is a root mean square; else the largest
    // How far the peaks' and these bands' curve lies from the file's: the
    // result's when Done, the closest reached when TooFewBands.
    double deviationDb = 0;
    // Shelf gains and curve levels held to the tuning file's limits before
    // they were followed.
    std::vector<ClampedFilter> clamped;
};

// Fits peaking bands, at most freeBands of them, that make block 0..5's
// bands follow the file's curve: the cookbook curve of the peaks as planned
// (peakBands, raw) plus the shelves and graphic EQ curves of `lines`, each
// line's own bands fitted in turn with the auto EQ's band search to what
// the bands before it leave, lifting no more than the line's own highest
// level plus the tolerance. The fewest bands that keep within the
// tolerance, judged by the program's own response model; the same inputs
// always give the same bands.
CurveApproximation ApproximateCurves(std::span<const FilterLine* const> lines,
                                     std::span<const BandValues> peakBands, const EffectBlock& image,
                                     int channel, int freeBands, GainLimits limits);

}  // namespace caraudio::analysis
