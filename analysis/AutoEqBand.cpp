#include "AutoEqBand.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "AutoEq.h"
#include "ChannelCurves.h"
#include "EditorGrid.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

constexpr double kLowestHz = kFrequencyRaw.lo, kHighestHz = kFrequencyRaw.hi;

// The corner of a crossover that acts, as the response model draws it: a
// slope and a frequency the box can hold; 0 for none.
double Corner(const ChannelCurves::PassInput& pass) {
    return pass.slope != 0 && pass.frequency >= kLowestHz && pass.frequency < kHighestHz ? pass.frequency : 0;
}

// The points of `level` below `from` (down) or above it (up): the first
// that lies under `floor` and stays under for kRollOffOctaves, as far as
// the curve goes; none before `stop`.
std::optional<int> RollOff(const Response& level, const FrequencyGrid& grid, int from, int stop, int step,
                           double floor) {
    for (int i = from; i != stop + step; i += step) {
        if (!(level[size_t(i)] < floor)) continue;
        bool stays = true;
        for (int k = i; k >= 0 && k < FrequencyGrid::kPoints; k += step) {
            if (std::fabs(std::log2(grid.Hz(k) / grid.Hz(i))) > kRollOffOctaves) break;
            if (level[size_t(k)] >= floor) stays = false;
        }
        if (stays) return i;
    }
    return std::nullopt;
}

}  // namespace

ChannelBand FindChannelBand(const Response& speakerAlone, const EffectBlock& image, int channel,
                            FrequencySpan covered) {
    ChannelBand band;
    if (channel < 0 || channel >= kChannelCount) return band;
    band.highPassHz = Corner(ChannelCurves::HighPassInput(image, channel));
    band.lowPassHz = Corner(ChannelCurves::LowPassInput(image, channel));
    const FrequencySpan crossovers{band.highPassHz > 0 ? band.highPassHz : kLowestHz,
                                   band.lowPassHz > 0 ? band.lowPassHz : kHighestHz};
    const FrequencySpan domain = Overlap(crossovers, covered);
    const FrequencyGrid& grid = EditorGrid();
    const Response smoothed = SmoothedOnGrid(speakerAlone, Smoothing::Octave3);
    std::vector<double> inside;
    int first = -1, last = -1;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < domain.lowHz || grid.Hz(i) > domain.highHz || !std::isfinite(smoothed[size_t(i)]))
            continue;
        inside.push_back(smoothed[size_t(i)]);
        if (first < 0) first = i;
        last = i;
    }
    if (domain.Empty() || inside.empty()) {
        band.span = band.lift = {0, 0};
        return band;
    }
    // The passband's level: the median of the points within kPassbandDb of
    // the loudest, so neither the cabin's modes nor the roll-offs (however
    // much of the domain they take, as a sub's do) pull it.
    const double loudest = *std::max_element(inside.begin(), inside.end());
    std::erase_if(inside, [&](double db) { return db < loudest - kPassbandDb; });
    std::nth_element(inside.begin(), inside.begin() + long(inside.size() / 2), inside.end());
    const double floor = inside[inside.size() / 2] - kRollOffDb;
    // The roll-offs are looked for outwards from where it plays loudest:
    // the middle of the domain may lie far beyond a sub's or a tweeter's.
    int middle = first;
    for (int i = first; i <= last; ++i)
        if (smoothed[size_t(i)] > smoothed[size_t(middle)]) middle = i;

    band.span = domain;
    band.lowEnd =
        band.highPassHz > 0 && domain.lowHz == band.highPassHz ? BandEnd::Crossover : BandEnd::Measurement;
    band.highEnd =
        band.lowPassHz > 0 && domain.highHz == band.lowPassHz ? BandEnd::Crossover : BandEnd::Measurement;
    if (const auto low = RollOff(smoothed, grid, middle, first, -1, floor)) {
        band.span.lowHz = grid.Hz(*low + 1);  // the last point still within the roll-off's depth
        band.lowEnd = BandEnd::RollOff;
    }
    if (const auto high = RollOff(smoothed, grid, middle, last, +1, floor)) {
        band.span.highHz = grid.Hz(*high - 1);
        band.highEnd = BandEnd::RollOff;
    }
    band.lift = band.span;
    return band;
}

}  // namespace caraudio::analysis
