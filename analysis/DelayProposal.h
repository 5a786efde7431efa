#pragma once

#include <vector>

#include "ValueScales.h"

namespace caraudio::analysis {

// The box delays each output in whole samples at 48 kHz, 0..20 ms.
inline constexpr int kDelayStepsPerMs = kDelaySamplesPerMs;
inline constexpr int kMaxDelayRaw = kDelayRaw.hi;

enum class DelayProposalStatus {
    Proposed,
    NoChannels,
    SpreadTooLarge,  // the arrivals lie further apart than the box can delay
};

// Delays that make every channel arrive with the latest one, which gets 0.
struct DelayProposal {
    DelayProposalStatus status = DelayProposalStatus::NoChannels;
    std::vector<int> raw;  // one per arrival, in the box's steps; empty unless Proposed
    double spreadMs = 0;   // latest minus earliest arrival
};

DelayProposal ProposeDelays(const std::vector<double>& arrivalsMs);

// Channels whose direct sound swings the other way from the majority (from
// the first channel when there are only two, or when the vote is tied): a hint
// that a speaker is wired inverted. Polarities are +1 or -1.
std::vector<bool> InvertedPolarityHints(const std::vector<int>& polarities);

}  // namespace caraudio::analysis
