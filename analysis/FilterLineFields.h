#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FilterSet.h"
#include "FilterText.h"

namespace caraudio::analysis {

// The parts of a filter line after "Filter N:", values still as text so the
// file's decimal mark can be settled before any number is read.
struct FilterFields {
    bool on = true;
    bool emptySlot = false;  // "None"
    std::string type;        // the type's fields joined by one space
    FilterKind kind = FilterKind::Other;
    int order = 0;
    std::string_view fc, gain, q;  // value fields; empty when absent
    std::string_view bw;           // bandwidth in octaves ("0.167", "1/6")
    std::string_view bwHz;         // bandwidth in Hz between the half-gain points
    std::string_view slope;        // a shelf's "6dB" or "10.8", read with the unit dB
};

// The type code's kind and order ("PK", "HP1", "LSC"); Other for codes not
// known.
void SetFilterType(std::string_view code, FilterFields& fields);
bool IsShelfKind(FilterKind kind);
// "6", "10.8", "10,8": a slope's number without its unit.
bool IsSlopeNumber(std::string_view field);
// "6dB", "12dB", "10.8 dB" at fields[i]: the slope some shelf types name
// after their code, taken into `slope` and added to the type as written.
void TakeShelfSlope(const std::vector<std::string_view>& fields, std::size_t& i, FilterFields& f);

// A problem when the fields cannot be a filter of their type: no ON/OFF, a
// key without its value, a value missing that the type needs, or for the
// types the box can hold anything not understood.
LineProblem ReadFilterFields(std::string_view rest, FilterFields& fields);
// Whether a filter of this kind has the values it needs.
LineProblem CheckNeededValues(const FilterFields& fields);

// The fields' values read in the file's number style into `out` (type,
// on, Fc, gain, and the cookbook Q also from a bandwidth); false when one is
// not a number a filter can have.
bool ReadFilterValues(const FilterFields& fields, NumberStyle style, FilterLine& out);

// A "Preamp:" line's value: "-6.5 dB".
bool ReadPreamp(std::string_view rest, NumberStyle style, double& db);

}  // namespace caraudio::analysis
