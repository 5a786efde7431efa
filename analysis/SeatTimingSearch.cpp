#include "SeatTimingSearch.h"

#include <algorithm>
#include <cmath>

#include "ChannelCurves.h"
#include "DelayProposal.h"
#include "EditorGrid.h"
#include "PairAlignment.h"
#include "SeatSum.h"

namespace caraudio::analysis {
namespace {

constexpr FrequencySpan kWholeBand{20, 20000};
// Below this a speaker plays hardly anything: the search window is set by it
// for channels without a high-pass.
constexpr double kLowestPlayedHz = 30;
constexpr int kLeastWindow = 8, kMostWindow = 240;  // steps of 1/48 ms
constexpr int kMostSweeps = 2;

// What each channel sends to the seat with its settings but no delay and no
// phase button, so a trial of either is a rotation and a sign.
class Trial {
public:
    Trial(const std::vector<SeatChannel>& channels, const EffectBlock& image, const Response& target)
        : target_(target) {
        for (const SeatChannel& c : channels) {
            const double sign = InvertedIn(image, c.block) ? -1 : 1;
            const int delay = DelayRawOf(image, c.block);
            base_.push_back(SeatResponse(c, image, 0, false, EditorGrid()));
            delay_.push_back(delay);
            sign_.push_back(sign);
            cache_.emplace_back();
            cachedDelay_.push_back(delay + 1);  // nothing cached yet
            cachedSign_.push_back(sign);
        }
    }

    double Rms() const {
        ComplexResponse sum;
        sum.fill(0.0);
        for (size_t k = 0; k < base_.size(); ++k) {
            const ComplexResponse& r = At(k);
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += r[i];
        }
        const SumAgainstTarget judged =
            JudgeSum(LevelsDb(sum), target_, EditorGrid(), ReferenceRange{}, kWholeBand);
        return std::isfinite(judged.rmsDb) ? judged.rmsDb : 1e9;
    }

    // What channel k sends to the seat in this trial; each channel's is
    // made again only when its delay or sign moved.
    const ComplexResponse& At(size_t k) const {
        if (cachedDelay_[k] != delay_[k] || cachedSign_[k] != sign_[k]) {
            cache_[k] = Delayed(base_[k], delay_[k], sign_[k] < 0, EditorGrid());
            cachedDelay_[k] = delay_[k], cachedSign_[k] = sign_[k];
        }
        return cache_[k];
    }

    std::vector<int> delay_;
    std::vector<double> sign_;

private:
    const Response& target_;
    std::vector<ComplexResponse> base_;
    mutable std::vector<ComplexResponse> cache_;
    mutable std::vector<int> cachedDelay_;
    mutable std::vector<double> cachedSign_;
};

int Window(const EffectBlock& image, int block) {
    const ChannelCurves::PassInput hp = ChannelCurves::HighPassInput(image, block);
    const double lowest = hp.slope != 0 && hp.frequency > kLowestPlayedHz ? hp.frequency : kLowestPlayedHz;
    return std::clamp(static_cast<int>(std::lround(0.75 * kDelayStepsPerMs * 1000 / lowest)), kLeastWindow,
                      kMostWindow);
}

bool Spans(const std::vector<int>& delays) {
    const auto [least, most] = std::minmax_element(delays.begin(), delays.end());
    return *most - *least <= kMaxDelayRaw;
}

struct PairAt {
    size_t lower, higher;
    double hz;
    double allowedDb = 0;
};

std::vector<PairAt> PairsAt(const std::vector<SeatChannel>& channels,
                            const std::vector<CrossoverPair>& pairs) {
    auto index = [&](int block) {
        for (size_t i = 0; i < channels.size(); ++i)
            if (channels[i].block == block) return i;
        return channels.size();
    };
    std::vector<PairAt> out;
    for (const CrossoverPair& p : pairs)
        if (const size_t a = index(p.lowerBlock), b = index(p.higherBlock);
            a < channels.size() && b < channels.size())
            out.push_back({a, b, p.hz});
    return out;
}

double LossOf(const Trial& t, const PairAt& p) {
    return WorstSumLossDb(t.At(p.lower), t.At(p.higher), p.hz, EditorGrid());
}

// What moves together: each channel alone, and each side, the channels a
// crossover above the sub band ties together (one side's tweeter and mid).
std::vector<std::vector<size_t>> Units(const std::vector<SeatChannel>& channels,
                                       const std::vector<PairAt>& pairs) {
    std::vector<size_t> root(channels.size());
    for (size_t i = 0; i < root.size(); ++i) root[i] = i;
    auto find = [&](size_t i) {
        while (root[i] != i) i = root[i];
        return i;
    };
    for (const PairAt& p : pairs)
        if (p.hz >= kSubBelowHz) root[find(p.lower)] = find(p.higher);
    std::vector<std::vector<size_t>> units;
    for (size_t i = 0; i < channels.size(); ++i) units.push_back({i});
    for (size_t r = 0; r < channels.size(); ++r) {
        std::vector<size_t> side;
        for (size_t i = 0; i < channels.size(); ++i)
            if (find(i) == r) side.push_back(i);
        if (side.size() > 1) units.push_back(side);
    }
    return units;
}

// Left against right: where both sides play (above the sub, below the
// tweeters' top), each side's sum should add to the other's, not cancel.
// The mean loss of |L + R| against |L| + |R| over that band, in dB.
constexpr double kSidesFromHz = 150, kSidesToHz = 5000;

double SidesLossDb(const Trial& t, const std::vector<size_t>& left, const std::vector<size_t>& right) {
    ComplexResponse l{}, r{};
    for (size_t k : left) {
        const ComplexResponse& a = t.At(k);
        for (size_t i = 0; i < l.size(); ++i) l[i] += a[i];
    }
    for (size_t k : right) {
        const ComplexResponse& a = t.At(k);
        for (size_t i = 0; i < r.size(); ++i) r[i] += a[i];
    }
    const FrequencyGrid& grid = EditorGrid();
    double sum = 0;
    int n = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        if (grid.Hz(i) < kSidesFromHz || grid.Hz(i) > kSidesToHz) continue;
        const auto k = static_cast<size_t>(i);
        const double perfect = std::abs(l[k]) + std::abs(r[k]);
        if (!(perfect > 0)) continue;
        sum += -20 * std::log10(std::max(1e-6, std::abs(l[k] + r[k]) / perfect));
        ++n;
    }
    return n ? sum / n : 0;
}

// The second side moved and turned against the first so the two add best;
// of moves as good within 0.05 dB, the smallest.
void AlignSides(Trial& t, const std::vector<size_t>& left, const std::vector<size_t>& right, int window) {
    const std::vector<int> fromDelay = t.delay_;
    const std::vector<double> fromSign = t.sign_;
    double best = SidesLossDb(t, left, right);
    int bestShift = 0;
    bool bestFlip = false;
    for (const bool flip : {false, true})
        for (int shift = -window; shift <= window; ++shift) {
            for (size_t k : right) {
                t.delay_[k] = fromDelay[k] + shift;
                t.sign_[k] = flip ? -fromSign[k] : fromSign[k];
            }
            if (!Spans(t.delay_)) continue;
            const double loss = SidesLossDb(t, left, right);
            const bool smaller = std::abs(shift) < std::abs(bestShift);
            if (loss < best - 0.05 || (loss < best + 0.05 && smaller && flip == bestFlip))
                best = std::min(best, loss), bestShift = shift, bestFlip = flip;
        }
    for (size_t k : right) {
        t.delay_[k] = fromDelay[k] + bestShift;
        t.sign_[k] = bestFlip ? -fromSign[k] : fromSign[k];
    }
}

// A sub against every mid it meets, once the sides agree: moved and turned
// to the smallest of its pairs' worst losses added up.
void AlignSub(Trial& t, size_t sub, const std::vector<PairAt>& pairs, int window) {
    std::vector<PairAt> mine;
    for (const PairAt& p : pairs)
        if (p.lower == sub || p.higher == sub) mine.push_back(p);
    if (mine.empty()) return;
    const int fromDelay = t.delay_[sub];
    const double fromSign = t.sign_[sub];
    auto loss = [&] {
        double sum = 0;
        for (const PairAt& p : mine) sum += LossOf(t, p);
        return sum;
    };
    double best = loss();
    int bestDelay = fromDelay;
    double bestSign = fromSign;
    for (const double sign : {fromSign, -fromSign})
        for (int d = fromDelay - window; d <= fromDelay + window; ++d) {
            t.delay_[sub] = d, t.sign_[sub] = sign;
            if (!Spans(t.delay_)) continue;
            if (const double l = loss(); l < best - 1e-6) best = l, bestDelay = d, bestSign = sign;
        }
    t.delay_[sub] = bestDelay, t.sign_[sub] = bestSign;
}

}  // namespace

void RefineTimingAtSeat(const std::vector<SeatChannel>& channels, const std::vector<CrossoverPair>& pairs,
                        const Response& target, EffectBlock& image) {
    if (channels.empty()) return;
    Trial t(channels, image, target);
    const std::vector<PairAt> all = PairsAt(channels, pairs);
    const std::vector<std::vector<size_t>> units = Units(channels, all);
    // The pairs above the sub band are held; a sub meets both sides' mids,
    // and where those disagree the whole car decides.
    std::vector<PairAt> held;
    for (PairAt p : all)
        if (p.hz >= kSubBelowHz) {
            p.allowedDb = std::max(LossOf(t, p), std::min(LossOf(t, p) + kPairLossGivenDb, kPairLossMostDb));
            held.push_back(p);
        }
    // Left against right, then each sub against the mids, as a tuner goes.
    std::vector<std::vector<size_t>> sides;
    for (size_t u = channels.size(); u < units.size(); ++u) sides.push_back(units[u]);
    if (sides.size() == 2) {
        // The sides were set against the sub one by one, each within a period
        // of that crossover: they may lie that far apart.
        double lowestHz = kSubBelowHz;
        for (const PairAt& p : all) lowestHz = std::min(lowestHz, p.hz);
        const int window = static_cast<int>(std::ceil(kDelayStepsPerMs * 1000 / lowestHz));
        AlignSides(t, sides[0], sides[1], window);
        for (size_t k = 0; k < channels.size(); ++k) {
            const bool onASide =
                std::any_of(sides.begin(), sides.end(), [k](const std::vector<size_t>& side) {
                    return std::find(side.begin(), side.end(), k) != side.end();
                });
            if (!onASide) AlignSub(t, k, all, Window(image, channels[k].block));
        }
    }
    // From here on the whole car decides, as long as the sides keep adding
    // up and no crossover pair, the subs' included, gets a notch.
    double sidesAllowed = 1e9;
    if (sides.size() == 2) sidesAllowed = SidesLossDb(t, sides[0], sides[1]) + kPairLossGivenDb;
    held.clear();
    for (PairAt p : all) {
        p.allowedDb = std::max(LossOf(t, p), std::min(LossOf(t, p) + kPairLossGivenDb, kPairLossMostDb));
        held.push_back(p);
    }
    double best = t.Rms();
    for (int sweep = 0; sweep < kMostSweeps; ++sweep) {
        bool better = false;
        for (const std::vector<size_t>& unit : units) {
            int window = 0;
            for (size_t k : unit) window = std::max(window, Window(image, channels[k].block));
            const std::vector<int> fromDelay = t.delay_;
            const std::vector<double> fromSign = t.sign_;
            std::vector<int> bestDelay = fromDelay;
            std::vector<double> bestSign = fromSign;
            auto look = [&](int shift, bool flip) {
                for (size_t k : unit) {
                    t.delay_[k] = fromDelay[k] + shift;
                    t.sign_[k] = flip ? -fromSign[k] : fromSign[k];
                }
                if (!Spans(t.delay_)) return;
                for (const PairAt& p : held)
                    if (LossOf(t, p) > p.allowedDb) return;
                if (sides.size() == 2 && SidesLossDb(t, sides[0], sides[1]) > sidesAllowed) return;
                if (const double rms = t.Rms(); rms < best - 1e-6)
                    best = rms, bestDelay = t.delay_, bestSign = t.sign_, better = true;
            };
            // A coarse pass over the window, then the steps around its best.
            const int stride = window > 32 ? 2 : 1;
            for (const bool flip : {false, true})
                for (int shift = -window; shift <= window; shift += stride) look(shift, flip);
            if (stride > 1 && bestDelay != fromDelay) {
                const int at = bestDelay[unit.front()] - fromDelay[unit.front()];
                const bool flip = bestSign[unit.front()] != fromSign[unit.front()];
                for (const int shift : {at - 1, at + 1}) look(shift, flip);
            }
            t.delay_ = bestDelay;
            t.sign_ = bestSign;
        }
        if (!better) break;
    }
    const int least = *std::min_element(t.delay_.begin(), t.delay_.end());
    for (size_t k = 0; k < channels.size(); ++k)
        SetDelayAndPolarity(image, channels[k].block, t.delay_[k] - least, t.sign_[k] < 0);
}

}  // namespace caraudio::analysis
