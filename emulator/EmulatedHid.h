#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BoxFirmware.h"
#include "HidTransport.h"

namespace caraudio::emulator {

// One open channel to an emulated box: replies wait here, each until its
// time, for the receive thread to read them.
class EmulatedChannel {
public:
    enum class ReadResult { Frame, Woken, Gone };

    void Push(const Frame& frame, int delayMs);
    ReadResult Pop(Frame& out);
    void Wake();
    void MarkGone();
    bool Gone() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        Frame frame;
    };

    mutable std::mutex mutex_;  // guards the fields below
    std::condition_variable cv_;
    std::deque<Pending> queue_;  // in order of arrival; each is due at its time
    bool woken_ = false;
    bool gone_ = false;
};

class EmulatedHidBackend;

// An emulated box on the bus: its firmware, whether it is plugged in, and
// the channel of the program that has it open.
class EmulatedBox {
public:
    EmulatedBox(EmulatedHidBackend& bus, std::string path, BoxMemory memory);

    BoxFirmware& Firmware() { return firmware_; }
    const std::string& Path() const { return path_; }
    bool Plugged() const;
    // Takes the box off the bus (open channels fail, a removal is announced)
    // or puts it back (an arrival is announced).
    void Unplug();
    void Plug();
    // Sends a 0x7E frame of the box's own to the program.
    void SendNotification(const uint8_t* payload, size_t length);

    // Used by the transport.
    std::shared_ptr<EmulatedChannel> Open();
    bool Receive(const std::shared_ptr<EmulatedChannel>& channel, const Frame& frame);

private:
    EmulatedHidBackend& bus_;
    const std::string path_;
    BoxFirmware firmware_;
    mutable std::mutex mutex_;  // guards plugged_ and channel_
    bool plugged_ = true;
    std::shared_ptr<EmulatedChannel> channel_;
};

// A bus of emulated boxes in this process, in place of hidraw. It outlives
// every transport and monitor it hands out.
class EmulatedHidBackend final : public HidBackend {
public:
    static constexpr int kReportLength = 65;

    EmulatedHidBackend(uint16_t vendorId, uint16_t productId);
    ~EmulatedHidBackend() override;

    // Adds a box with the given memory; its path is "emulator:N".
    EmulatedBox& AddBox(BoxMemory memory = {});
    EmulatedBox* FindBox(const std::string& path);

    DeviceListing EnumDevices(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidTransport> NewTransport() override;
    std::unique_ptr<HotplugMonitor> NewHotplugMonitor() override;

    // Called by boxes when they come and go.
    void Announce(int event, const std::string& path);

private:
    class Monitor;
    void Detach(Monitor* monitor);

    const uint16_t vendorId_;
    const uint16_t productId_;
    std::vector<std::unique_ptr<EmulatedBox>> boxes_;  // added on the interface thread only
    std::mutex monitorsLock_;                          // guards monitors_
    std::vector<Monitor*> monitors_;
};

}  // namespace caraudio::emulator
