#include "ChannelLevels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "AutoEq.h"
#include "CrossoverPairs.h"
#include "ParameterTable.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

constexpr double kLowestHz = 20, kHighestHz = 20000;

std::pair<double, double> Band(const ChannelPasses& passes) {
    const double inside = std::exp2(kLevelInsideCrossoverOctaves);
    double from = (passes.highPassHz > 0 ? passes.highPassHz : kLowestHz) * inside;
    double to = (passes.lowPassHz > 0 ? passes.lowPassHz : kHighestHz) / inside;
    if (to < from * std::exp2(kNarrowBandOctaves)) {
        const double middle = std::sqrt(from * to), half = std::exp2(kNarrowBandOctaves / 2);
        from = middle / half, to = middle * half;
    }
    return {from, to};
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The level of `atSeat` (dB on the grid) against the target over the band,
// and the band.
ChannelLevel Level(const Response& atSeat, const Response& target, const ChannelPasses& passes,
                   const FrequencyGrid& grid) {
    ChannelLevel level;
    std::tie(level.fromHz, level.toHz) = Band(passes);
    level.levelDb = std::numeric_limits<double>::quiet_NaN();
    const Response smoothed = SixthOctaveOnGrid(atSeat);
    std::vector<int> points;
    std::vector<double> against;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const auto k = static_cast<size_t>(i);
        const double hz = grid.Hz(i);
        if (hz < level.fromHz || hz > level.toHz || !std::isfinite(target[k]) ||
            !std::isfinite(smoothed[k]) || atSeat[k] <= -240)
            continue;
        points.push_back(i);
        against.push_back(smoothed[k] - target[k]);
    }
    if (points.empty()) return level;
    const double floor = Median(against) - kOwnRollOffDb;
    double power = 0;
    int counted = 0;
    for (size_t n = 0; n < points.size(); ++n) {
        if (against[n] < floor) continue;
        const auto k = static_cast<size_t>(points[n]);
        power += std::pow(10.0, (atSeat[k] - target[k]) / 10);
        ++counted;
    }
    if (counted > 0 && power > 0) level.levelDb = 10 * std::log10(power / counted);
    return level;
}

bool PeaksEqual(const std::vector<SeatChannel>& channels) {
    if (channels.size() < 2) return false;
    const auto [lo, hi] = std::minmax_element(channels.begin(), channels.end(),
                                              [](const auto& a, const auto& b) { return a.peak < b.peak; });
    return lo->peak > 0 && 20 * std::log10(hi->peak / lo->peak) <= kEqualPeaksDb;
}

}  // namespace

LevelProposal ProposeLevels(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                            const Response& target, const FrequencyGrid& grid) {
    LevelProposal out;
    if (channels.empty()) return out;
    out.status = LevelProposal::Status::Proposed;
    out.equalPeaks = PeaksEqual(channels);
    double quietest = std::numeric_limits<double>::infinity();
    for (const SeatChannel& c : channels) {
        const Response atSeat =
            LevelsDb(SeatResponse(c, image, DelayRawOf(image, c.block), InvertedIn(image, c.block), grid));
        ChannelLevel level = Level(atSeat, target, PassesOf(image, c.block), grid);
        level.block = c.block;
        level.volumeRaw = image.Get(*FindParam(param::Volume(c.block)));
        if (std::isfinite(level.levelDb)) quietest = std::min(quietest, level.levelDb);
        out.channels.push_back(level);
    }
    if (out.equalPeaks) return out;
    for (ChannelLevel& level : out.channels) {
        if (!std::isfinite(level.levelDb) || level.volumeRaw == 0) continue;
        level.trimDb = quietest - level.levelDb;
        level.volumeRaw =
            std::clamp(level.volumeRaw + static_cast<int>(std::lround(level.trimDb)), 1, kVolumeRaw.hi);
    }
    return out;
}

}  // namespace caraudio::analysis
