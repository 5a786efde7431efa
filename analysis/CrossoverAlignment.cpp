#include "CrossoverAlignment.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <variant>

#include "DelayProposal.h"
#include "PairAlignment.h"
#include "ParameterTable.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

constexpr double kHighestCrossoverHz = 20000, kLowestCrossoverHz = 20;

int SideOrder(Side s) {
    return s == Side::Left ? 0 : s == Side::Right ? 1 : 2;
}

// Channels tied to each other by the pairs aligned so far, each with its
// delay and polarity within the group: moving or flipping a group keeps
// what its pairs made of it.
class Groups {
public:
    Groups(const std::vector<SeatChannel>& channels, const EffectBlock& image)
        : group_(channels.size()), offset_(channels.size(), 0), inverted_(channels.size()) {
        std::iota(group_.begin(), group_.end(), 0);
        for (size_t c = 0; c < channels.size(); ++c) inverted_[c] = InvertedIn(image, channels[c].block);
    }

    size_t Of(size_t c) const { return group_[c]; }
    int Offset(size_t c) const { return offset_[c]; }
    bool Inverted(size_t c) const { return inverted_[c]; }
    std::vector<size_t> Members(size_t g) const {
        std::vector<size_t> m;
        for (size_t c = 0; c < group_.size(); ++c)
            if (group_[c] == g) m.push_back(c);
        return m;
    }
    std::pair<int, int> Span(size_t g) const {
        int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
        for (size_t c : Members(g)) lo = std::min(lo, offset_[c]), hi = std::max(hi, offset_[c]);
        return {lo, hi};
    }
    // Group `moved` joins `into`, delayed by `raw` and flipped if asked.
    void Join(size_t moved, size_t into, int raw, bool flip) {
        for (size_t c : Members(moved)) {
            offset_[c] += raw;
            if (flip) inverted_[c] = !inverted_[c];
            group_[c] = into;
        }
    }
    void Flip(size_t g) {
        for (size_t c : Members(g)) inverted_[c] = !inverted_[c];
    }

private:
    std::vector<size_t> group_;
    std::vector<int> offset_;
    std::vector<bool> inverted_;
};

// The range of delays of `moved` that keeps the two groups together
// within the box's delay.
std::pair<int, int> FeasibleShift(const Groups& groups, size_t moved, size_t into) {
    const auto [intoLo, intoHi] = groups.Span(into);
    const auto [movedLo, movedHi] = groups.Span(moved);
    return {intoHi - movedLo - kMaxDelayRaw, intoLo - movedHi + kMaxDelayRaw};
}

// The delay of `moved` that makes channel m's sound arrive with channel i's.
int ArrivalShift(const std::vector<SeatChannel>& channels, const Groups& groups, size_t i, size_t m) {
    return static_cast<int>(std::lround((channels[i].arrivalMs - channels[m].arrivalMs) * kDelayStepsPerMs +
                                        groups.Offset(i) - groups.Offset(m)));
}

// The member that plays lowest: the lowest low-pass, then the lowest high-pass.
size_t LowestPlaying(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                     const std::vector<size_t>& members) {
    const auto key = [&](size_t c) {
        const ChannelPasses p = PassesOf(image, channels[c].block);
        return std::pair{p.lowPassHz > 0 ? p.lowPassHz : kHighestCrossoverHz, p.highPassHz};
    };
    return *std::min_element(members.begin(), members.end(),
                             [&](size_t a, size_t b) { return key(a) < key(b); });
}

// Where both channels play, each half an octave inside its crossovers.
std::pair<double, double> SharedBand(const ChannelPasses& a, const ChannelPasses& b) {
    const double inside = std::sqrt(2.0);
    const auto from = [&](const ChannelPasses& p) { return p.highPassHz > 0 ? p.highPassHz * inside : 0.0; };
    const auto to = [&](const ChannelPasses& p) {
        return p.lowPassHz > 0 ? p.lowPassHz / inside : kHighestCrossoverHz;
    };
    return {std::max(from(a), from(b)), std::min(to(a), to(b))};
}

struct IndexedPair {
    size_t lower, higher;  // indexes into the channels
    double hz;
};

struct Refusal {
    AlignmentStatus status;
    int block;
};

// The channels' indexes by block, or why the set or its pairs cannot be
// aligned; pairs without a frequency get the settings'.
std::optional<Refusal> Check(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                             std::vector<CrossoverPair>& pairs, std::vector<int>& indexOf) {
    indexOf.assign(kChannelCount, -1);
    for (size_t c = 0; c < channels.size(); ++c) {
        const int block = channels[c].block;
        if (block < 0 || block >= kChannelCount || indexOf[static_cast<size_t>(block)] >= 0)
            return Refusal{AlignmentStatus::BadChannel, block};
        indexOf[static_cast<size_t>(block)] = static_cast<int>(c);
    }
    const auto known = [&](int block) {
        return block >= 0 && block < kChannelCount && indexOf[static_cast<size_t>(block)] >= 0;
    };
    for (CrossoverPair& p : pairs) {
        if (!known(p.lowerBlock) || !known(p.higherBlock) || p.lowerBlock == p.higherBlock)
            return Refusal{AlignmentStatus::BadPair, known(p.lowerBlock) ? p.higherBlock : p.lowerBlock};
        if (p.hz <= 0) p.hz = CrossoverHzFromSettings(image, p.lowerBlock, p.higherBlock);
        if (!(p.hz >= kLowestCrossoverHz && p.hz <= kHighestCrossoverHz))
            return Refusal{AlignmentStatus::NoCrossoverHz, p.higherBlock};
    }
    return std::nullopt;
}

// The pairs in the tuner's order, from the highest crossover down, left
// before right.
std::vector<IndexedPair> InTunersOrder(std::vector<CrossoverPair>& pairs,
                                       const std::vector<SeatChannel>& channels,
                                       const std::vector<int>& indexOf) {
    const auto index = [&](int block) { return static_cast<size_t>(indexOf[static_cast<size_t>(block)]); };
    std::stable_sort(pairs.begin(), pairs.end(), [&](const CrossoverPair& a, const CrossoverPair& b) {
        return std::pair{-a.hz, SideOrder(channels[index(a.higherBlock)].side)} <
               std::pair{-b.hz, SideOrder(channels[index(b.higherBlock)].side)};
    });
    std::vector<IndexedPair> indexed;
    for (const CrossoverPair& p : pairs) indexed.push_back({index(p.lowerBlock), index(p.higherBlock), p.hz});
    return indexed;
}

// The channels at the seat through their settings, with no delay and the
// phase button off; the search turns and flips these.
class Playing {
public:
    Playing(const std::vector<SeatChannel>& channels, const EffectBlock& image, const FrequencyGrid& grid)
        : grid_(grid) {
        for (const SeatChannel& c : channels) base_.push_back(SeatResponse(c, image, 0, false, grid));
    }
    ComplexResponse operator()(size_t c, int raw, bool inverted) const {
        return Delayed(base_[c], raw, inverted, grid_);
    }
    ComplexResponse operator()(size_t c, const Groups& groups) const {
        return (*this)(c, groups.Offset(c), groups.Inverted(c));
    }

private:
    const FrequencyGrid& grid_;
    std::vector<ComplexResponse> base_;
};

// Each pair in turn ties the higher channel's group to the lower one's by
// the flattest sum; returns, per pair, whether it did (not when an earlier
// pair had tied them).
std::variant<std::vector<bool>, Refusal> AlignPairs(const std::vector<IndexedPair>& pairs,
                                                    const std::vector<SeatChannel>& channels,
                                                    const Playing& playing, Groups& groups,
                                                    const FrequencyGrid& grid) {
    std::vector<bool> setsDelay;
    for (const IndexedPair& p : pairs) {
        const size_t into = groups.Of(p.lower), moved = groups.Of(p.higher);
        setsDelay.push_back(into != moved);
        if (into == moved) continue;
        const auto [minRaw, maxRaw] = FeasibleShift(groups, moved, into);
        if (minRaw > maxRaw) return Refusal{AlignmentStatus::SpreadTooLarge, channels[p.higher].block};
        const PairAlignment a =
            AlignPair(playing(p.lower, groups), playing(p.higher, groups), p.hz,
                      ArrivalShift(channels, groups, p.lower, p.higher), minRaw, maxRaw, grid);
        groups.Join(moved, into, a.delayRaw, a.flip);
    }
    return setsDelay;
}

// Groups no crossover ties arrive together, with the largest as the anchor;
// where the two speakers timed against each other share a band, their sum
// there says which way the joining group faces.
std::optional<Refusal> JoinByArrival(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                                     const Playing& playing, Groups& groups, const FrequencyGrid& grid) {
    std::vector<size_t> roots;
    for (size_t c = 0; c < channels.size(); ++c)
        if (std::find(roots.begin(), roots.end(), groups.Of(c)) == roots.end()) roots.push_back(groups.Of(c));
    const size_t anchor = *std::max_element(roots.begin(), roots.end(), [&](size_t a, size_t b) {
        return groups.Members(a).size() < groups.Members(b).size();
    });
    const size_t anchorRef = LowestPlaying(channels, image, groups.Members(anchor));
    for (size_t g : roots) {
        if (g == anchor) continue;
        const size_t ref = LowestPlaying(channels, image, groups.Members(g));
        const auto [minRaw, maxRaw] = FeasibleShift(groups, g, anchor);
        const int raw = ArrivalShift(channels, groups, anchorRef, ref);
        if (raw < minRaw || raw > maxRaw)
            return Refusal{AlignmentStatus::SpreadTooLarge, channels[ref].block};
        const auto [fromHz, toHz] =
            SharedBand(PassesOf(image, channels[anchorRef].block), PassesOf(image, channels[ref].block));
        const bool flip =
            fromHz < toHz &&
            LouderFlipped(playing(anchorRef, groups),
                          playing(ref, groups.Offset(ref) + raw, groups.Inverted(ref)), fromHz, toHz, grid);
        groups.Join(g, anchor, raw, flip);
    }
    return std::nullopt;
}

// The sum tells which way the channels face each other, not which way the
// whole set faces: of the two, the one keeping more phase buttons as set.
void KeepMostPolarities(const std::vector<SeatChannel>& channels, const EffectBlock& image, Groups& groups) {
    size_t changed = 0;
    for (size_t c = 0; c < channels.size(); ++c)
        if (groups.Inverted(c) != InvertedIn(image, channels[c].block)) ++changed;
    if (2 * changed > channels.size()) groups.Flip(groups.Of(0));
}

}  // namespace

CrossoverAlignment AlignCrossovers(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                                   std::vector<CrossoverPair> pairs, const FrequencyGrid& grid) {
    CrossoverAlignment out;
    if (channels.empty()) return out;
    const auto refuse = [&](const Refusal& r) {
        out.status = r.status;
        out.badBlock = r.block;
        return out;
    };
    std::vector<int> indexOf;
    if (const auto refusal = Check(channels, image, pairs, indexOf)) return refuse(*refusal);
    const std::vector<IndexedPair> indexed = InTunersOrder(pairs, channels, indexOf);

    const Playing playing(channels, image, grid);
    Groups groups(channels, image);
    const auto aligned = AlignPairs(indexed, channels, playing, groups, grid);
    if (const auto* refusal = std::get_if<Refusal>(&aligned)) return refuse(*refusal);
    if (const auto refusal = JoinByArrival(channels, image, playing, groups, grid)) return refuse(*refusal);
    KeepMostPolarities(channels, image, groups);

    int earliest = std::numeric_limits<int>::max();
    for (size_t c = 0; c < channels.size(); ++c) earliest = std::min(earliest, groups.Offset(c));
    for (size_t c = 0; c < channels.size(); ++c)
        out.channels.push_back({channels[c].block, groups.Offset(c) - earliest, groups.Inverted(c)});

    const std::vector<bool>& setsDelay = std::get<std::vector<bool>>(aligned);
    for (size_t k = 0; k < indexed.size(); ++k) {
        const IndexedPair& p = indexed[k];
        const auto now = [&](size_t c) {
            return playing(c, DelayRawOf(image, channels[c].block), InvertedIn(image, channels[c].block));
        };
        const auto proposed = [&](size_t c) {
            return playing(c, out.channels[c].delayRaw, out.channels[c].inverted);
        };
        out.crossovers.push_back({pairs[k], setsDelay[k],
                                  WorstSumLossDb(now(p.lower), now(p.higher), p.hz, grid),
                                  WorstSumLossDb(proposed(p.lower), proposed(p.higher), p.hz, grid)});
    }
    out.status = AlignmentStatus::Aligned;
    return out;
}

}  // namespace caraudio::analysis
