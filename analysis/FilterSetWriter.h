#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PeakingFilter.h"

namespace caraudio::analysis {

// Filter-set text for measurement and EQ programs. Numbers are written with
// a decimal point whatever the locale, with enough digits that reading the
// file back gives the box's values again: Fc in whole Hz (two decimals when
// not whole), gain in hundredths of a dB, Q with four decimals. Lines end in
// LF. `note` is one line of free text (line breaks become spaces).

// The filters REW's Generic equaliser holds in the versions whose exports
// are common (up to V5.19 a file ends at "Filter 20"); newer versions hold
// more, so an export with more filters is written whole and the user told.
// Equalizer APO takes any number.
inline constexpr std::size_t kRewGenericFilters = 20;

// REW filter settings, equaliser "Generic". Without filters the file has one
// empty slot, as REW writes one, so it reads back as a flat channel.
std::string WriteRewFilterSettings(std::span<const PeakingFilter> filters, std::string_view note = {});

// An Equalizer APO configuration, with a Preamp line when one is given or
// when there are no filters (a configuration needs one line that does
// something to read as one).
std::string WriteApoConfig(std::span<const PeakingFilter> filters, std::optional<double> preampDb = {},
                           std::string_view note = {});

}  // namespace caraudio::analysis
