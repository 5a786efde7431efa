#pragma once

#include <vector>

#include "EffectBlock.h"
#include "PeakingFilter.h"

namespace caraudio::analysis {

// A channel's bands (block 0..5) as peaking filters for a filter-set file:
// the bands with a gain, in band order, with the cookbook Q the EQ response
// model draws them with.
std::vector<PeakingFilter> ChannelPeakingFilters(const EffectBlock& image, int channel);

}  // namespace caraudio::analysis
