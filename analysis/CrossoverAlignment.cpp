#include "CrossoverAlignment.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

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
    size_t lower, higher;
    double hz;
};

}  // namespace

CrossoverAlignment AlignCrossovers(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                                   std::vector<CrossoverPair> pairs, const FrequencyGrid& grid) {
    CrossoverAlignment out;
    if (channels.empty()) return out;
    std::vector<int> indexOf(kChannelCount, -1);
    for (size_t c = 0; c < channels.size(); ++c) {
        const int block = channels[c].block;
        if (block < 0 || block >= kChannelCount || indexOf[static_cast<size_t>(block)] >= 0) {
            out.status = AlignmentStatus::BadChannel;
            out.badBlock = block;
            return out;
        }
        indexOf[static_cast<size_t>(block)] = static_cast<int>(c);
    }
    const auto known = [&](int block) {
        return block >= 0 && block < kChannelCount && indexOf[static_cast<size_t>(block)] >= 0;
    };
    std::vector<IndexedPair> indexed;
    for (CrossoverPair& p : pairs) {
        if (!known(p.lowerBlock) || !known(p.higherBlock) || p.lowerBlock == p.higherBlock) {
            out.status = AlignmentStatus::BadPair;
            out.badBlock = known(p.lowerBlock) ? p.higherBlock : p.lowerBlock;
            return out;
        }
        if (p.hz <= 0) p.hz = CrossoverHzFromSettings(image, p.lowerBlock, p.higherBlock);
        if (!(p.hz >= kLowestCrossoverHz && p.hz <= kHighestCrossoverHz)) {
            out.status = AlignmentStatus::NoCrossoverHz;
            out.badBlock = p.higherBlock;
            return out;
        }
    }
    // The tuner's order: from the highest crossover down, left before right.
    std::stable_sort(pairs.begin(), pairs.end(), [&](const CrossoverPair& a, const CrossoverPair& b) {
        const Side sa = channels[static_cast<size_t>(indexOf[static_cast<size_t>(a.higherBlock)])].side;
        const Side sb = channels[static_cast<size_t>(indexOf[static_cast<size_t>(b.higherBlock)])].side;
        return std::pair{-a.hz, SideOrder(sa)} < std::pair{-b.hz, SideOrder(sb)};
    });
    for (const CrossoverPair& p : pairs)
        indexed.push_back({static_cast<size_t>(indexOf[static_cast<size_t>(p.lowerBlock)]),
                           static_cast<size_t>(indexOf[static_cast<size_t>(p.higherBlock)]), p.hz});

    // Each channel at the seat with no delay and its polarity button off;
    // the search turns and flips these.
    std::vector<ComplexResponse> base;
    for (const SeatChannel& c : channels) base.push_back(SeatResponse(c, image, 0, false, grid));
    const auto playing = [&](size_t c, int raw, bool inverted) {
        return Delayed(base[c], raw, inverted, grid);
    };

    Groups groups(channels, image);
    std::vector<bool> setsDelay;
    for (const IndexedPair& p : indexed) {
        const size_t into = groups.Of(p.lower), moved = groups.Of(p.higher);
        setsDelay.push_back(into != moved);
        if (into == moved) continue;
        const auto [minRaw, maxRaw] = FeasibleShift(groups, moved, into);
        if (minRaw > maxRaw) {
            out.status = AlignmentStatus::SpreadTooLarge;
            out.badBlock = channels[p.higher].block;
            return out;
        }
        const PairAlignment a =
            AlignPair(playing(p.lower, groups.Offset(p.lower), groups.Inverted(p.lower)),
                      playing(p.higher, groups.Offset(p.higher), groups.Inverted(p.higher)), p.hz,
                      ArrivalShift(channels, groups, p.lower, p.higher), minRaw, maxRaw, grid);
        groups.Join(moved, into, a.delayRaw, a.flip);
    }
    // Groups no crossover ties arrive together, with the largest as the
    // anchor; where the two speakers timed against each other share a band,
    // their sum there says which way the joining group faces.
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
        const auto [minRaw, maxRaw] = FeasibleShift(groups, g, groups.Of(anchorRef));
        const int raw = ArrivalShift(channels, groups, anchorRef, ref);
        if (raw < minRaw || raw > maxRaw) {
            out.status = AlignmentStatus::SpreadTooLarge;
            out.badBlock = channels[ref].block;
            return out;
        }
        const auto [fromHz, toHz] =
            SharedBand(PassesOf(image, channels[anchorRef].block), PassesOf(image, channels[ref].block));
        const bool flip =
            fromHz < toHz &&
            LouderFlipped(playing(anchorRef, groups.Offset(anchorRef), groups.Inverted(anchorRef)),
                          playing(ref, groups.Offset(ref) + raw, groups.Inverted(ref)), fromHz, toHz, grid);
        groups.Join(g, groups.Of(anchorRef), raw, flip);
    }
    // The sum tells which way the channels face each other, not which way
    // the whole set faces: keep as many as set.
    const auto changed = std::count_if(channels.begin(), channels.end(), [&](const SeatChannel& c) {
        const size_t k = static_cast<size_t>(&c - channels.data());
        return groups.Inverted(k) != InvertedIn(image, c.block);
    });
    if (2 * static_cast<size_t>(changed) > channels.size()) groups.Flip(groups.Of(anchorRef));
    int earliest = std::numeric_limits<int>::max();
    for (size_t c = 0; c < channels.size(); ++c) earliest = std::min(earliest, groups.Offset(c));
    for (size_t c = 0; c < channels.size(); ++c)
        out.channels.push_back({channels[c].block, groups.Offset(c) - earliest, groups.Inverted(c)});

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
