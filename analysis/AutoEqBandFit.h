#pragma once

#include <vector>

namespace caraudio::analysis {

// The fitting core of the auto EQ, on the grid points of the fit range:
// peaking bands (the cookbook biquad at 48 kHz, as the program draws them)
// placed one at a time where the weighted error is largest, each then moved
// by a bounded local search (NLopt's subplex) of log frequency, gain and Q
// together with its neighbours.
struct FitPoints {
    std::vector<double> hz;
    std::vector<double> error;   // smoothed prediction minus target, without the bands
    std::vector<double> weight;  // 0 where the error must not pull (deep dips)
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
// range. Stops early when a new band no longer lowers the error, or when
// the goal is reached.
std::vector<FitBand> FitBands(const FitPoints& points, const FitBounds& bounds, int maxBands,
                              const std::vector<FitBand>& candidates, const FitGoal& goal = {});

}  // namespace caraudio::analysis
