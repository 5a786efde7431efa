#include "DelayProposal.h"

#include <algorithm>
#include <cmath>

namespace caraudio::analysis {

DelayProposal ProposeDelays(const std::vector<double>& arrivalsMs) {
    DelayProposal p;
    if (arrivalsMs.empty()) return p;
    const auto [earliest, latest] = std::minmax_element(arrivalsMs.begin(), arrivalsMs.end());
    p.spreadMs = *latest - *earliest;
    // Rounded like each delay will be, so a spread a hair over 20 ms that
    // still rounds to 960 steps is accepted.
    if (std::lround(p.spreadMs * kDelayStepsPerMs) > kMaxDelayRaw) {
        p.status = DelayProposalStatus::SpreadTooLarge;
        return p;
    }
    for (double t : arrivalsMs)
        p.raw.push_back(
            std::clamp(static_cast<int>(std::lround((*latest - t) * kDelayStepsPerMs)), 0, kMaxDelayRaw));
    p.status = DelayProposalStatus::Proposed;
    return p;
}

std::vector<bool> InvertedPolarityHints(const std::vector<int>& polarities) {
    int sum = 0;
    for (int s : polarities) sum += s > 0 ? 1 : -1;
    const int reference = sum != 0 ? (sum > 0 ? 1 : -1) : (polarities.empty() || polarities[0] > 0 ? 1 : -1);
    std::vector<bool> inverted;
    for (int s : polarities) inverted.push_back((s > 0 ? 1 : -1) != reference);
    return inverted;
}

}  // namespace caraudio::analysis
