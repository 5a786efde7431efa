#include "FilterImportPlan.h"

#include <algorithm>
#include <cmath>

#include "BoxFields.h"
#include "CrossoverMatch.h"

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

    std::vector<const FilterLine*> peaks;
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
    for (std::size_t b = 0; b < plan.bands.size(); ++b) {
        if (b < peaks.size())
            plan.bands[b] = PlanBand(*peaks[b], limits, plan.clamped);
        else
            plan.bands[b].gain = 0;
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

    if (peaks.empty() && !highPass && !lowPass && !plan.volume) {
        plan.outcome = ImportOutcome::NothingToImport;
        plan.bands = ImageBands(image, channel);
    }
    return plan;
}

}  // namespace caraudio::analysis
