#include "FilterImportPlan.h"

#include <algorithm>
#include <cmath>

#include "BoxFields.h"
#include "CrossoverMatch.h"
#include "CurveApproximation.h"

namespace caraudio::analysis {
namespace {

// A pass filter's Q only shapes the curve the box's types are matched to;
// one outside any sensible range is held to it.
constexpr double kMinPassQ = 0.1, kMaxPassQ = 20;

std::array<BandValues, kBandCount> ImageBands(const EffectBlock& image, int channel) {
    std::array<BandValues, kBandCount> bands{};
    for (int b = 0; b < kBandCount; ++b) {
        bands[static_cast<std::size_t>(b)] = {
            image.Get(*FindParam(param::BandFreq(channel, b))),
            image.Get(*FindParam(param::BandQ(channel, b))),
            static_cast<int16_t>(image.Get(*FindParam(param::BandGain(channel, b))))};
    }
    return bands;
}

bool FollowedByBands(FilterKind kind) {
    return kind == FilterKind::LowShelf || kind == FilterKind::HighShelf || kind == FilterKind::GraphicEq;
}

// A band planned from a line of the file: a peak's, or one standing in for
// a shelf or curve; `filter` indexes the filters given.
struct PlannedBand {
    BandValues band;
    int filter = -1;
};

// Fits the bands standing in for shelves and curves, the peaks' bands
// counting in the sum; false, with the plan told why, when the free bands
// cannot follow them.
bool PlanApproximation(const std::vector<FilterLine>& filters, const std::vector<int>& curves,
                       const std::vector<BandValues>& peakBands, const EffectBlock& image, int channel,
                       GainLimits limits, std::vector<PlannedBand>& fitted, FilterImportPlan& plan) {
    std::vector<const FilterLine*> lines;
    for (const int index : curves) lines.push_back(&filters[static_cast<std::size_t>(index)]);
    Approximation& a = plan.approximation;
    a.freeBands = kBandCount - static_cast<int>(peakBands.size());
    const CurveApproximation fit = ApproximateCurves(lines, peakBands, image, channel, a.freeBands, limits);
    a.rms = fit.rms;
    a.deviationDb = fit.deviationDb;
    a.noFilterLine = fit.failedLine;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const FilterLine& f = *lines[k];
        const int count = k < fit.bands.size() ? static_cast<int>(fit.bands[k].size()) : 0;
        a.lines.push_back({f.lineNumber, f.file, f.text, f.kind, f.type, count});
        for (int b = 0; b < count; ++b)
            fitted.push_back({fit.bands[k][static_cast<std::size_t>(b)], curves[k]});
    }
    if (fit.status != ApproximationStatus::Done) return false;
    plan.clamped.insert(plan.clamped.end(), fit.clamped.begin(), fit.clamped.end());
    return true;
}

SkippedFilter Skip(const FilterLine& f, SkipReason reason, double rmsDb = 0) {
    return {f.lineNumber, f.file, f.text, f.kind, f.type, reason, f.note, f.includePath, rmsDb};
}

struct ClampNotes {
    ClampedFilter entry;
    void Note(const HeldValue& held, ClampedField field, double asked, double shown) {
        if (held.clamped) entry.values.push_back({field, asked, shown});
    }
};

BandValues PlanBand(const FilterLine& f, GainLimits limits, std::vector<ClampedFilter>& clamped) {
    const HeldValue freq = HoldFrequency(f.fcHz);
    const HeldValue gain = HoldGain(f.gainDb, limits);
    const HeldValue q = HoldQ(f.q);
    ClampNotes notes{{f.lineNumber, f.text, {}}};
    notes.Note(freq, ClampedField::Frequency, f.fcHz, freq.raw);
    notes.Note(gain, ClampedField::Gain, f.gainDb, gain.raw / 100.0);
    notes.Note(q, ClampedField::Q, f.q, CookbookQ(q.raw));
    if (!notes.entry.values.empty()) clamped.push_back(std::move(notes.entry));
    return {freq.raw, q.raw, gain.raw};
}

// The box's closest crossover for a pass filter; nothing when even that one
// lies too far from the file's filter to stand for it.
std::optional<CrossoverChoice> PlanCrossover(const FilterLine& f, const EffectBlock& image, int channel,
                                             std::vector<ClampedFilter>& clamped,
                                             std::vector<SkippedFilter>& skipped) {
    const HeldValue freq = HoldFrequency(f.fcHz);
    const PassSide side = f.kind == FilterKind::HighPass ? PassSide::High : PassSide::Low;
    const int order = f.order == 1 ? 1 : 2;
    const double q = std::clamp(f.q, kMinPassQ, kMaxPassQ);
    const CrossoverMatch m = MatchCrossover(side, order, q, freq.raw, image, channel);
    if (!(m.rmsDb <= kMaxCrossoverMismatchDb)) {
        skipped.push_back(Skip(f, SkipReason::NoCloseCrossover, m.rmsDb));
        return std::nullopt;
    }
    ClampNotes notes{{f.lineNumber, f.text, {}}};
    notes.Note(freq, ClampedField::Frequency, f.fcHz, freq.raw);
    if (!notes.entry.values.empty()) clamped.push_back(std::move(notes.entry));
    return CrossoverChoice{f.lineNumber, freq.raw, m.typeField, m.slopeIndex, m.rmsDb};
}

// The band a filter goes into when its frequency and Q are exactly a free
// band's: what an export of this channel reads back as.
int SameBand(const FilterLine& f, const std::array<BandValues, kBandCount>& image,
             const std::array<bool, kBandCount>& taken) {
    const HeldValue freq = HoldFrequency(f.fcHz);
    const HeldValue q = HoldQ(f.q);
    if (freq.clamped || q.clamped) return -1;
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& band = image[static_cast<std::size_t>(b)];
        if (!taken[static_cast<std::size_t>(b)] && band.freq == freq.raw && band.q == q.raw) return b;
    }
    return -1;
}

}  // namespace

FilterImportPlan PlanFilterImport(const std::vector<FilterLine>& filters, const EffectBlock& image,
                                  int channel, GainLimits limits, ImportOptions options) {
    FilterImportPlan plan;
    plan.bandFilter.fill(-1);
    if (channel < 0 || channel >= kChannelCount) {
        plan.outcome = ImportOutcome::NothingToImport;
        return plan;
    }
    plan.bands = ImageBands(image, channel);

    std::vector<int> peaks, curves;  // indexes into filters
    const FilterLine* highPass = nullptr;
    const FilterLine* lowPass = nullptr;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const FilterLine& f = filters[i];
        if (f.kind == FilterKind::Command) {
            plan.skipped.push_back(Skip(f, SkipReason::NotFollowed));
            continue;
        }
        if (!f.on) {
            plan.skipped.push_back(Skip(f, SkipReason::Off));
            continue;
        }
        const FilterLine** pass = f.kind == FilterKind::HighPass  ? &highPass
                                  : f.kind == FilterKind::LowPass ? &lowPass
                                                                  : nullptr;
        if (f.kind == FilterKind::Peaking)
            peaks.push_back(static_cast<int>(i));
        else if (FollowedByBands(f.kind))
            curves.push_back(static_cast<int>(i));
        else if (pass && !*pass)
            *pass = &f;
        else
            plan.skipped.push_back(Skip(f, pass ? SkipReason::ExtraCrossover : SkipReason::NotImportable));
    }
    plan.peakingCount = static_cast<int>(peaks.size());
    if (plan.peakingCount > kBandCount) {
        plan.outcome = ImportOutcome::TooManyPeaking;
        return plan;
    }

    // Peaks that are a band's own stay in it; every other band planned,
    // peak or fitted, fills the free bands from the lowest in ascending
    // frequency.
    const std::array<BandValues, kBandCount> own = plan.bands;
    std::array<bool, kBandCount> taken{};
    std::vector<BandValues> peakBands;
    std::vector<PlannedBand> rest;
    for (const int index : peaks) {
        const FilterLine& f = filters[static_cast<std::size_t>(index)];
        const BandValues band = PlanBand(f, limits, plan.clamped);
        peakBands.push_back(band);
        const int b = SameBand(f, own, taken);
        if (b < 0) {
            rest.push_back({band, index});
            continue;
        }
        plan.bands[static_cast<std::size_t>(b)] = band;
        plan.bandFilter[static_cast<std::size_t>(b)] = index;
        taken[static_cast<std::size_t>(b)] = true;
    }
    if (!curves.empty() &&
        !PlanApproximation(filters, curves, peakBands, image, channel, limits, rest, plan)) {
        plan.outcome = ImportOutcome::CannotApproximate;
        plan.clamped.clear();
        plan.bands = ImageBands(image, channel);
        plan.bandFilter.fill(-1);
        return plan;
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const PlannedBand& x, const PlannedBand& y) { return x.band.freq < y.band.freq; });
    std::size_t next = 0;
    for (std::size_t b = 0; b < plan.bands.size(); ++b) {
        if (taken[b]) continue;
        if (next < rest.size()) {
            plan.bands[b] = rest[next].band;
            plan.bandFilter[b] = rest[next++].filter;
        } else {
            plan.bands[b].gain = 0;
        }
    }
    if (highPass) plan.highPass = PlanCrossover(*highPass, image, channel, plan.clamped, plan.skipped);
    if (lowPass) plan.lowPass = PlanCrossover(*lowPass, image, channel, plan.clamped, plan.skipped);
    std::stable_sort(
        plan.clamped.begin(), plan.clamped.end(),
        [](const ClampedFilter& a, const ClampedFilter& b) { return a.lineNumber < b.lineNumber; });

    const int volume = image.Get(*FindParam(param::Volume(channel)));
    // Volume 0 is "OFF": a preamp never switches a channel back on.
    if (options.applyPreamp && std::isfinite(options.preampDb) && volume != 0) {
        const double change = std::floor(std::clamp(options.preampDb, -100.0, 100.0) + 1e-9);
        const int target = std::clamp(volume + static_cast<int>(change), 0, kVolumeSliderMax);
        if (target != volume) {
            plan.volume = target;
            plan.levelChangeDb = target - volume;
        }
    }

    const bool flat = options.flatWhenEmpty && filters.empty();
    if (peaks.empty() && curves.empty() && !plan.highPass && !plan.lowPass && !plan.volume && !flat) {
        plan.outcome = ImportOutcome::NothingToImport;
        plan.bands = ImageBands(image, channel);
        plan.bandFilter.fill(-1);
    }
    return plan;
}

}  // namespace caraudio::analysis
