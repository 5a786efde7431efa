#include "FilterExport.h"

#include "BoxFields.h"

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

}  // namespace caraudio::analysis
