#include "AutoEqBandFit.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <nlopt.hpp>
#include <utility>

namespace caraudio::analysis {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSampleRate = 48000;
// Below this the error is noise, not something a band should chase.
constexpr double kSmallestErrorDb = 0.1;
// A new band must take at least this share off the squared error.
constexpr double kLeastGain = 0.002;
// Bands closer than this (in octaves) are searched again after a new band.
constexpr double kNeighbourOctaves = 1;
constexpr int kEvaluationsPerSearch = 100;
// Rounds over all bands once every band is placed.
constexpr int kFinalSweeps = 1;
// The boost limit holds for the bands together, not only for each one: two
// bands lifting the same place must not lift it further. Going over costs far
// more than any error, and the bands aim a little below the limit so that
// rounding and the points between the fit's points stay under it.
constexpr double kOverBoostWeight = 1000;
constexpr double kBoostMarginDb = 0.05;
// The bands' mean over the range moving further than allowed costs this,
// per point and squared dB: as much again as the error such a move leaves,
// so the bands do not trade the channel's level for a few cut peaks.
constexpr double kMeanWeight = 1;

struct Biquad {
    double b0, b1, b2, a1, a2;
};

Biquad Coefficients(const FitBand& band) {
    const double w0 = 2 * kPi * band.hz / kSampleRate;
    const double sn = std::sin(w0), cs = std::cos(w0);
    const double A = std::pow(10.0, band.gainDb / 40);
    const double alpha = sn / (2 * band.q);
    const double d = 1 + alpha / A;
    return {(1 + alpha * A) / d, -2 * cs / d, (1 - alpha * A) / d, -2 * cs / d, (1 - alpha / A) / d};
}

// The grid points as the band's response needs them.
struct Trig {
    std::vector<double> cos1, cos2;
};

Trig TrigOf(const FitPoints& p) {
    Trig t;
    for (double hz : p.hz) {
        const double w = 2 * kPi * hz / kSampleRate;
        t.cos1.push_back(std::cos(w));
        t.cos2.push_back(std::cos(2 * w));
    }
    return t;
}

void BandCurve(const FitBand& band, const Trig& t, std::vector<double>& out) {
    const Biquad c = Coefficients(band);
    const double n0 = c.b0 * c.b0 + c.b1 * c.b1 + c.b2 * c.b2, n1 = 2 * c.b1 * (c.b0 + c.b2),
                 n2 = 2 * c.b0 * c.b2;
    const double d0 = 1 + c.a1 * c.a1 + c.a2 * c.a2, d1 = 2 * c.a1 * (1 + c.a2), d2 = 2 * c.a2;
    out.resize(t.cos1.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] =
            10 * std::log10((n0 + n1 * t.cos1[i] + n2 * t.cos2[i]) / (d0 + d1 * t.cos1[i] + d2 * t.cos2[i]));
}

class Fitter {
public:
    Fitter(const FitPoints& p, const FitBounds& b, int errorPower)
        : p_(p),
          b_(b),
          errorPower_(std::max(errorPower, 1)),
          trig_(TrigOf(p)),
          sum_(p.hz.size(), 0.0),
          ceiling_(p.hz.size(), std::max(0.0, b.maxBoostDb - kBoostMarginDb)),
          exhausted_(p.hz.size(), 0) {
        for (size_t i = 0; i < ceiling_.size(); ++i) {
            if (!p.ceilingDb.empty())
                ceiling_[i] = std::max(0.0, std::min(p.ceilingDb[i], b.maxBoostDb) - kBoostMarginDb);
            inside_ += !Guard(i);
        }
        boostLoHz_ = b.boostLoHz > 0 ? std::max(b.loHz, b.boostLoHz) : b.loHz;
        boostHiHz_ = b.boostHiHz > 0 ? std::min(b.hiHz, b.boostHiHz) : b.hiHz;
    }

    double Error() const {
        return Total([&](size_t i) { return sum_[i]; });
    }

    // A run of points of one sign of error, and the point in it where a band goes.
    struct Run {
        size_t peak = 0, lo = 0, hi = 0;
        double most = -1;  // the weighted squares of what the limits let a band reduce
    };
    // Where the next band goes: the peak of the run of one sign that holds
    // the most weighted squared error a band could take away, so a broad
    // hump beats a lone spike and a deficit under the lift's ceiling counts
    // for nothing. Runs already found past helping are passed over.
    Run WorstRun() const {
        Run worst, run;
        bool open = false;
        for (size_t i = 0; i <= sum_.size(); ++i) {
            const bool in = i < sum_.size() && !Guard(i) && !exhausted_[i];
            const double r = in ? Reducible(i) : 0;
            if (open && (!in || ErrorAt(i) * ErrorAt(run.lo) <= 0)) {
                run.hi = i - 1;
                if (run.most > worst.most) worst = run;
                open = false;
            }
            if (!in) continue;
            if (!open) run = {i, i, i, 0}, open = true;
            run.most += p_.weight[i] * r * r;
            if (p_.weight[i] * std::fabs(r) > p_.weight[run.peak] * std::fabs(Reducible(run.peak)))
                run.peak = i;
        }
        return worst;
    }
    // The part of the error at point i that bands could take away: all of a
    // surplus, of a deficit no more than the lift's ceiling leaves room for.
    double Reducible(size_t i) const {
        const double e = ErrorAt(i);
        return e >= 0 ? e : -std::clamp(-e, 0.0, std::max(0.0, ceiling_[i] - sum_[i]));
    }
    double ErrorAt(size_t i) const { return p_.error[i] + sum_[i]; }
    // A run no band could improve is left alone from now on.
    void Exhaust(const Run& run) {
        std::fill(exhausted_.begin() + static_cast<long>(run.lo),
                  exhausted_.begin() + static_cast<long>(run.hi) + 1, char{1});
    }

    bool Reached(const FitGoal& goal) const {
        if (!(goal.maxErrorDb > 0) && !(goal.rmsErrorDb > 0)) return false;
        double worst = 0, squares = 0, weights = 0;
        for (size_t i = 0; i < sum_.size(); ++i) {
            if (Guard(i)) continue;
            const double e = ErrorAt(i);
            worst = std::max(worst, p_.weight[i] * std::fabs(e));
            squares += p_.weight[i] * e * e;
            weights += p_.weight[i];
        }
        const double rms = weights > 0 ? std::sqrt(squares / weights) : 0;
        return (!(goal.maxErrorDb > 0) || worst <= goal.maxErrorDb) &&
               (!(goal.rmsErrorDb > 0) || rms <= goal.rmsErrorDb);
    }

    // A free band at the point, its width from where the error falls to half.
    FitBand FreeBandAt(size_t i) const {
        const double e = ErrorAt(i);
        auto wide = [&](size_t k) {
            return !Guard(k) && ErrorAt(k) * e > 0 && std::fabs(ErrorAt(k)) > std::fabs(e) / 2;
        };
        size_t lo = i, hi = i;
        while (lo > 0 && wide(lo - 1)) --lo;
        while (hi + 1 < sum_.size() && wide(hi + 1)) ++hi;
        const double bw = std::max(std::log2(p_.hz[hi] / p_.hz[lo]), 0.05);
        FitBand band;
        band.boost = e < 0;
        band.hz = band.boost ? std::clamp(p_.hz[i], boostLoHz_, boostHiHz_) : p_.hz[i];
        band.q = std::clamp(std::sqrt(std::exp2(bw)) / (std::exp2(bw) - 1), b_.minQ, MaxQ(band));
        band.gainDb = band.boost ? std::min(-e, BandBoost()) : std::max(-e, -b_.maxCutDb);
        return band;
    }

    void Add(const FitBand& band) {
        bands_.push_back(band);
        curves_.emplace_back();
        BandCurve(band, trig_, curves_.back());
        for (size_t i = 0; i < sum_.size(); ++i) sum_[i] += curves_.back()[i];
    }
    // The bands and their sum, to go back to when a new band does not pay.
    struct State {
        std::vector<double> sum;
        std::vector<FitBand> bands;
        std::vector<std::vector<double>> curves;
    };
    State Save() const { return {sum_, bands_, curves_}; }
    void Restore(State state) {
        sum_ = std::move(state.sum);
        bands_ = std::move(state.bands);
        curves_ = std::move(state.curves);
    }

    // Moves one band to its best place with the others held.
    void Search(size_t k) {
        FitBand& band = bands_[k];
        for (size_t i = 0; i < sum_.size(); ++i) sum_[i] -= curves_[k][i];
        Parameters p;
        AddParameters(band, p);
        SearchState state{this, band, {}};
        Optimise(p, kEvaluationsPerSearch, &Fitter::Objective, &state);
        Apply(band, p.x.data());
        BandCurve(band, trig_, curves_[k]);
        for (size_t i = 0; i < sum_.size(); ++i) sum_[i] += curves_[k][i];
    }

    // Moves every band at once, for curves where bands of both signs have to
    // work together (a broad band and the one that trims its skirt).
    void SearchJointly(int evaluations) {
        Parameters p;
        for (const FitBand& band : bands_) AddParameters(band, p);
        JointState state{this, bands_, curves_, {}};
        Optimise(p, evaluations, &Fitter::JointObjective, &state);
        const double* x = p.x.data();
        for (size_t k = 0; k < bands_.size(); ++k) x = Apply(bands_[k], x);
        std::fill(sum_.begin(), sum_.end(), 0.0);
        for (size_t k = 0; k < bands_.size(); ++k) {
            BandCurve(bands_[k], trig_, curves_[k]);
            for (size_t i = 0; i < sum_.size(); ++i) sum_[i] += curves_[k][i];
        }
    }

    void SearchNear(double hz) {
        for (size_t k = 0; k < bands_.size(); ++k)
            if (std::fabs(std::log2(bands_[k].hz / hz)) <= kNeighbourOctaves) Search(k);
    }
    void SearchAll() {
        for (size_t k = 0; k < bands_.size(); ++k) Search(k);
    }

    const std::vector<FitBand>& Bands() const { return bands_; }
    // A lifting band only where lifts are allowed.
    bool MaySit(const FitBand& band) const {
        return !band.boost || (band.hz >= boostLoHz_ && band.hz <= boostHiHz_);
    }

private:
    struct SearchState {
        Fitter* self;
        FitBand band;
        std::vector<double> curve;
    };
    struct JointState {
        Fitter* self;
        std::vector<FitBand> bands;
        std::vector<std::vector<double>> curves;
        std::vector<double> sum;
    };

    // A search's start, bounds and first steps: log frequency, gain and Q
    // of each band, or the gain alone of a graphic band.
    struct Parameters {
        std::vector<double> x, lo, hi, step;
    };
    void AddParameters(const FitBand& band, Parameters& p) const {
        const double gainLo = band.boost ? 0 : -b_.maxCutDb, gainHi = band.boost ? BandBoost() : 0;
        if (band.fixedFrequencyAndQ) {
            p.x.push_back(band.gainDb);
            p.lo.push_back(gainLo);
            p.hi.push_back(gainHi);
            p.step.push_back(0.5);
        } else {
            const double loHz = band.boost ? boostLoHz_ : b_.loHz, hiHz = band.boost ? boostHiHz_ : b_.hiHz;
            p.x.insert(p.x.end(), {std::log(band.hz), band.gainDb, band.q});
            p.lo.insert(p.lo.end(), {std::log(loHz), gainLo, b_.minQ});
            p.hi.insert(p.hi.end(), {std::log(hiHz), gainHi, MaxQ(band)});
            p.step.insert(p.step.end(), {0.05, 0.5, 0.2});
        }
    }
    static void Optimise(Parameters& p, int evaluations, nlopt::vfunc objective, void* state) {
        for (size_t j = 0; j < p.x.size(); ++j) p.x[j] = std::clamp(p.x[j], p.lo[j], p.hi[j]);
        nlopt::opt opt(nlopt::LN_SBPLX, static_cast<unsigned>(p.x.size()));
        opt.set_lower_bounds(p.lo);
        opt.set_upper_bounds(p.hi);
        opt.set_xtol_rel(1e-4);
        opt.set_maxeval(evaluations);
        opt.set_initial_step(p.step);
        opt.set_min_objective(objective, state);
        double best = 0;
        // A search that stops on its evaluation limit still leaves its best
        // point in x, and so does one NLopt ends on round-off or failure,
        // which it reports by throwing: that must not leave the fit.
        try {
            (void)opt.optimize(p.x, best);
        } catch (const std::exception&) {
        }
    }

    double MaxQ(const FitBand& band) const { return band.boost ? b_.maxBoostQ : b_.maxCutQ; }
    double BandBoost() const { return b_.maxBandBoostDb >= 0 ? b_.maxBandBoostDb : b_.maxBoostDb; }
    static double Sq(double v) { return v * v; }
    double Power(double v) const { return errorPower_ == 2 ? v * v : std::pow(std::fabs(v), errorPower_); }
    bool Guard(size_t i) const { return !p_.guard.empty() && p_.guard[i]; }
    // What point i costs with the bands summing to bandsDb there.
    double Cost(size_t i, double bandsDb) const {
        return p_.weight[i] * Power(p_.error[i] + bandsDb) +
               kOverBoostWeight * Sq(std::max(0.0, bandsDb - ceiling_[i]));
    }
    // What the bands' mean over the range costs, from the sum of their levels there.
    double MeanCost(double insideSum) const {
        if (b_.maxMeanDb < 0 || inside_ == 0) return 0;
        return kMeanWeight * inside_ * Sq(std::max(0.0, std::fabs(insideSum / inside_) - b_.maxMeanDb));
    }
    // Every point's cost and the mean's, the bands summing to level(i) at point i.
    template <typename Level>
    double Total(Level level) const {
        double e = 0, insideSum = 0;
        for (size_t i = 0; i < sum_.size(); ++i) {
            const double db = level(i);
            e += Cost(i, db);
            if (!Guard(i)) insideSum += db;
        }
        return e + MeanCost(insideSum);
    }

    // Takes the band's parameters from x on; returns where the next band's begin.
    static const double* Apply(FitBand& band, const double* x) {
        if (band.fixedFrequencyAndQ) {
            band.gainDb = x[0];
            return x + 1;
        }
        band.hz = std::exp(x[0]);
        band.gainDb = x[1];
        band.q = x[2];
        return x + 3;
    }

    static double Objective(const std::vector<double>& x, std::vector<double>& /*grad*/, void* data) {
        auto& s = *static_cast<SearchState*>(data);
        Apply(s.band, x.data());
        BandCurve(s.band, s.self->trig_, s.curve);
        return s.self->Total([&](size_t i) { return s.self->sum_[i] + s.curve[i]; });
    }

    static double JointObjective(const std::vector<double>& x, std::vector<double>& /*grad*/, void* data) {
        auto& s = *static_cast<JointState*>(data);
        s.sum.assign(s.self->sum_.size(), 0.0);
        const double* at = x.data();
        for (size_t k = 0; k < s.bands.size(); ++k) {
            at = Apply(s.bands[k], at);
            BandCurve(s.bands[k], s.self->trig_, s.curves[k]);
            for (size_t i = 0; i < s.sum.size(); ++i) s.sum[i] += s.curves[k][i];
        }
        return s.self->Total([&](size_t i) { return s.sum[i]; });
    }

    const FitPoints& p_;
    const FitBounds& b_;
    int errorPower_;
    Trig trig_;
    std::vector<double> sum_;       // the bands' summed levels at every point
    std::vector<double> ceiling_;   // what the summed levels aim to stay under at every point
    std::vector<char> exhausted_;   // points of runs no band could improve
    size_t inside_ = 0;             // points that are not guards
    double boostLoHz_, boostHiHz_;  // where a lifting band may sit
    std::vector<FitBand> bands_;
    std::vector<std::vector<double>> curves_;
};

}  // namespace

std::vector<FitBand> FitBands(const FitPoints& points, const FitBounds& bounds, int maxBands,
                              const std::vector<FitBand>& candidates, const FitGoal& goal) {
    Fitter fitter(points, bounds, goal.errorPower);
    if (points.hz.empty()) return {};
    std::vector<bool> taken(candidates.size(), false);
    double error = fitter.Error();
    while (static_cast<int>(fitter.Bands().size()) < maxBands && !fitter.Reached(goal)) {
        const Fitter::Run run = fitter.WorstRun();
        if (run.most < 0) break;
        const size_t worst = run.peak;
        if (points.weight[worst] * std::fabs(fitter.Reducible(worst)) < kSmallestErrorDb) break;
        const double e = fitter.ErrorAt(worst);
        FitBand band;
        if (candidates.empty()) {
            band = fitter.FreeBandAt(worst);
        } else {
            // The free candidate nearest the worst point, starting flat.
            size_t best = candidates.size();
            for (size_t c = 0; c < candidates.size(); ++c)
                if (!taken[c] && (best == candidates.size() ||
                                  std::fabs(std::log(candidates[c].hz / points.hz[worst])) <
                                      std::fabs(std::log(candidates[best].hz / points.hz[worst]))))
                    best = c;
            if (best == candidates.size()) break;
            taken[best] = true;
            band = candidates[best];
            band.boost = e < 0;
            band.gainDb = 0;
            if (!fitter.MaySit(band)) continue;
        }
        Fitter::State before = fitter.Save();
        fitter.Add(band);
        if (goal.jointEvaluations > 0 && static_cast<int>(fitter.Bands().size()) <= goal.jointBands) {
            fitter.SearchJointly(goal.jointEvaluations);
        } else {
            // The new band alone first: one that does not pay there is not
            // worth moving its neighbours for.
            fitter.Search(fitter.Bands().size() - 1);
            if (fitter.Error() <= error * (1 - kLeastGain)) fitter.SearchNear(fitter.Bands().back().hz);
        }
        const double after = fitter.Error();
        if (after > error * (1 - kLeastGain)) {
            fitter.Restore(std::move(before));
            // A graphic band that cannot help here may help elsewhere, and so
            // may a free band in another region: this one is left as it is.
            if (candidates.empty()) fitter.Exhaust(run);
            continue;
        }
        error = after;
    }
    for (int sweep = 0; sweep < kFinalSweeps; ++sweep) fitter.SearchAll();
    return fitter.Bands();
}

}  // namespace caraudio::analysis
