#include "CarTune.h"

#include <algorithm>
#include <cmath>

#include "ChannelCurves.h"
#include "EditorGrid.h"
#include "ParameterTable.h"
#include "ProcessingResponse.h"
#include "SeatSum.h"

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

double Rms(const std::vector<TuneChannel>& channels, const EffectBlock& image, const Response& target) {
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
std::vector<std::vector<size_t>> Groups(const std::vector<TuneChannel>& channels, const EffectBlock& image) {
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
Response SpeakerLevels(const TuneChannel& c) {
    return SmoothedOnGrid(LevelsDb(c.speakerAlone), Smoothing::Octave12);
}

void FitChannelBands(const TuneChannel& c, const CarTuneOptions& options, EffectBlock& image,
                     ChannelTuneResult& report, double& levelDb) {
    AutoEqOptions fit;
    fit.maxBoostDb = options.maxBoostDb;
    fit.maxBands = kBandCount - kCorrectionBands;
    fit.limits = options.limits;
    const AutoEqResult r = FitAutoEq(SpeakerLevels(c), options.target, image, c.block, fit);
    levelDb = r.status == AutoEqStatus::Fitted ? r.levelDb : 0;
    if (r.status != AutoEqStatus::Fitted || r.unchanged) return;
    image = WithBands(image, c.block, r.bands);
    report.bandsUsed = r.bandsUsed;
}

// Channels of a group play alike: each moved so its level over its band
// matches the group's mean, in whole volume steps.
void MatchWithinGroups(const std::vector<TuneChannel>& channels,
                       const std::vector<std::vector<size_t>>& groups, const std::vector<double>& levelDb,
                       EffectBlock& image) {
    for (const std::vector<size_t>& g : groups) {
        double mean = 0;
        for (size_t i : g) mean += levelDb[i];
        mean /= static_cast<double>(g.size());
        for (size_t i : g) {
            const int block = channels[i].block;
            SetVolume(image, block, Volume(image, block) + static_cast<int>(std::lround(levelDb[i] - mean)));
        }
    }
}

// Each group moved a step at a time while the sum gets nearer the target.
void MoveGroups(const std::vector<TuneChannel>& channels, const std::vector<std::vector<size_t>>& groups,
                const Response& target, EffectBlock& image) {
    double best = Rms(channels, image, target);
    std::vector<int> moved(groups.size(), 0);
    for (bool better = true; better;) {
        better = false;
        for (size_t k = 0; k < groups.size(); ++k) {
            for (const int step : {1, -1}) {
                if (std::abs(moved[k] + step) > kMostGroupSteps) continue;
                EffectBlock trial = image;
                for (size_t i : groups[k])
                    SetVolume(trial, channels[i].block, Volume(trial, channels[i].block) + step);
                const double rms = Rms(channels, trial, target);
                if (rms < best - 1e-6) {
                    best = rms, image = trial, moved[k] += step, better = true;
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
// bands on a channel without crossovers or bands of its own, and set on
// every channel of the group.
void CorrectGroup(const std::vector<TuneChannel>& channels, const std::vector<size_t>& group,
                  const CarTuneOptions& options, EffectBlock& image, std::vector<ChannelTuneResult>& report) {
    const int block = channels[group.front()].block;
    EffectBlock bare = WithBands(image, block, {});
    bare.Set(P(param::HighPassType(block)), WithCrossoverSlope(0, kSlopeOff));
    bare.Set(P(param::LowPassType(block)), WithCrossoverSlope(0, kSlopeOff));
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
    for (size_t i : group)
        if (!AddBands(trial, channels[i].block, bands)) return;
    if (Rms(channels, trial, options.target) >= Rms(channels, image, options.target)) return;
    image = trial;
    for (size_t i : group) report[i].correctionBands = static_cast<int>(bands.size());
}

Response Moved(const Response& sumDb, const Response& target) {
    const SumAgainstTarget judged = JudgeSum(sumDb, target, EditorGrid(), ReferenceRange{}, kWholeBand);
    Response out = sumDb;
    for (double& db : out) db += judged.offsetDb;
    return out;
}

}  // namespace

ComplexResponse CarSum(const std::vector<TuneChannel>& channels, const EffectBlock& image) {
    std::vector<ComplexResponse> atSeat;
    atSeat.reserve(channels.size());
    for (const TuneChannel& c : channels)
        atSeat.push_back(AtSeat(c.speakerAlone, ProcessingResponse(image, c.block, {}, EditorGrid())));
    return SeatSum(atSeat);
}

CarTuneResult TuneLevelsAndEq(const std::vector<TuneChannel>& channels, const EffectBlock& aligned,
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
    if (options.matchLevels) {
        MatchWithinGroups(channels, groups, levelDb, result.image);
        MoveGroups(channels, groups, options.target, result.image);
    }
    for (const std::vector<size_t>& g : groups)
        CorrectGroup(channels, g, options, result.image, result.channels);

    for (ChannelTuneResult& r : result.channels) r.volumeAfter = Volume(result.image, r.block);
    result.sumAfter = Moved(LevelsDb(CarSum(channels, result.image)), options.target);
    result.rmsAfterDb = Rms(channels, result.image, options.target);
    return result;
}

}  // namespace caraudio::analysis
