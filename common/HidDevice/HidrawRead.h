#pragma once

#include <cstddef>
#include <cstdint>

namespace caraudio {

// Waits until a report can be read from readFd or wakeFd (an eventfd) is
// signalled. A report is read into `into` (at most `want` bytes). True for a
// report and for a wake; false when the device hung up or failed.
bool WaitAndReadReport(int readFd, int wakeFd, uint8_t* into, size_t want);

}  // namespace caraudio
