#include "CarTune.h"

#include <algorithm>
#include <cmath>

#include "ChannelCurves.h"
#include "ChannelLevels.h"
#include "EditorGrid.h"
#include "ParameterTable.h"
#include "ProcessingResponse.h"
#include "SeatSum.h"
#include "SeatTimingSearch.h"

namespace caraudio::analysis {
namespace {

// The whole car is judged over what a listener hears.
constexpr FrequencySpan kWholeBand{20, 20000};
// Crossover corners this close (in octaves) are the same crossover: a
// left and a right channel set alike.
constexpr double kSameCornerOctaves = 1.0 / 3;
// How far a group of channels may be moved as a whole, in volume steps.
constexpr int kMostGroupSteps = 12;
// Broad corrections of the sum lift at most this much, whatever the boost
// limit: they correct what the speakers do together, and a lift there
// fills what the channels' own EQ left on purpose.
constexpr double kMostCorrectionBoostDb = 3;

const ParamRecord& P(int index) {
    return *FindParam(index);
}

double Rms(const std::vector<SeatChannel>& channels, const EffectBlock& image, const Response& target) {
    const SumAgainstTarget judged =
        JudgeSum(LevelsDb(CarSum(channels, image)), target, EditorGrid(), ReferenceRange{}, kWholeBand);
    return std::isfinite(judged.rmsDb) ? judged.rmsDb : 1e9;
}

struct Corners {
    double highHz = 0, lowHz = 0;  // 0: that crossover is off
};

Corners CornersOf(const EffectBlock& image, int block) {
    const ChannelCurves::PassInput hp = ChannelCurves::HighPassInput(image, block);
    const ChannelCurves::PassInput lp = ChannelCurves::LowPassInput(image, block);
    return {hp.slope != 0 && hp.frequency > 0 ? hp.frequency : 0, lp.slope != 0 ? lp.frequency : 0};
}

bool SameCorner(double a, double b) {
    if (a == 0 || b == 0) return a == b;
    return std::fabs(std::log2(a / b)) <= kSameCornerOctaves;
}

// Indexes into `channels` of the channels that share their crossovers.
std::vector<std::vector<size_t>> Groups(const std::vector<SeatChannel>& channels, const EffectBlock& image) {
    std::vector<std::vector<size_t>> groups;
    for (size_t i = 0; i < channels.size(); ++i) {
        const Corners c = CornersOf(image, channels[i].block);
        auto same = [&](const std::vector<size_t>& g) {
            const Corners d = CornersOf(image, channels[g.front()].block);
            return SameCorner(c.highHz, d.highHz) && SameCorner(c.lowHz, d.lowHz);
        };
        const auto found = std::find_if(groups.begin(), groups.end(), same);
        if (found == groups.end())
            groups.push_back({i});
        else
            found->push_back(i);
    }
    return groups;
}

int Volume(const EffectBlock& image, int block) {
    return image.Get(P(param::Volume(block)));
}

void SetVolume(EffectBlock& image, int block, int raw) {
    // Raw 0 is OFF: a trim never switches a channel off.
    image.Set(P(param::Volume(block)),
              static_cast<uint16_t>(std::clamp(raw, kVolumeRaw.lo + 1, kVolumeRaw.hi)));
}

// The speaker's level curve at the seat for the auto EQ: fine comb
// structure of the cabin smoothed away first, as a tuner looks at it.
Response SpeakerLevels(const SeatChannel& c) {
    return SmoothedOnGrid(LevelsDb(c.alone), Smoothing::Octave12);
}

// The bands together lift nothing below a high-pass or above a low-pass
// corner: a speaker is not driven harder where it is meant to be quiet.
// Where they would (a broad lift's skirt past the corner), the lifting band
// that adds most there is lowered a tenth at a time.
constexpr double kMostLiftOutsideDb = 0.1;

void KeepLiftsInside(EffectBlock& image, int block) {
    const Corners c = CornersOf(image, block);
    if (c.highHz == 0 && c.lowHz == 0) return;
    FrequencyGrid grid = EditorGrid();
    for (int round = 0; round < 200; ++round) {
        ChannelCurves curves(grid);
        curves.RebuildChannel(block, image);
        const EqCurveModel& m = curves.Model(block);
        int worst = -1;
        double most = kMostLiftOutsideDb;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = grid.Hz(i);
            if (!((c.highHz > 0 && hz < c.highHz) || (c.lowHz > 0 && hz > c.lowHz))) continue;
            double lift = 0;
            for (int b = 0; b < m.BandCount(); ++b) lift += m.Filter(b).response[static_cast<size_t>(i)];
            if (lift > most) most = lift, worst = i;
        }
        if (worst < 0) return;
        int band = -1;
        double largest = 0;
        for (int b = 0; b < m.BandCount(); ++b)
            if (const double db = m.Filter(b).response[static_cast<size_t>(worst)]; db > largest)
                largest = db, band = b;
        if (band < 0) return;
        const ParamRecord& gain = P(param::BandGain(block, band));
        const int raw = static_cast<int16_t>(image.Get(gain));
        image.Set(gain, static_cast<uint16_t>(static_cast<int16_t>(raw * 9 / 10)));
    }
}

void FitChannelBands(const SeatChannel& c, const CarTuneOptions& options, EffectBlock& image,
                     ChannelTuneResult& report, double& levelDb) {
    AutoEqOptions fit;
    fit.maxBoostDb = options.maxBoostDb;
    fit.maxBands = kBandCount - kCorrectionBands;
    fit.limits = options.limits;
    const AutoEqResult r = FitAutoEq(SpeakerLevels(c), options.target, image, c.block, fit);
    levelDb = r.status == AutoEqStatus::Fitted ? r.levelDb : 0;
    if (r.status != AutoEqStatus::Fitted || r.unchanged) return;
    image = WithBands(image, c.block, r.bands);
    KeepLiftsInside(image, c.block);
    report.bandsUsed = r.bandsUsed;
}

// Volumes from where each channel started: its trim to match the others of
// its group, and its group's move. Everything is lowered alike where that
// would lift a channel past the box's top volume: the sum only hears the
// channels against each other.
struct Levels {
    std::vector<int> start, trim;  // per channel
    std::vector<int> groupOf;      // per channel
    std::vector<int> move;         // per group
};

void SetLevels(const std::vector<SeatChannel>& channels, const Levels& l, EffectBlock& image) {
    std::vector<int> wanted(channels.size());
    int over = 0;
    for (size_t i = 0; i < channels.size(); ++i) {
        wanted[i] = l.start[i] + l.trim[i] + l.move[static_cast<size_t>(l.groupOf[i])];
        over = std::max(over, wanted[i] - kVolumeRaw.hi);
    }
    for (size_t i = 0; i < channels.size(); ++i) SetVolume(image, channels[i].block, wanted[i] - over);
}

// Channels of a group play alike: each trimmed so its level over its band
// matches the group's mean, in whole volume steps; then each group moved a
// step at a time while the sum gets nearer the target.
void MatchLevels(const std::vector<SeatChannel>& channels, const std::vector<std::vector<size_t>>& groups,
                 const std::vector<double>& levelDb, const Response& target, EffectBlock& image) {
    Levels l{std::vector<int>(channels.size()), std::vector<int>(channels.size()),
             std::vector<int>(channels.size()), std::vector<int>(groups.size(), 0)};
    for (size_t k = 0; k < groups.size(); ++k) {
        double mean = 0;
        for (size_t i : groups[k]) mean += levelDb[i];
        mean /= static_cast<double>(groups[k].size());
        for (size_t i : groups[k]) {
            l.start[i] = Volume(image, channels[i].block);
            l.trim[i] = static_cast<int>(std::lround(levelDb[i] - mean));
            l.groupOf[i] = static_cast<int>(k);
        }
    }
    SetLevels(channels, l, image);
    double best = Rms(channels, image, target);
    for (bool better = true; better;) {
        better = false;
        for (size_t k = 0; k < groups.size(); ++k) {
            for (const int step : {1, -1}) {
                if (std::abs(l.move[k] + step) > kMostGroupSteps) continue;
                Levels trial = l;
                trial.move[k] += step;
                EffectBlock moved = image;
                SetLevels(channels, trial, moved);
                const double rms = Rms(channels, moved, target);
                if (rms < best - 1e-6) {
                    best = rms, image = moved, l = trial, better = true;
                    break;
                }
            }
        }
    }
}

// A group's band: between its crossover corners.
FrequencySpan GroupSpan(const EffectBlock& image, int block) {
    const Corners c = CornersOf(image, block);
    return {std::max(kWholeBand.lowHz, c.highHz),
            c.lowHz > 0 ? std::min(kWholeBand.highHz, c.lowHz) : kWholeBand.highHz};
}

// Sets the bands with a gain into flat bands of the channel; false when it
// has too few left.
bool AddBands(EffectBlock& image, int block, const std::vector<BandValues>& bands) {
    std::vector<int> free;
    for (int b = 0; b < kBandCount; ++b)
        if (image.Get(P(param::BandGain(block, b))) == 0) free.push_back(b);
    if (free.size() < bands.size()) return false;
    for (size_t k = 0; k < bands.size(); ++k) {
        const int b = free[k];
        image.Set(P(param::BandFreq(block, b)), static_cast<uint16_t>(bands[k].freq));
        image.Set(P(param::BandQ(block, b)), static_cast<uint16_t>(bands[k].q));
        image.Set(P(param::BandGain(block, b)), static_cast<uint16_t>(static_cast<int16_t>(bands[k].gain)));
    }
    return true;
}

// What the sum still misses in the group's band, fitted with a few broad
// bands on the group's first channel with its crossovers but without bands
// (the crossovers cancel between the sum and the target there, and keep
// the lifts inside the corners), and set on every channel of the group.
void CorrectGroup(const std::vector<SeatChannel>& channels, const std::vector<size_t>& group,
                  const CarTuneOptions& options, EffectBlock& image, std::vector<ChannelTuneResult>& report) {
    const int block = channels[group.front()].block;
    const EffectBlock bare = WithBands(image, block, {});
    AutoEqOptions fit;
    fit.range = GroupSpan(image, block);
    if (fit.range->Octaves() < kAutoEqMinOctaves) return;
    fit.maxBands = kCorrectionBands;
    fit.maxBoostDb = std::min(options.maxBoostDb, kMostCorrectionBoostDb);
    fit.limits = options.limits;
    const Response sum = SmoothedOnGrid(LevelsDb(CarSum(channels, image)), Smoothing::Octave12);
    const AutoEqResult r = FitAutoEq(sum, options.target, bare, block, fit);
    if (r.status != AutoEqStatus::Fitted || r.unchanged) return;
    std::vector<BandValues> bands;
    for (const BandValues& b : r.bands)
        if (b.gain != 0) bands.push_back(b);
    EffectBlock trial = image;
    for (size_t i : group) {
        if (!AddBands(trial, channels[i].block, bands)) return;
        KeepLiftsInside(trial, channels[i].block);
    }
    if (Rms(channels, trial, options.target) >= Rms(channels, image, options.target)) return;
    image = trial;
    for (size_t i : group) report[i].correctionBands = static_cast<int>(bands.size());
}

// The sum as a tuner looks at it: smoothed to 1/6 octave, on the target's level.
Response Moved(const Response& sumDb, const Response& target) {
    const SumAgainstTarget judged = JudgeSum(sumDb, target, EditorGrid(), ReferenceRange{}, kWholeBand);
    Response out = SixthOctaveOnGrid(sumDb);
    for (double& db : out) db += judged.offsetDb;
    return out;
}

EffectBlock WithAlignment(EffectBlock image, const CrossoverAlignment& aligned) {
    for (const ChannelAlignment& ch : aligned.channels)
        SetDelayAndPolarity(image, ch.block, ch.delayRaw, ch.inverted);
    return image;
}

}  // namespace

ComplexResponse CarSum(const std::vector<SeatChannel>& channels, const EffectBlock& image) {
    std::vector<ComplexResponse> atSeat;
    atSeat.reserve(channels.size());
    for (const SeatChannel& c : channels)
        atSeat.push_back(AtSeat(c.alone, ProcessingResponse(image, c.block, {}, EditorGrid())));
    return SeatSum(atSeat);
}

CarTuneResult TuneLevelsAndEq(const std::vector<SeatChannel>& channels, const EffectBlock& aligned,
                              const CarTuneOptions& options) {
    CarTuneResult result;
    result.image = aligned;
    const Response before = LevelsDb(CarSum(channels, aligned));
    result.sumBefore = Moved(before, options.target);
    result.rmsBeforeDb = Rms(channels, aligned, options.target);

    std::vector<double> levelDb(channels.size(), 0);
    for (size_t i = 0; i < channels.size(); ++i) {
        ChannelTuneResult r;
        r.block = channels[i].block;
        r.volumeBefore = Volume(aligned, r.block);
        FitChannelBands(channels[i], options, result.image, r, levelDb[i]);
        result.channels.push_back(r);
    }
    const std::vector<std::vector<size_t>> groups = Groups(channels, result.image);
    if (options.matchLevels) MatchLevels(channels, groups, levelDb, options.target, result.image);
    for (const std::vector<size_t>& g : groups)
        CorrectGroup(channels, g, options, result.image, result.channels);

    for (ChannelTuneResult& r : result.channels) r.volumeAfter = Volume(result.image, r.block);
    result.sumAfter = Moved(LevelsDb(CarSum(channels, result.image)), options.target);
    result.rmsAfterDb = Rms(channels, result.image, options.target);
    return result;
}

CarTuneOutcome TuneCar(const std::vector<SeatChannel>& channels, const EffectBlock& image,
                       CarTuneOptions options) {
    CarTuneOutcome out;
    const std::vector<CrossoverPair> pairs = FindCrossoverPairs(channels, image);
    const CrossoverAlignment aligned = AlignCrossovers(channels, image, pairs, EditorGrid());
    out.alignment = aligned.status;
    out.crossovers = aligned.crossovers;
    if (aligned.status != AlignmentStatus::Aligned) return out;
    const EffectBlock alignedImage = WithAlignment(image, aligned);
    out.equalPeaks = ProposeLevels(channels, alignedImage, options.target, EditorGrid()).equalPeaks;
    options.matchLevels = options.matchLevels && !out.equalPeaks;
    EffectBlock sidesAligned = alignedImage;
    RefineTimingAtSeat(channels, pairs, options.target, sidesAligned);
    out.tuned = TuneLevelsAndEq(channels, sidesAligned, options);
    // The bands move the phase near the crossovers a little, and the two
    // sides meet all over the midrange: the pairs are aligned once more
    // through them and the timing looked at again, at the seat. Of the tune
    // with and without that, the one whose crossovers all stay within
    // kPairLossGivenDb of the best the pairs can reach is kept, the nearer
    // the target when both do.
    const CrossoverAlignment again = AlignCrossovers(channels, out.tuned.image, pairs, EditorGrid());
    if (again.status == AlignmentStatus::Aligned) {
        EffectBlock refined = WithAlignment(out.tuned.image, again);
        RefineTimingAtSeat(channels, pairs, options.target, refined);
        auto excess = [&](const EffectBlock& candidate) {
            double worst = 0;
            for (const CrossoverResult& x :
                 AlignCrossovers(channels, candidate, pairs, EditorGrid()).crossovers)
                for (const CrossoverResult& best : again.crossovers)
                    if (best.pair.lowerBlock == x.pair.lowerBlock &&
                        best.pair.higherBlock == x.pair.higherBlock)
                        worst = std::max(worst, x.lossBeforeDb - best.lossAfterDb);
            return worst;
        };
        const double rms = Rms(channels, refined, options.target);
        const double excessRefined = excess(refined), excessTuned = excess(out.tuned.image);
        const bool refinedHolds = excessRefined <= kPairLossGivenDb,
                   tunedHolds = excessTuned <= kPairLossGivenDb;
        const bool take = refinedHolds ? !tunedHolds || rms < out.tuned.rmsAfterDb
                                       : !tunedHolds && excessRefined < excessTuned;
        if (take) {
            out.tuned.image = refined;
            out.tuned.rmsAfterDb = rms;
            out.tuned.sumAfter = Moved(LevelsDb(CarSum(channels, refined)), options.target);
            // The EQ and the levels once more on the timing as it now is.
            const CarTuneResult second = TuneLevelsAndEq(channels, refined, options);
            if (second.rmsAfterDb < out.tuned.rmsAfterDb &&
                excess(second.image) <= std::max(kPairLossGivenDb, excessRefined)) {
                const std::vector<ChannelTuneResult> first = out.tuned.channels;
                out.tuned = second;
                for (size_t i = 0; i < first.size(); ++i)
                    out.tuned.channels[i].volumeBefore = first[i].volumeBefore;
            }
        }
    }
    // "Now" is the car as the installer left it, not the aligned start.
    out.tuned.sumBefore = Moved(LevelsDb(CarSum(channels, image)), options.target);
    out.tuned.rmsBeforeDb = Rms(channels, image, options.target);
    out.improves = out.tuned.rmsAfterDb < out.tuned.rmsBeforeDb;
    const CrossoverAlignment judged = AlignCrossovers(channels, out.tuned.image, pairs, EditorGrid());
    for (CrossoverResult& x : out.crossovers)
        for (const CrossoverResult& y : judged.crossovers)
            if (y.pair.lowerBlock == x.pair.lowerBlock && y.pair.higherBlock == x.pair.higherBlock)
                x.lossAfterDb = y.lossBeforeDb;
    return out;
}

}  // namespace caraudio::analysis
