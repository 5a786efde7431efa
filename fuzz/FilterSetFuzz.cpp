// Filter-set files: any bytes read without a crash; an import planned from
// whatever was read stays inside the box's ranges (shelves and graphic EQ
// curves followed by the bands the peaks leave), and a planned channel
// exported and imported again keeps its bands.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "EffectBlock.h"
#include "FilterExport.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "FilterSetWriter.h"
#include "FuzzCheck.h"
#include "GraphicEq.h"

using namespace caraudio;
using namespace caraudio::analysis;

namespace {

constexpr int kChannel = 3;

void CheckRead(const FilterSet& set) {
    FUZZ_CHECK(set.errorText.size() <= 200);
    if (!set.Ok()) {
        FUZZ_CHECK(set.filters.empty());
        return;
    }
    int last = 0;
    for (const FilterLine& f : set.filters) {
        FUZZ_CHECK(f.lineNumber > last);
        last = f.lineNumber;
        FUZZ_CHECK(std::isfinite(f.fcHz) && std::isfinite(f.gainDb) && std::isfinite(f.q) &&
                   std::isfinite(f.slopeDb));
        FUZZ_CHECK(f.section >= -1 && f.section < static_cast<int>(set.channelLines.size()));
        FUZZ_CHECK(f.graphicEq.empty() || f.kind == FilterKind::GraphicEq);
        FUZZ_CHECK(f.graphicEq.size() <= kMaxGraphicEqPoints);
        for (std::size_t k = 0; k < f.graphicEq.size(); ++k) {
            FUZZ_CHECK(f.graphicEq[k].hz > 0 && std::isfinite(f.graphicEq[k].hz) &&
                       std::isfinite(f.graphicEq[k].db));
            FUZZ_CHECK(k == 0 || f.graphicEq[k - 1].hz <= f.graphicEq[k].hz);
        }
    }
    FUZZ_CHECK(std::isfinite(set.preampDb));
}

EffectBlock Applied(EffectBlock image, const FilterImportPlan& plan) {
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& v = plan.bands[static_cast<size_t>(b)];
        image.Set(*FindParam(param::BandFreq(kChannel, b)), static_cast<uint16_t>(v.freq));
        image.Set(*FindParam(param::BandQ(kChannel, b)), static_cast<uint16_t>(v.q));
        image.Set(*FindParam(param::BandGain(kChannel, b)), static_cast<uint16_t>(v.gain));
    }
    return image;
}

void CheckPlan(const FilterImportPlan& plan, const EffectBlock& image) {
    if (plan.outcome != ImportOutcome::Planned) {
        FUZZ_CHECK(Applied(image, plan) == image);
        FUZZ_CHECK(!plan.highPass && !plan.lowPass && !plan.volume);
        return;
    }
    for (const BandValues& v : plan.bands) {
        FUZZ_CHECK(v.freq >= 20 && v.freq <= 20000);
        FUZZ_CHECK(v.q >= 40 && v.q <= 12800);
        FUZZ_CHECK(v.q < 1000 || v.q % 10 == 0);
        FUZZ_CHECK(v.q < 10000 || v.q % 100 == 0);
        FUZZ_CHECK(v.gain >= -2000 && v.gain <= 2000);
    }
    for (const auto& pass : {plan.highPass, plan.lowPass}) {
        if (!pass) continue;
        FUZZ_CHECK(pass->freq >= 20 && pass->freq <= 20000);
        FUZZ_CHECK(pass->typeField >= 0 && pass->typeField < kCrossoverTypeCount);
        FUZZ_CHECK(pass->slopeIndex >= 0 && pass->slopeIndex < kSlopeOff);
    }
    if (plan.volume) FUZZ_CHECK(*plan.volume >= 0 && *plan.volume <= kVolumeSliderMax);
    // The bands planned from lines come first, peaks and the bands standing
    // in for shelves and curves, in ascending frequency.
    int fromLines = 0;
    while (fromLines < kBandCount && plan.bandLines[static_cast<size_t>(fromLines)] != 0) ++fromLines;
    for (int b = fromLines; b < kBandCount; ++b) FUZZ_CHECK(plan.bandLines[static_cast<size_t>(b)] == 0);
    for (int b = 1; b < fromLines; ++b)
        FUZZ_CHECK(plan.bands[static_cast<size_t>(b - 1)].freq <= plan.bands[static_cast<size_t>(b)].freq);
    int approximating = 0;
    for (const ApproximatedFilter& a : plan.approximation.lines) approximating += a.bandCount;
    FUZZ_CHECK(plan.peakingCount + approximating == fromLines);
    if (!plan.approximation.lines.empty()) FUZZ_CHECK(plan.approximation.deviationDb <= 0.5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FilterSet set = ReadFilterSet(text);
    CheckRead(set);
    if (!set.Ok()) return 0;
    for (const std::string& section : set.sections)
        FUZZ_CHECK(FiltersForSection(set, section).size() <= set.filters.size());

    const EffectBlock& image = DefaultEffectBlock();
    const FilterImportPlan plan = PlanFilterImport(set.filters, image, kChannel, {}, {true, set.preampDb});
    CheckPlan(plan, image);
    if (plan.outcome != ImportOutcome::Planned) return 0;

    const EffectBlock planned = Applied(image, plan);
    const auto exported = ChannelPeakingFilters(planned, kChannel);
    const FilterSet again = ReadFilterSet(WriteRewFilterSettings(exported));
    if (exported.empty()) return 0;  // a file of zero-gain filters exports nothing to read
    FUZZ_CHECK(again.Ok());
    const FilterImportPlan replanned = PlanFilterImport(again.filters, planned, kChannel, {}, {});
    FUZZ_CHECK(replanned.clamped.empty());
    FUZZ_CHECK(ChannelPeakingFilters(Applied(planned, replanned), kChannel) == exported);
    return 0;
}
