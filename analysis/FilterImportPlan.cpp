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

// Fits the bands standing in for shelves and curves; false, with the plan
// told why, when the free bands cannot follow them.
bool PlanApproximation(const std::vector<const FilterLine*>& curves, std::vector<BandValues>& bands,
                       std::vector<int>& lines, const EffectBlock& image, int channel, GainLimits limits,
                       FilterImportPlan& plan) {
    Approximation& a = plan.approximation;
    a.freeBands = kBandCount - static_cast<int>(bands.size());
    const CurveApproximation fit = ApproximateCurves(curves, bands, image, channel, a.freeBands, limits);
    a.rms = fit.rms;
    a.deviationDb = fit.deviationDb;
    a.noFilterLine = fit.failedLine;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const FilterLine& f = *curves[k];
        const int count = k < fit.bands.size() ? static_cast<int>(fit.bands[k].size()) : 0;
        a.lines.push_back({f.lineNumber, f.text, f.kind, f.type, count});
        for (int b = 0; b < count; ++b) {
            bands.push_back(fit.bands[k][static_cast<std::size_t>(b)]);
            lines.push_back(f.lineNumber);
        }
    }
    if (fit.status != ApproximationStatus::Done) return false;
    plan.clamped.insert(plan.clamped.end(), fit.clamped.begin(), fit.clamped.end());
    return true;
}

SkippedFilter Skip(const FilterLine& f, SkipReason reason) {
    return {f.lineNumber, f.text, f.kind, f.type, reason};
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

CrossoverChoice PlanCrossover(const FilterLine& f, const EffectBlock& image, int channel,
                              std::vector<ClampedFilter>& clamped) {
    const HeldValue freq = HoldFrequency(f.fcHz);
    ClampNotes notes{{f.lineNumber, f.text, {}}};
    notes.Note(freq, ClampedField::Frequency, f.fcHz, freq.raw);
    if (!notes.entry.values.empty()) clamped.push_back(std::move(notes.entry));
    const PassSide side = f.kind == FilterKind::HighPass ? PassSide::High : PassSide::Low;
    const int order = f.order == 1 ? 1 : 2;
    const double q = std::clamp(f.q, kMinPassQ, kMaxPassQ);
    const CrossoverMatch m = MatchCrossover(side, order, q, freq.raw, image, channel);
    return {f.lineNumber, freq.raw, m.typeField, m.slopeIndex, m.rmsDb};
}

}  // namespace

FilterImportPlan PlanFilterImport(const std::vector<FilterLine>& filters, const EffectBlock& image,
                                  int channel, GainLimits limits, ImportOptions options) {
    FilterImportPlan plan;
    if (channel < 0 || channel >= kChannelCount) {
        plan.outcome = ImportOutcome::NothingToImport;
        return plan;
    }
    plan.bands = ImageBands(image, channel);

    std::vector<const FilterLine*> peaks, curves;
    const FilterLine* highPass = nullptr;
    const FilterLine* lowPass = nullptr;
    for (const FilterLine& f : filters) {
        if (!f.on) {
            plan.skipped.push_back(Skip(f, SkipReason::Off));
            continue;
        }
        const FilterLine** pass = f.kind == FilterKind::HighPass  ? &highPass
                                  : f.kind == FilterKind::LowPass ? &lowPass
                                                                  : nullptr;
        if (f.kind == FilterKind::Peaking)
            peaks.push_back(&f);
        else if (FollowedByBands(f.kind))
            curves.push_back(&f);
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

    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const FilterLine* a, const FilterLine* b) { return a->fcHz < b->fcHz; });
    std::vector<BandValues> bands;
    std::vector<int> lines;
    for (const FilterLine* f : peaks) {
        bands.push_back(PlanBand(*f, limits, plan.clamped));
        lines.push_back(f->lineNumber);
    }
    if (!curves.empty() && !PlanApproximation(curves, bands, lines, image, channel, limits, plan)) {
        plan.outcome = ImportOutcome::CannotApproximate;
        plan.clamped.clear();
        return plan;
    }
    // Ascending frequency, peaks before the bands fitted at the same one, so
    // an exported channel imports again in the same order.
    std::vector<std::size_t> order(bands.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return bands[a].freq < bands[b].freq; });
    for (std::size_t b = 0; b < plan.bands.size(); ++b) {
        if (b < order.size()) {
            plan.bands[b] = bands[order[b]];
            plan.bandLines[b] = lines[order[b]];
        } else {
            plan.bands[b].gain = 0;
        }
    }
    if (highPass) plan.highPass = PlanCrossover(*highPass, image, channel, plan.clamped);
    if (lowPass) plan.lowPass = PlanCrossover(*lowPass, image, channel, plan.clamped);
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

    if (peaks.empty() && curves.empty() && !highPass && !lowPass && !plan.volume) {
        plan.outcome = ImportOutcome::NothingToImport;
        plan.bands = ImageBands(image, channel);
    }
    return plan;
}

}  // namespace caraudio::analysis
