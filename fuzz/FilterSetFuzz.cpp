// Filter-set files: any bytes read without a crash (in any encoding, with
// Include: lines answered by the same bytes, so loops and depth are met);
// an import planned from whatever was read stays inside the box's ranges
// (shelves and graphic EQ curves followed by the bands the peaks leave), and
// a planned channel exported in either format and imported again is the
// same image.
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
        FUZZ_CHECK(f.lineNumber > 0);
        if (f.file.empty()) {
            FUZZ_CHECK(f.lineNumber > last);
            last = f.lineNumber;
        }
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
    // Every peak has its band, and so has every band standing in for a shelf
    // or a curve; the other bands are flat.
    int fromLines = 0;
    for (int b = 0; b < kBandCount; ++b) {
        if (plan.bandFilter[static_cast<size_t>(b)] >= 0)
            ++fromLines;
        else if (plan.outcome == ImportOutcome::Planned)
            FUZZ_CHECK(plan.bands[static_cast<size_t>(b)].gain == 0);
    }
    int approximating = 0;
    for (const ApproximatedFilter& a : plan.approximation.lines) approximating += a.bandCount;
    if (plan.outcome == ImportOutcome::Planned) FUZZ_CHECK(plan.peakingCount + approximating == fromLines);
    if (!plan.approximation.lines.empty()) FUZZ_CHECK(plan.approximation.deviationDb <= 0.5);
}

EffectBlock ReadBack(const std::string& file, const EffectBlock& planned) {
    const FilterSet again = ReadFilterSet(file);
    FUZZ_CHECK(again.Ok());
    const FilterImportPlan replanned =
        PlanFilterImport(again.filters, planned, kChannel, {}, {false, 0, true});
    FUZZ_CHECK(replanned.outcome == ImportOutcome::Planned);
    FUZZ_CHECK(replanned.clamped.empty() && replanned.skipped.empty());
    return Applied(planned, replanned);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int fetched = 0;
    const IncludeSource source{
        "/fuzz/top.txt", [&](const std::string& path) {
            FUZZ_CHECK(!path.empty() && path[0] == '/');  // joined to the top file's folder
            ++fetched;
            return IncludedBytes{IncludeRead::Read, std::string(text)};
        }};
    const FilterSet set = ReadFilterSet(text, source);
    FUZZ_CHECK(fetched <= kMaxIncludedFiles);
    CheckRead(set);
    if (!set.Ok()) return 0;
    for (const std::string& section : set.sections)
        FUZZ_CHECK(FiltersForSection(set, section).size() <= set.filters.size());

    const EffectBlock& image = DefaultEffectBlock();
    const FilterImportPlan plan =
        PlanFilterImport(set.filters, image, kChannel, {}, {true, set.preampDb, set.filters.empty()});
    CheckPlan(plan, image);
    if (plan.outcome != ImportOutcome::Planned) return 0;

    EffectBlock planned = Applied(image, plan);
    if (plan.volume) planned.Set(*FindParam(param::Volume(kChannel)), static_cast<uint16_t>(*plan.volume));
    const auto exported = ChannelPeakingFilters(planned, kChannel);
    FUZZ_CHECK(ReadBack(WriteRewFilterSettings(exported), planned) == planned);
    FUZZ_CHECK(ReadBack(WriteApoConfig(exported), planned) == planned);
    return 0;
}
