#include "CurveApproximation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "AutoEq.h"
#include "AutoEqBandFit.h"
#include "BoxFields.h"
#include "ChannelCurves.h"
#include "CookbookResponse.h"
#include "EditorGrid.h"
#include "ShelfFilter.h"

namespace caraudio::analysis {
namespace {

constexpr double kLoHz = 20, kHiHz = 20000;
// The searches look at every other grid point (about 1/50 octave apart);
// the result is judged on all of them.
constexpr int kPointStep = 2;
// What each line's fit aims at, as shares of the tolerance: the loosest
// first, so a curve gets the fewest bands that hold once rounded to what the
// box keeps; tighter ones when the rounded bands miss.
constexpr double kGoalShares[] = {0.7, 0.5, 0.3, 0.15};
// The curves are smooth: neither needle-thin bands nor broader ones than
// this are needed.
constexpr double kMinQ = 0.2, kMaxQ = 6;

// Bands that follow a shelf work in pairs of opposite sign (a broad one and
// the one trimming its skirt), which a search of one band at a time does
// not find: each new band is followed by a search of all of them together.
// Where the largest error is judged, the fit weighs the worst points most.
constexpr int kJointEvaluations = 1500, kJointBands = 6;
constexpr int kMaxErrorPower = 8;

// A line as the fit follows it: its level at the judged points.
struct Target {
    std::vector<double> db;
    double highestDb = 0;
};

struct Judged {
    std::vector<int> grid;  // editor grid indexes from 20 to 20000 Hz
    std::vector<double> hz;
};

Judged JudgedPoints() {
    const FrequencyGrid& grid = EditorGrid();
    Judged j;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (grid.Hz(i) >= kLoHz && grid.Hz(i) <= kHiHz) {
            j.grid.push_back(i);
            j.hz.push_back(grid.Hz(i));
        }
    return j;
}

// The bands' summed curve in the program's model, at the judged points.
std::vector<double> BoxCurve(std::span<const BandValues> bands, const EffectBlock& image, int channel,
                             const Judged& at) {
    std::array<BandValues, kBandCount> all{};
    std::copy_n(bands.begin(), std::min<std::size_t>(bands.size(), kBandCount), all.begin());
    EqCurveModel model(EditorGrid());
    std::vector<double> db(at.grid.size(), 0.0);
    if (!model.InitBands(ChannelCurves::BandInputs(WithBands(image, channel, all), channel))) {
        std::fill(db.begin(), db.end(), std::numeric_limits<double>::infinity());
        return db;
    }
    for (std::size_t k = 0; k < at.grid.size(); ++k)
        for (int b = 0; b < EqCurveModel::kBands; ++b)
            db[k] += model.Filter(b).response[static_cast<std::size_t>(at.grid[k])];
    return db;
}

struct Limits {
    double lowestDb, highestDb;
};

ClampedFilter HeldEntry(const FilterLine& line) {
    return {line.lineNumber, line.text, {}};
}

std::optional<Target> ShelfTarget(const FilterLine& line, Limits limits, const Judged& at,
                                  std::vector<ClampedFilter>& clamped) {
    const double held = std::clamp(line.gainDb, limits.lowestDb, limits.highestDb);
    if (held != line.gainDb) {
        ClampedFilter entry = HeldEntry(line);
        entry.values.push_back({ClampedField::Gain, line.gainDb, held});
        clamped.push_back(std::move(entry));
    }
    const std::optional<CookbookShelf> shelf = ShelfOfLine(line, held);
    if (!shelf) return std::nullopt;
    Target t;
    for (double hz : at.hz) t.db.push_back(ShelfDb(*shelf, hz));
    return t;
}

Target CurveTarget(const FilterLine& line, Limits limits, const Judged& at,
                   std::vector<ClampedFilter>& clamped) {
    std::vector<GraphicEqPoint> points = line.graphicEq;
    ClampedFilter entry = HeldEntry(line);
    const auto [lowest, highest] =
        std::minmax_element(points.begin(), points.end(),
                            [](const GraphicEqPoint& a, const GraphicEqPoint& b) { return a.db < b.db; });
    if (highest != points.end() && highest->db > limits.highestDb)
        entry.values.push_back({ClampedField::Gain, highest->db, limits.highestDb});
    if (lowest != points.end() && lowest->db < limits.lowestDb)
        entry.values.push_back({ClampedField::Gain, lowest->db, limits.lowestDb});
    if (!entry.values.empty()) clamped.push_back(std::move(entry));
    for (GraphicEqPoint& p : points) p.db = std::clamp(p.db, limits.lowestDb, limits.highestDb);
    Target t;
    for (double hz : at.hz) t.db.push_back(GraphicEqDb(points, hz));
    return t;
}

double Deviation(const std::vector<double>& box, const std::vector<double>& file, bool rms) {
    double worst = 0, squares = 0;
    for (std::size_t k = 0; k < box.size(); ++k) {
        const double d = box[k] - file[k];
        if (!std::isfinite(d)) return std::numeric_limits<double>::infinity();
        worst = std::max(worst, std::fabs(d));
        squares += d * d;
    }
    return rms ? std::sqrt(squares / static_cast<double>(std::max<std::size_t>(box.size(), 1))) : worst;
}

struct Attempt {
    std::vector<std::vector<BandValues>> bands;
    int bandsUsed = 0;
    double deviationDb = 0;
};

// What every attempt follows: the lines' curves on top of the peaks'.
struct Problem {
    std::vector<Target> targets;
    std::span<const BandValues> peakBands;
    const EffectBlock& image;
    int channel;
    int freeBands;
    GainLimits limits;
    Judged at;
    std::vector<double> peaksDb;  // the peaks as the file's convention draws them
    bool rms = false;
};

// Every line's bands fitted in turn to what the peaks and the lines before
// it leave.
Attempt Fit(const Problem& p, double goalDb) {
    std::vector<BandValues> placed(p.peakBands.begin(), p.peakBands.end());
    std::vector<double> box = BoxCurve(placed, p.image, p.channel, p.at);
    std::vector<double> file = p.peaksDb;
    const double highestGain = std::max({p.limits.minvol, p.limits.maxvol, 0});
    FitBounds bounds;
    bounds.loHz = kLoHz;
    bounds.hiHz = kHiHz;
    bounds.maxCutDb = std::max(0, -std::min(p.limits.minvol, p.limits.maxvol));
    bounds.maxBandBoostDb = highestGain;
    bounds.minQ = kMinQ;
    bounds.maxBoostQ = bounds.maxCutQ = kMaxQ;
    FitGoal goal;
    (p.rms ? goal.rmsErrorDb : goal.maxErrorDb) = goalDb;
    goal.errorPower = p.rms ? 2 : kMaxErrorPower;
    goal.jointEvaluations = p.rms ? 0 : kJointEvaluations;
    goal.jointBands = kJointBands;
    Attempt attempt;
    for (const Target& t : p.targets) {
        for (std::size_t k = 0; k < file.size(); ++k) file[k] += t.db[k];
        bounds.maxBoostDb = std::min(t.highestDb + kApproximationToleranceDb, highestGain);
        FitPoints points;
        for (std::size_t k = 0; k < p.at.hz.size(); k += kPointStep) {
            points.hz.push_back(p.at.hz[k]);
            points.error.push_back(box[k] - file[k]);
            points.weight.push_back(1);
        }
        const int left = p.freeBands - attempt.bandsUsed;
        std::vector<BandValues> own;
        for (const FitBand& b : FitBands(points, bounds, left, {}, goal)) {
            const BandValues held{HoldFrequency(b.hz).raw, HoldQ(b.q).raw, HoldGain(b.gainDb, p.limits).raw};
            if (held.gain != 0) own.push_back(held);
        }
        const std::vector<double> added = BoxCurve(own, p.image, p.channel, p.at);
        for (std::size_t k = 0; k < box.size(); ++k) box[k] += added[k];
        attempt.bandsUsed += static_cast<int>(own.size());
        attempt.bands.push_back(std::move(own));
    }
    attempt.deviationDb = Deviation(box, file, p.rms);
    return attempt;
}

}  // namespace

CurveApproximation ApproximateCurves(std::span<const FilterLine* const> lines,
                                     std::span<const BandValues> peakBands, const EffectBlock& image,
                                     int channel, int freeBands, GainLimits limits) {
    CurveApproximation result;
    if (lines.empty()) return result;
    Problem p{{}, peakBands, image, channel, freeBands, limits, JudgedPoints(), {}, false};
    const Limits held{double(std::min(limits.minvol, limits.maxvol)),
                      double(std::max(limits.minvol, limits.maxvol))};
    for (const FilterLine* line : lines) {
        p.rms = p.rms || line->kind == FilterKind::GraphicEq;
        if (line->kind == FilterKind::GraphicEq) {
            p.targets.push_back(CurveTarget(*line, held, p.at, result.clamped));
        } else if (std::optional<Target> t = ShelfTarget(*line, held, p.at, result.clamped)) {
            p.targets.push_back(std::move(*t));
        } else {
            result.status = ApproximationStatus::NoFilter;
            result.failedLine = line->lineNumber;
            return result;
        }
        const std::vector<double>& db = p.targets.back().db;
        p.targets.back().highestDb = std::max(0.0, *std::max_element(db.begin(), db.end()));
    }
    result.rms = p.rms;
    p.peaksDb.assign(p.at.hz.size(), 0.0);
    for (const BandValues& b : peakBands) {
        const PeakingFilter peak{double(b.freq), b.gain / 100.0, CookbookQ(b.q)};
        for (std::size_t k = 0; k < p.at.hz.size(); ++k) p.peaksDb[k] += PeakingDb(peak, p.at.hz[k]);
    }

    // More shelves and curves than a channel has bands is no file the bands
    // could follow; it is refused without fits, so the work stays bounded
    // whatever a file holds.
    if (lines.size() > std::size_t{kBandCount}) {
        std::vector<double> file = p.peaksDb;
        for (const Target& t : p.targets)
            for (std::size_t k = 0; k < file.size(); ++k) file[k] += t.db[k];
        result.status = ApproximationStatus::TooFewBands;
        result.deviationDb = Deviation(BoxCurve(peakBands, image, channel, p.at), file, p.rms);
        return result;
    }
    result.deviationDb = std::numeric_limits<double>::infinity();
    for (double share : kGoalShares) {
        Attempt attempt = Fit(p, share * kApproximationToleranceDb);
        if (attempt.deviationDb <= kApproximationToleranceDb) {
            result.bands = std::move(attempt.bands);
            result.deviationDb = attempt.deviationDb;
            return result;
        }
        result.deviationDb = std::min(result.deviationDb, attempt.deviationDb);
        // Tighter aims take more bands, and there are none left; a curve
        // missed by far was not missed for want of a tighter aim (the fits
        // stopped before reaching theirs, and would again).
        if (attempt.bandsUsed == freeBands || attempt.deviationDb > 2 * kApproximationToleranceDb) break;
    }
    result.status = ApproximationStatus::TooFewBands;
    return result;
}

}  // namespace caraudio::analysis
