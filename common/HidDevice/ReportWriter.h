#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace caraudio {

// Writes the output reports of one open device from a thread of its own, so
// a caller waits no longer than it says. A hidraw node sends each report to
// the box before write() returns, whatever O_NONBLOCK says: a box that stops
// reading holds write() for the kernel's USB timeout, and only this thread
// waits that out.
//
// Lifecycle of the thread: it waits for a report, writes it, and waits for
// the next, until the writer is destroyed. Destroying it never waits for a
// write held in the kernel: the thread then finishes that write on its own
// and closes the descriptor as it ends.
class ReportWriter {
public:
    // Takes over writeFd (left non-blocking, so a descriptor that does push
    // back is waited on with poll()). Null, with the descriptor closed, when
    // no thread can be started.
    static std::unique_ptr<ReportWriter> Start(int writeFd);
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Hands one whole report to the thread and waits at most timeoutMs for
    // it to be written, the wait for an earlier report included. Returns 0,
    // or an errno value: EBUSY when an earlier report was still being
    // written all that time (this one is not sent), EAGAIN when this one was
    // not written in time, else the write's own error. Called by one thread
    // at a time.
    int Write(const uint8_t* report, size_t size, int timeoutMs);

private:
    struct Shared;
    explicit ReportWriter(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace caraudio
