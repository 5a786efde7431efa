#pragma once

#include <span>
#include <vector>

#include "EffectBlock.h"
#include "PeakingFilter.h"

namespace caraudio::analysis {

// A channel's bands (block 0..5) as peaking filters for a filter-set file:
// the bands with a gain, in band order, with the cookbook Q the EQ response
// model draws them with.
std::vector<PeakingFilter> ChannelPeakingFilters(const EffectBlock& image, int channel);

// The check on an export: the largest difference in dB, over the editor's
// grid, between the filters computed by the files' convention and the
// channel's band curve in this program's model (crossovers aside). Filters
// that model the box as it sounds stay under 0.1 dB.
double ExportDeviationDb(std::span<const PeakingFilter> filters, const EffectBlock& image, int channel);

}  // namespace caraudio::analysis
