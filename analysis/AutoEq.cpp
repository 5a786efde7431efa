#include "AutoEq.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "AutoEqBandFit.h"
#include "AutoEqDips.h"
#include "BoxFields.h"
#include "ChannelCurves.h"
#include "EditorGrid.h"

namespace caraudio::analysis {
namespace {

constexpr int kMinBandHz = kFrequencyRaw.lo, kMaxBandHz = kFrequencyRaw.hi;
// The searches look at every other grid point (about 1/50 octave apart),
// fine enough for the narrowest band they may place; the guard points
// beyond the range only catch skirts, so every fourth will do.
constexpr int kPointStep = 2, kGuardStep = 4;
// What a cut's skirt reaching beyond the range costs against the error inside.
constexpr double kGuardWeight = 0.05;
// Beyond a crossover's corner the bands may lift only what keeps the channel
// this far under its -6 dB point there, so that point does not move.
constexpr double kBeyondCornerMarginDb = 1;

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

// What the channel's bands and crossovers do at every grid point.
Response ChannelCurve(const EffectBlock& image, int channel) {
    ChannelCurves curves(EditorGrid());
    curves.RebuildChannel(channel, image);
    return curves.Model(channel).Curve1();
}

Response Sum(const Response& a, const Response& b, double offsetDb = 0) {
    Response out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = a[i] + b[i] + offsetDb;  // NaN stays NaN
    return out;
}

bool Inside(double hz, FrequencySpan s) {
    return hz >= s.lowHz && hz <= s.highHz;
}

// The level that moves the speaker onto the target over `reference`: the
// mean difference, deep narrow dips left out (they say nothing of the
// speaker's level). NaN when no point has both.
double LevelOver(const Response& speakerAlone, const Response& target, FrequencySpan reference) {
    const FrequencyGrid& grid = EditorGrid();
    std::vector<double> hz, db, difference;
    for (int i = 0; i < FrequencyGrid::kPoints; i += kPointStep) {
        const auto k = static_cast<size_t>(i);
        if (!Inside(grid.Hz(i), reference) || !std::isfinite(speakerAlone[k]) || !std::isfinite(target[k]))
            continue;
        hz.push_back(grid.Hz(i));
        db.push_back(speakerAlone[k]);
        difference.push_back(target[k] - speakerAlone[k]);
    }
    std::vector<char> inDip(hz.size(), 0);
    for (const Dip& d : DeepNarrowDips(hz, db))
        std::fill(inDip.begin() + long(d.lo), inDip.begin() + long(d.hi) + 1, char{1});
    double sum = 0;
    int count = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (!inDip[i]) sum += difference[i], ++count;
    return count ? sum / count : std::nan("");
}

// The most the bands may lift at hz: the boost inside the lift range;
// beyond a crossover's corner what keeps the channel under its -6 dB point
// (crossoverDb is what the crossovers do there); nothing elsewhere.
double Ceiling(double hz, double crossoverDb, const ChannelBand& band, FrequencySpan lift,
               double maxBoostDb) {
    if (Inside(hz, lift)) return maxBoostDb;
    const bool beyondHighPass = band.highPassHz > 0 && hz < band.highPassHz && lift.lowHz <= band.highPassHz;
    const bool beyondLowPass = band.lowPassHz > 0 && hz > band.lowPassHz && lift.highHz >= band.lowPassHz;
    if (!beyondHighPass && !beyondLowPass) return 0;
    return std::clamp(-crossoverDb - 6 - kBeyondCornerMarginDb, 0.0, maxBoostDb);
}

// The fit's points: inside the range (and the lift range, if any), the
// smoothed error with the deep narrow dips the boost cannot fill weighed
// out; elsewhere over the box's band frequencies, guard points. The lift
// allowed at each is its Ceiling.
FitPoints PointsOf(const Response& levelled, const Response& target, const Response& crossovers,
                   FrequencySpan fitted, const ChannelBand& band, FrequencySpan lift, double maxBoostDb) {
    const FrequencyGrid& grid = EditorGrid();
    const Response smoothed = SixthOctaveOnGrid(levelled);
    FitPoints p;
    std::vector<double> inHz, raw, rawError, ceiling;
    std::vector<size_t> at;  // where each inside point sits in p
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const auto k = static_cast<size_t>(i);
        const double hz = grid.Hz(i);
        if (hz < kMinBandHz || hz > kMaxBandHz) continue;
        // Where the speaker has rolled off but the range goes on, a band can
        // neither lift nor should it cut: those points only catch skirts.
        const bool inside = Inside(hz, fitted) && (lift.Empty() || Inside(hz, lift)) &&
                            std::isfinite(smoothed[k]) && std::isfinite(target[k]);
        if (i % (inside ? kPointStep : kGuardStep) != 0) continue;
        p.hz.push_back(hz);
        p.error.push_back(inside ? smoothed[k] - target[k] : 0);
        p.weight.push_back(inside ? 1 : kGuardWeight);
        p.ceilingDb.push_back(Ceiling(hz, crossovers[k], band, lift, maxBoostDb));
        p.guard.push_back(inside ? 0 : 1);
        if (!inside) continue;
        at.push_back(p.hz.size() - 1);
        inHz.push_back(hz);
        raw.push_back(levelled[k]);
        rawError.push_back(levelled[k] - target[k]);
    }
    const std::vector<double> weight =
        UnfilledDipWeights(inHz, rawError, DeepNarrowDips(inHz, raw), maxBoostDb);
    for (size_t j = 0; j < at.size(); ++j) p.weight[at[j]] = weight[j];
    return p;
}

// The graphic bands of the image the fit may move: inside the range.
std::vector<FitBand> GraphicCandidates(const std::array<BandValues, kBandCount>& imageBands, int loHz,
                                       int hiHz) {
    std::vector<FitBand> candidates;
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
    return candidates;
}

// An empty channel band: nothing measured where the channel plays, or the
// measurement shares nothing with it.
AutoEqStatus WhyNoBand(const Response& speakerAlone, FrequencySpan covered) {
    const FrequencyGrid& grid = EditorGrid();
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (std::isfinite(speakerAlone[static_cast<size_t>(i)]) && Inside(grid.Hz(i), covered))
            return AutoEqStatus::NotCovered;
    return AutoEqStatus::NoMeasurement;
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

AutoEqResult FitAutoEq(const Response& speakerAlone, const Response& target, const EffectBlock& image,
                       int channel, const AutoEqOptions& options, FrequencySpan covered) {
    AutoEqResult result;
    if (channel < 0 || channel >= kChannelCount) {
        result.status = AutoEqStatus::BadChannel;
        return result;
    }
    const std::array<BandValues, kBandCount> imageBands = ImageBands(image, channel);
    result.bands = imageBands;
    const FrequencySpan boxBand{kMinBandHz, kMaxBandHz};
    result.band = FindChannelBand(speakerAlone, image, channel, covered);
    FrequencySpan asked = result.band.span;
    if (options.range) {
        asked = Overlap(*options.range, boxBand);
        if (options.range->Empty() || asked.Empty() || std::ceil(asked.lowHz) > std::floor(asked.highHz)) {
            result.status = AutoEqStatus::BadRange;
            return result;
        }
        result.band.lowEnd = result.band.highEnd = BandEnd::Given;
    } else if (asked.Empty()) {
        result.status = WhyNoBand(speakerAlone, covered);
        return result;
    }
    result.fitted = Overlap(asked, covered);
    if (result.fitted.Octaves() < kAutoEqMinOctaves) {
        result.status = AutoEqStatus::NotCovered;
        return result;
    }
    const double lo = result.fitted.lowHz, hi = result.fitted.highHz;
    const int loHz = static_cast<int>(std::ceil(lo)), hiHz = static_cast<int>(std::floor(hi));

    // By default the level is set where the speaker plays fully: its roll-offs
    // say nothing of it.
    const FrequencySpan lift = Overlap(result.band.lift, result.fitted);
    result.reference = options.reference                     ? Overlap(*options.reference, covered)
                       : lift.Octaves() >= kAutoEqMinOctaves ? lift
                                                             : result.fitted;
    result.levelDb = LevelOver(speakerAlone, target, result.reference);
    if (!std::isfinite(result.levelDb)) {
        result.status = options.reference ? AutoEqStatus::NoReference : AutoEqStatus::NoMeasurement;
        result.levelDb = 0;
        return result;
    }

    // The channel with no band lifting or cutting: its crossovers only. They
    // shape the target as they shape the speaker, so they cancel in the error.
    std::array<BandValues, kBandCount> flat = imageBands;
    for (BandValues& b : flat) b.gain = 0;
    const Response crossovers = ChannelCurve(WithBands(image, channel, flat), channel);
    result.levelled = Sum(speakerAlone, Response{}, result.levelDb);
    result.channelTarget = Sum(target, crossovers);

    const double maxBoost = std::max(
        0.0, std::min(options.maxBoostDb, double(std::max(options.limits.minvol, options.limits.maxvol))));
    FitPoints points =
        PointsOf(result.levelled, target, crossovers, result.fitted, result.band, lift, maxBoost);
    if (std::none_of(points.guard.begin(), points.guard.end(), [](char g) { return g == 0; })) {
        result.status = AutoEqStatus::NoMeasurement;
        return result;
    }

    FitBounds bounds;
    bounds.loHz = loHz;
    bounds.hiHz = hiHz;
    bounds.maxBoostDb = maxBoost;
    bounds.maxCutDb = std::max(0, -std::min(options.limits.minvol, options.limits.maxvol));
    bounds.minQ = kAutoEqMinQ;
    bounds.maxBoostQ = kAutoEqMaxBoostQ;
    bounds.maxCutQ = kAutoEqMaxCutQ;
    bounds.maxMeanDb = kAutoEqMaxMeanShiftDb;
    if (lift.Empty()) {
        bounds.maxBoostDb = 0;
        bounds.boostLoHz = bounds.boostHiHz = loHz;
    } else {
        bounds.boostLoHz = std::max(lift.lowHz, double(loHz));
        bounds.boostHiHz = std::min(lift.highHz, double(hiHz));
    }
    const std::vector<FitBand> candidates =
        options.geq ? GraphicCandidates(imageBands, loHz, hiHz) : std::vector<FitBand>{};
    std::vector<FitBand> fitted =
        FitBands(points, bounds, std::clamp(options.maxBands, 0, kBandCount), candidates);

    // What the box holds: whole Hz inside the range, Q as its field keeps it,
    // gains in hundredths within the limits and the boost; a gain that
    // rounds below the least worth having is no band.
    const int maxGainRaw = static_cast<int>(std::floor(maxBoost * 100 + 1e-9));
    const int leastRaw = static_cast<int>(std::lround(kAutoEqLeastGainDb * 100));
    auto gainRaw = [&](double db) { return std::min(HoldGain(db, options.limits).raw, maxGainRaw); };
    std::erase_if(fitted, [&](const FitBand& b) { return std::abs(gainRaw(b.gainDb)) < leastRaw; });
    std::array<BandValues, kBandCount> proposed = flat;
    if (options.geq) {
        for (const FitBand& band : fitted)
            proposed[static_cast<size_t>(band.slot)].gain = gainRaw(band.gainDb);
    } else {
        std::sort(fitted.begin(), fitted.end(),
                  [](const FitBand& a, const FitBand& b) { return a.hz < b.hz; });
        for (size_t k = 0; k < fitted.size(); ++k)
            proposed[k] = {std::clamp(HoldFrequency(fitted[k].hz).raw, loHz, hiHz), HoldQ(fitted[k].q).raw,
                           gainRaw(fitted[k].gainDb)};
    }

    const Response before = Sum(result.levelled, ChannelCurve(image, channel));
    const Response after = Sum(result.levelled, ChannelCurve(WithBands(image, channel, proposed), channel));
    result.rmsBeforeDb = AutoEqRmsError(before, result.channelTarget, lo, hi);
    result.fittedRmsDb = AutoEqRmsError(after, result.channelTarget, lo, hi);
    result.unchanged = !(result.fittedRmsDb < result.rmsBeforeDb);
    result.bands = result.unchanged ? imageBands : proposed;
    result.predicted = result.unchanged ? before : after;
    result.rmsAfterDb = result.unchanged ? result.rmsBeforeDb : result.fittedRmsDb;
    result.bandsUsed = static_cast<int>(std::count_if(result.bands.begin(), result.bands.end(),
                                                      [](const BandValues& b) { return b.gain != 0; }));
    return result;
}

std::optional<double> LevelTrimDb(const AutoEqResult& result, FrequencySpan levelledOver) {
    if (levelledOver.Empty()) return std::nullopt;
    const double shared = Overlap(levelledOver, result.band.span).Octaves();
    if (shared < kLevelTrimMinShare * levelledOver.Octaves()) return std::nullopt;
    return result.levelDb;
}

}  // namespace caraudio::analysis
