#include "FilterExport.h"

#include <algorithm>
#include <cmath>

#include "BoxFields.h"
#include "ChannelCurves.h"
#include "CookbookResponse.h"
#include "EditorGrid.h"

namespace caraudio::analysis {

std::vector<PeakingFilter> ChannelPeakingFilters(const EffectBlock& image, int channel) {
    std::vector<PeakingFilter> filters;
    if (channel < 0 || channel >= kChannelCount) return filters;
    for (int b = 0; b < kBandCount; ++b) {
        const int gain = static_cast<int16_t>(image.Get(*FindParam(param::BandGain(channel, b))));
        if (gain == 0) continue;
        filters.push_back({static_cast<double>(image.Get(*FindParam(param::BandFreq(channel, b)))),
                           gain / 100.0, CookbookQ(image.Get(*FindParam(param::BandQ(channel, b))))});
    }
    return filters;
}

double ExportDeviationDb(std::span<const PeakingFilter> filters, const EffectBlock& image, int channel) {
    if (channel < 0 || channel >= kChannelCount) return HUGE_VAL;
    FrequencyGrid& grid = EditorGrid();
    EqCurveModel model(grid);
    if (!model.InitBands(ChannelCurves::BandInputs(image, channel))) return HUGE_VAL;
    double worst = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        double box = 0;
        for (int b = 0; b < EqCurveModel::kBands; ++b)
            box += model.Filter(b).response[static_cast<std::size_t>(i)];
        double file = 0;
        for (const PeakingFilter& f : filters) file += PeakingDb(f, grid.Hz(i));
        const double d = std::fabs(file - box);
        if (!std::isfinite(d)) return HUGE_VAL;
        worst = std::max(worst, d);
    }
    return worst;
}

}  // namespace caraudio::analysis
