#pragma once

#include <string_view>

#include "FilterLineFields.h"

namespace caraudio::analysis {

// REW's "formatted text" filter table: a header naming the columns
// ("Number, Enabled, Control, Type, Frequency(Hz), Gain(dB), Q,
// Bandwidth(Hz), ...") and one row per filter, separated by commas or by
// spaces. Shelf and pass rows leave out the columns they have no value for.
struct FilterTableLayout {
    bool commaSeparated = false;
    int enabled = -1, type = -1, frequency = -1, gain = -1, q = -1, bandwidthHz = -1;
};

// Whether the line is such a header; the layout says where the columns are.
bool ReadFilterTableHeader(std::string_view line, FilterTableLayout& layout);

// Whether the line starts as a row does: the filter's number, then a field.
bool LooksLikeFilterTableRow(std::string_view line);

// A row's fields as a filter line's; comma-separated rows write a decimal
// point.
LineProblem ReadFilterTableRow(std::string_view line, const FilterTableLayout& layout, FilterFields& fields);

}  // namespace caraudio::analysis
