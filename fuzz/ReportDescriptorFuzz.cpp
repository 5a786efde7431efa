// Report descriptors come from the device (through sysfs or the kernel): any
// bytes must give lengths, never a crash or an overflow.
#include <cstdint>

#include "FuzzCheck.h"
#include "ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const caraudio::ReportLengths l = caraudio::ParseReportDescriptor(data, size);
    FUZZ_CHECK(l.input >= 0 && l.output >= 0);
    FUZZ_CHECK(l.input <= (1 << 17) + 1 && l.output <= (1 << 17) + 1);
    return 0;
}
