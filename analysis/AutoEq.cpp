#include "AutoEq.h"

#include <algorithm>
#include <cmath>

#include "AutoEqBandFit.h"
#include "BoxFields.h"
#include "ChannelCurves.h"
#include "EditorGrid.h"
#include "PredictedResponse.h"

namespace caraudio::analysis {
namespace {

constexpr int kMinBandHz = kFrequencyRaw.lo, kMaxBandHz = kFrequencyRaw.hi;
// A dip the boost would leave more than this short of the target is not filled.
constexpr double kUnfilledDb = 1.5;
// How close to the target a deep dip's edges come before the fit counts them
// again; the smoothing spreads the dip by half its window beyond that.
constexpr double kDipEdgeDb = 1;
const double kSmoothingSpread = std::exp2(1.0 / 12);
// The searches look at every other grid point (about 1/50 octave apart),
// fine enough for the narrowest band they may place.
constexpr int kPointStep = 2;

const ParamRecord& P(int index) {
    return *FindParam(index);
}

std::array<BandValues, kBandCount> ImageBands(const EffectBlock& image, int channel) {
    std::array<BandValues, kBandCount> bands{};
    for (int b = 0; b < kBandCount; ++b)
        bands[static_cast<size_t>(b)] = {image.Get(P(param::BandFreq(channel, b))),
                                         image.Get(P(param::BandQ(channel, b))),
                                         static_cast<int16_t>(image.Get(P(param::BandGain(channel, b))))};
    return bands;
}

Response Predicted(const Response& measured, const EffectBlock& image, int channel) {
    ChannelCurves curves(EditorGrid());
    curves.RebuildChannel(channel, image);
    return PredictedResponse(measured, curves.Model(channel));
}

// Zero weight over every dip deeper than the boost can fill (by more than
// kUnfilledDb), out to where
// the measurement comes within kDipEdgeDb of the target again and the
// smoothing's spread beyond. A deficit that runs into an end of the range
// is a roll-off, not a dip: the fit lifts it as far as the boost goes.
std::vector<double> DipWeights(const std::vector<double>& hz, const std::vector<double>& rawError,
                               double maxBoostDb) {
    std::vector<double> weight(rawError.size(), 1.0);
    for (size_t i = 0; i < rawError.size(); ++i) {
        if (rawError[i] >= -(maxBoostDb + kUnfilledDb) || weight[i] == 0) continue;
        size_t lo = i, hi = i;
        while (lo > 0 && rawError[lo - 1] < -kDipEdgeDb) --lo;
        while (hi + 1 < rawError.size() && rawError[hi + 1] < -kDipEdgeDb) ++hi;
        if (lo == 0 || hi + 1 == rawError.size()) {
            i = hi;
            continue;
        }
        const double loHz = hz[lo] / kSmoothingSpread, hiHz = hz[hi] * kSmoothingSpread;
        while (lo > 0 && hz[lo - 1] >= loHz) --lo;
        while (hi + 1 < rawError.size() && hz[hi + 1] <= hiHz) ++hi;
        std::fill(weight.begin() + static_cast<long>(lo), weight.begin() + static_cast<long>(hi) + 1, 0.0);
    }
    return weight;
}

}  // namespace

EffectBlock WithBands(EffectBlock image, int channel, const std::array<BandValues, kBandCount>& bands) {
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& v = bands[static_cast<size_t>(b)];
        image.Set(P(param::BandFreq(channel, b)), static_cast<uint16_t>(v.freq));
        image.Set(P(param::BandQ(channel, b)), static_cast<uint16_t>(v.q));
        image.Set(P(param::BandGain(channel, b)), static_cast<uint16_t>(static_cast<int16_t>(v.gain)));
    }
    return image;
}

AutoEqResult FitAutoEq(const Response& alignedMeasured, const Response& target, const EffectBlock& image,
                       int channel, const AutoEqOptions& options, FrequencySpan covered) {
    AutoEqResult result;
    if (channel < 0 || channel >= kChannelCount) {
        result.status = AutoEqStatus::BadChannel;
        return result;
    }
    const FrequencySpan asked{std::max(options.loHz, double{kMinBandHz}),
                              std::min(options.hiHz, double{kMaxBandHz})};
    const std::array<BandValues, kBandCount> imageBands = ImageBands(image, channel);
    result.bands = imageBands;
    if (asked.Empty() || std::ceil(asked.lowHz) > std::floor(asked.highHz)) {
        result.status = AutoEqStatus::BadRange;
        return result;
    }
    result.fitted = Overlap(asked, covered);
    if (result.fitted.Octaves() < kAutoEqMinOctaves) {
        result.status = AutoEqStatus::NotCovered;
        return result;
    }
    const double lo = result.fitted.lowHz, hi = result.fitted.highHz;
    const int loHz = static_cast<int>(std::ceil(lo)), hiHz = static_cast<int>(std::floor(hi));

    // The channel as it will sound with no band lifting or cutting: the crossovers only.
    std::array<BandValues, kBandCount> flat = imageBands;
    for (BandValues& b : flat) b.gain = 0;
    const Response withCrossovers = Predicted(alignedMeasured, WithBands(image, channel, flat), channel);
    const Response smoothed = SixthOctaveOnGrid(withCrossovers);

    const FrequencyGrid& grid = EditorGrid();
    FitPoints points;
    std::vector<double> rawError;
    for (int i = 0; i < FrequencyGrid::kPoints; i += kPointStep) {
        const auto k = static_cast<size_t>(i);
        if (grid.Hz(i) < lo || grid.Hz(i) > hi || !std::isfinite(smoothed[k]) || !std::isfinite(target[k]))
            continue;
        points.hz.push_back(grid.Hz(i));
        points.error.push_back(smoothed[k] - target[k]);
        rawError.push_back(withCrossovers[k] - target[k]);
    }
    if (points.hz.empty()) {
        result.status = AutoEqStatus::NoMeasurement;
        return result;
    }
    const double maxBoost = std::max(
        0.0, std::min(options.maxBoostDb, double(std::max(options.limits.minvol, options.limits.maxvol))));
    points.weight = DipWeights(points.hz, rawError, maxBoost);

    FitBounds bounds;
    bounds.loHz = loHz;
    bounds.hiHz = hiHz;
    bounds.maxBoostDb = maxBoost;
    bounds.maxCutDb = std::max(0, -std::min(options.limits.minvol, options.limits.maxvol));
    bounds.minQ = kAutoEqMinQ;
    bounds.maxBoostQ = kAutoEqMaxBoostQ;
    bounds.maxCutQ = kAutoEqMaxCutQ;

    std::vector<FitBand> candidates;
    if (options.geq)
        for (int b = 0; b < kBandCount; ++b) {
            const BandValues& v = imageBands[static_cast<size_t>(b)];
            if (v.freq < loHz || v.freq > hiHz || v.q <= 0) continue;
            FitBand band;
            band.hz = v.freq;
            band.q = CookbookQ(v.q);
            band.fixedFrequencyAndQ = true;
            band.slot = b;
            candidates.push_back(band);
        }
    std::vector<FitBand> fitted =
        FitBands(points, bounds, std::clamp(options.maxBands, 0, kBandCount), candidates);

    // What the box holds: whole Hz inside the range, Q as its field keeps it,
    // gains in hundredths within the limits and the boost.
    result.bands = flat;
    const int maxGainRaw = static_cast<int>(std::floor(maxBoost * 100 + 1e-9));
    auto gainRaw = [&](double db) { return std::min(HoldGain(db, options.limits).raw, maxGainRaw); };
    if (options.geq) {
        for (const FitBand& band : fitted)
            result.bands[static_cast<size_t>(band.slot)].gain = gainRaw(band.gainDb);
    } else {
        std::sort(fitted.begin(), fitted.end(),
                  [](const FitBand& a, const FitBand& b) { return a.hz < b.hz; });
        for (size_t k = 0; k < fitted.size(); ++k)
            result.bands[k] = {std::clamp(HoldFrequency(fitted[k].hz).raw, loHz, hiHz),
                               HoldQ(fitted[k].q).raw, gainRaw(fitted[k].gainDb)};
    }
    result.bandsUsed = static_cast<int>(std::count_if(result.bands.begin(), result.bands.end(),
                                                      [](const BandValues& b) { return b.gain != 0; }));

    result.predicted = Predicted(alignedMeasured, WithBands(image, channel, result.bands), channel);
    result.rmsBeforeDb = AutoEqRmsError(Predicted(alignedMeasured, image, channel), target, lo, hi);
    result.rmsAfterDb = AutoEqRmsError(result.predicted, target, lo, hi);
    return result;
}

}  // namespace caraudio::analysis
