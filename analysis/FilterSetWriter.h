#pragma once

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

// REW filter settings, equaliser "Generic".
std::string WriteRewFilterSettings(std::span<const PeakingFilter> filters, std::string_view note = {});

// An Equalizer APO configuration, with a Preamp line when one is given.
std::string WriteApoConfig(std::span<const PeakingFilter> filters, std::optional<double> preampDb = {},
                           std::string_view note = {});

}  // namespace caraudio::analysis
