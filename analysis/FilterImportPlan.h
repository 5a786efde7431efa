#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "EffectBlock.h"
#include "FilterSet.h"
#include "ValueScales.h"

namespace caraudio::analysis {

// A band's raw values as the image stores them (gain signed; store it as
// 16 bits).
struct BandValues {
    int freq = 0;
    int q = 0;
    int gain = 0;

    bool operator==(const BandValues&) const = default;
};

// The crossover chosen for a high-pass or low-pass line.
struct CrossoverChoice {
    int lineNumber = 0;
    int freq = 0;        // raw Hz
    int typeField = 0;   // 0 Butterworth, 1 Bessel, 2 Linkwitz
    int slopeIndex = 0;  // 0..7 for 6..48 dB/oct
    double rmsDb = 0;    // how far the box's curve lies from the file's filter
};

enum class SkipReason {
    Off,               // the file switches it off
    NotImportable,     // a kind the box has no filter for
    ExtraCrossover,    // a second high-pass or low-pass; the box has one of each
    NoCloseCrossover,  // no type and slope of the box comes close to it
    NotFollowed,       // a configuration line (FilterKind::Command): FilterLine::note says why
};

struct SkippedFilter {
    int lineNumber = 0;
    std::string file;  // FilterLine::file
    std::string text;
    FilterKind kind = FilterKind::Other;
    std::string type;
    SkipReason reason = SkipReason::NotImportable;
    CommandNote note = CommandNote::Config;  // NotFollowed
    std::string includePath;                 // NotFollowed Include: lines
    double rmsDb = 0;                        // NoCloseCrossover: the closest the box comes
};

// How far (RMS of dB over the editor's grid) the box's closest crossover may
// lie from a file's high-pass or low-pass and still stand for it. The RMS
// spreads the difference over the whole grid, where the curves meet away
// from the corner: the box's own shapes come out near 0, a first-order or a
// Q 0.5 (Linkwitz 12 dB) section about 0.3 and 0.5 (1 dB at the corner),
// Q 1.2 about 0.9 (a corner bump 2 dB above the box's), Q 1.5 about 1.5 (a
// bump of 4 dB, a boom a tuner hears at once). Up to a difference of 1 to
// 2 dB at the corner the box's filter does the file's job.
inline constexpr double kMaxCrossoverMismatchDb = 1.0;

// One value that lay outside what the box holds, in the file's units (Hz,
// dB, cookbook Q): what the file asked and what the box gets.
enum class ClampedField { Frequency, Gain, Q };
struct ClampedValue {
    ClampedField field = ClampedField::Frequency;
    double asked = 0;
    double held = 0;
};
struct ClampedFilter {
    int lineNumber = 0;
    std::string text;
    std::vector<ClampedValue> values;
};

enum class ImportOutcome {
    Planned,
    TooManyPeaking,     // more peaking filters than bands: nothing changes
    NothingToImport,    // no filter the box can hold, no level change: nothing changes
    CannotApproximate,  // shelves or curves the free bands cannot follow: nothing changes
};

// A shelf or graphic EQ line, which the box has no filter for, followed by
// peaking bands fitted to its curve (see CurveApproximation.h).
struct ApproximatedFilter {
    int lineNumber = 0;
    std::string file;  // empty for the file read; else the included file, as FilterLine::file
    std::string text;
    FilterKind kind = FilterKind::Other;
    std::string type;
    int bandCount = 0;
};
struct Approximation {
    std::vector<ApproximatedFilter> lines;  // in file order
    int freeBands = 0;                      // the bands the peaking filters leave
    // How far the channel's band curve lies from the file's, the largest
    // difference or (with a graphic EQ) the root mean square; with
    // CannotApproximate the closest reached.
    bool rms = false;
    double deviationDb = 0;
    int noFilterLine = 0;  // CannotApproximate: a shelf line that describes no filter; 0 if none
};

struct ImportOptions {
    bool applyPreamp = false;
    double preampDb = 0;
    // The file holds no filter line at all but is a filter set (an export of
    // a flat channel): every band becomes flat.
    bool flatWhenEmpty = false;
};

// The channel's values after the import. With any outcome but Planned the
// bands are the image's own and nothing else is set.
struct FilterImportPlan {
    ImportOutcome outcome = ImportOutcome::Planned;
    int peakingCount = 0;  // ON peaking filters in the file
    std::array<BandValues, kBandCount> bands{};
    // Which of the filters given each band holds (an index; for a band that
    // stands in for a shelf or curve, that line's), -1 for a band set flat.
    std::array<int, kBandCount> bandFilter{};
    Approximation approximation;
    std::optional<CrossoverChoice> highPass, lowPass;
    std::optional<int> volume;  // the channel's new Volume raw value
    int levelChangeDb = 0;      // what the volume change amounts to
    std::vector<SkippedFilter> skipped;
    std::vector<ClampedFilter> clamped;
};

// Plans importing filters (already chosen for a section) into block 0..5 of
// the image. A peaking filter whose frequency and Q are a band's own (as in
// this program's exports) goes into that band; the others fill the remaining
// bands from the lowest in ascending frequency. Shelves and graphic EQ
// curves become the bands that follow them (ApproximateCurves), in the bands
// the peaking filters leave, in ascending frequency; the bands left get
// gain 0 and keep frequency and Q. A pass filter sets the crossover when the
// box has one within kMaxCrossoverMismatchDb of it. With applyPreamp, the
// channel level moves by the preamp in whole dB, toward the lower level.
FilterImportPlan PlanFilterImport(const std::vector<FilterLine>& filters, const EffectBlock& image,
                                  int channel, GainLimits limits, ImportOptions options);

}  // namespace caraudio::analysis
