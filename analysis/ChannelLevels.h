#pragma once

#include <vector>

#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "SeatChannel.h"

namespace caraudio::analysis {

// A channel's band is what its crossovers leave it (the grid's ends where it
// has none), less half an octave inside each crossover, where the filter's
// knee and the neighbour's share would count; a band narrower than that is
// taken as a third of an octave around its middle. Within it, points where
// the speaker's own roll-off has taken it more than kOwnRollOffDb under its
// median (a tweeter's top octave, a sub's port) do not count either.
inline constexpr double kLevelInsideCrossoverOctaves = 0.5;
inline constexpr double kNarrowBandOctaves = 1.0 / 3;
inline constexpr double kOwnRollOffDb = 10;
// Impulse responses whose peaks all lie this close were normalised when
// exported (each to full scale): their levels say nothing about each other.
inline constexpr double kEqualPeaksDb = 0.1;

struct ChannelLevel {
    int block = 0;
    double fromHz = 0, toHz = 0;  // the band the level is taken over
    // The mean power, over the band's points, of the channel's response at
    // the seat (with its settings) against the target, in dB; NaN for a
    // channel that sends nothing there.
    double levelDb = 0;
    double trimDb = 0;  // what brings it to the quietest channel's level: 0 or less
    int volumeRaw = 0;  // the channel's volume with the trim in whole steps (never OFF)
};

struct LevelProposal {
    enum class Status { Proposed, NoChannels };
    Status status = Status::NoChannels;
    // Every channel's peak the same: the levels are shown, no trim is proposed.
    bool equalPeaks = false;
    std::vector<ChannelLevel> channels;  // in the order given
};

// The level of each channel over its band against the target at the seat
// (on the grid, dB), with the trims that make the speakers match.
LevelProposal ProposeLevels(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                            const Response& target, const FrequencyGrid& grid);

}  // namespace caraudio::analysis
