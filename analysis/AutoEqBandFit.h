#pragma once

#include <vector>

namespace caraudio::analysis {

// The fitting core of the auto EQ, on the grid points of the fit range:
// peaking bands (the cookbook biquad at 48 kHz, as the program draws them)
// placed one at a time where the weighted error the limits let them reduce
// is largest, each then moved by a bounded local search (NLopt's subplex)
// of log frequency, gain and Q together with its neighbours.
struct FitPoints {
    std::vector<double> hz;
    std::vector<double> error;   // smoothed prediction minus target, without the bands
    std::vector<double> weight;  // 0 where the error must not pull (deep dips)
    // Optional, one per point: the most the bands together may lift there;
    // empty: FitBounds::maxBoostDb everywhere.
    std::vector<double> ceilingDb;
    // Optional, one per point: a guard point beyond the fit range, where no
    // band is placed and only the bands' own level counts (its error is 0,
    // its weight what a skirt reaching there costs).
    std::vector<char> guard;
};

struct FitBand {
    double hz = 1000, gainDb = 0, q = 1;
    bool fixedFrequencyAndQ = false;  // graphic EQ: only the gain moves
    bool boost = false;               // the sign the gain keeps
    int slot = -1;                    // graphic EQ: the candidate's band
};

struct FitBounds {
    double loHz = 40, hiHz = 16000;
    double maxBoostDb = 6, maxCutDb = 20;  // the bands' summed lift, a band's cut
    // A band's own lift where it differs from the summed one (a band lifting
    // back part of its neighbours' cut); below 0: maxBoostDb.
    double maxBandBoostDb = -1;
    double minQ = 0.4, maxBoostQ = 3, maxCutQ = 8;
    // Where a lifting band may sit, inside loHz..hiHz; 0 and above: those.
    double boostLoHz = 0, boostHiHz = 0;
    // How far the bands' mean over the points of the range (guards left
    // out, each point alike) may move from 0 dB; below 0: as far as it likes.
    double maxMeanDb = -1;
};

// What a fit aims at. It may stop placing bands before the error stops
// falling: once the largest weighted error, or the weighted root mean
// square error, is down to maxErrorDb or rmsErrorDb (0: no such goal). Each
// point costs its weight times |error|^errorPower: squares by default,
// higher powers when the largest error is what counts.
// With jointEvaluations, each new band up to the jointBands-th is followed
// by a search of all bands together with that many evaluations of the
// error, rather than of the new band and its neighbours one at a time (which
// later bands get, as the joint search grows with the square of the count).
struct FitGoal {
    double maxErrorDb = 0;
    double rmsErrorDb = 0;
    int errorPower = 2;
    int jointEvaluations = 0;
    int jointBands = 0;
};

// Places up to maxBands bands. With candidates (graphic EQ), a band is one
// of them, frequency and Q kept; without, bands are placed freely in the
// range. A band that does not lower the error is taken back and the region
// it was meant for is left: the search goes on elsewhere. Stops when no
// region is left that a band could improve, or when the goal is reached.
std::vector<FitBand> FitBands(const FitPoints& points, const FitBounds& bounds, int maxBands,
                              const std::vector<FitBand>& candidates, const FitGoal& goal = {});

}  // namespace caraudio::analysis
