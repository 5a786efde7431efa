#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <string>

#include "HidTransport.h"
#include "LinkLog.h"

namespace caraudio {

// A box on Linux hidraw: separate read-only and write-only descriptors, a
// Read that blocks in poll() and that WakeReader (an eventfd) releases, and a
// Write that gives up when the box does not take the report in time (the
// report is written by a thread of its own, see ReportWriter).
class CHidBase final : public HidTransport {
public:
    explicit CHidBase(LinkLog& log);
    ~CHidBase() override;

    bool OpenDevice(const std::string& path) override;
    bool Write(const uint8_t* data, int length, int timeoutMs) override;
    bool Read(const uint8_t** out) override;
    void CloseDevice() override;
    void WakeReader() override;
    int InputReportLength() const override;
    int OutputReportLength() const override;

    // Kept after CloseDevice, as the last device opened.
    const std::string& DevicePath() const { return path_; }

private:
    // The descriptors of one open device and its report writer. A Read or
    // Write in progress holds its own reference, so closing on the interface
    // thread never pulls a descriptor from under the receive thread: the last
    // holder closes them.
    struct Handles;
    std::shared_ptr<Handles> Current() const;

    LinkLog& log_;
    mutable std::mutex handlesLock_;  // guards the handles_ pointer, not the descriptors
    std::shared_ptr<Handles> handles_;
    std::string path_;
    std::array<uint8_t, kBufferSize> readBuffer_{};   // receive thread only
    std::array<uint8_t, kBufferSize> writeBuffer_{};  // sending thread only
};

}  // namespace caraudio
