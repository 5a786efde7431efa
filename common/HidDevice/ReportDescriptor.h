#pragma once

#include <cstddef>
#include <cstdint>

namespace caraudio {

// Report byte lengths as the HID capabilities give them: the longest input
// and output report, plus one byte for the report identifier.
struct ReportLengths {
    int input = 0;
    int output = 0;
    bool numbered = false;  // reports carry an identifier other than 0
};

// Reads the lengths from a HID report descriptor. Malformed or truncated
// descriptors give what their complete items describe.
ReportLengths ParseReportDescriptor(const uint8_t* data, size_t size);

}  // namespace caraudio
