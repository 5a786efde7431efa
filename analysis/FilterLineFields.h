#pragma once

#include <string>
#include <string_view>

#include "FilterSet.h"

namespace caraudio::analysis {

// The parts of a filter line after "Filter N:", values still as text so the
// file's decimal mark can be settled before any number is read.
struct FilterFields {
    bool on = true;
    bool emptySlot = false;  // "None"
    std::string type;        // the type's fields joined by one space
    FilterKind kind = FilterKind::Other;
    int order = 0;
    std::string_view fc, gain, q, bw;  // value fields; empty when absent
    std::string_view slope;            // a shelf's "6dB" or "10.8", read with the unit dB
};

// False when the fields cannot be a filter of their type: no ON/OFF, a key
// without its value, a value missing that the type needs, or for the types
// the box can hold anything not understood.
bool ReadFilterFields(std::string_view rest, FilterFields& fields);

}  // namespace caraudio::analysis
