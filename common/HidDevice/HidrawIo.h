#pragma once

#include <cstddef>
#include <cstdint>

namespace caraudio {

// Waits until a report can be read from readFd or wakeFd (an eventfd) is
// signalled. A report is read into `into` (at most `want` bytes). True for a
// report and for a wake; false when the device hung up or failed.
bool WaitAndReadReport(int readFd, int wakeFd, uint8_t* into, size_t want);

// Writes one whole report to a non-blocking descriptor, waiting at most
// timeoutMs for the device to take it. Returns 0, or the errno value of the
// failure (EAGAIN when the device did not take the report in time). A
// descriptor that ignores O_NONBLOCK, as hidraw's does on write, can still
// hold write() longer: ReportWriter calls this on a thread of its own.
int WriteReportWithin(int writeFd, const uint8_t* report, size_t size, int timeoutMs);

}  // namespace caraudio
