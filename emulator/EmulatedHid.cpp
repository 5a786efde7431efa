#include "EmulatedHid.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "DeviceNames.h"

namespace caraudio::emulator {

// --- channel ----------------------------------------------------------------

void EmulatedChannel::Push(const Frame& frame, int delayMs) {
    {
        std::lock_guard lock(mutex_);
        if (gone_) return;
        queue_.push_back({Clock::now() + std::chrono::milliseconds(std::max(0, delayMs)), frame});
    }
    cv_.notify_all();
}

EmulatedChannel::ReadResult EmulatedChannel::Pop(Frame& out) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (woken_) {
            woken_ = false;
            return ReadResult::Woken;
        }
        if (gone_) return ReadResult::Gone;
        // The earliest due frame goes first, so a late reply can be overtaken.
        auto next = std::min_element(queue_.begin(), queue_.end(),
                                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
        if (next != queue_.end() && next->due <= Clock::now()) {
            out = next->frame;
            queue_.erase(next);
            return ReadResult::Frame;
        }
        if (next == queue_.end())
            cv_.wait(lock);
        else
            cv_.wait_until(lock, next->due);
    }
}

void EmulatedChannel::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_all();
}

void EmulatedChannel::MarkGone() {
    {
        std::lock_guard lock(mutex_);
        gone_ = true;
        queue_.clear();
    }
    cv_.notify_all();
}

bool EmulatedChannel::Gone() const {
    std::lock_guard lock(mutex_);
    return gone_;
}

// --- transport --------------------------------------------------------------

namespace {

class EmulatedTransport final : public HidTransport {
public:
    explicit EmulatedTransport(EmulatedHidBackend& bus) : bus_(bus) {}
    ~EmulatedTransport() override { CloseDevice(); }

    bool OpenDevice(const std::string& path) override {
        std::lock_guard lock(mutex_);
        if (channel_) return false;
        EmulatedBox* box = bus_.FindBox(path);
        if (!box) return false;
        auto channel = box->Open();
        if (!channel) return false;
        box_ = box;
        channel_ = std::move(channel);
        return true;
    }

    bool Write(const uint8_t* data, int length, int) override {
        std::shared_ptr<EmulatedChannel> channel;
        EmulatedBox* box;
        {
            std::lock_guard lock(mutex_);
            channel = channel_;
            box = box_;
        }
        if (!channel || !data || length < 1 || length > kFrameSize) return false;
        Frame frame{};
        std::memcpy(frame.data(), data, static_cast<size_t>(length));
        return box->Receive(channel, frame);
    }

    bool Read(const uint8_t** out) override {
        std::shared_ptr<EmulatedChannel> channel;
        {
            std::lock_guard lock(mutex_);
            channel = channel_;
        }
        if (!channel) return false;
        readBuffer_.fill(0);
        Frame frame;
        switch (channel->Pop(frame)) {
        case EmulatedChannel::ReadResult::Gone:
            return false;
        case EmulatedChannel::ReadResult::Woken:
            break;
        case EmulatedChannel::ReadResult::Frame:
            std::memcpy(readBuffer_.data() + 1, frame.data(), frame.size());
            break;
        }
        *out = readBuffer_.data() + 1;
        return true;
    }

    void CloseDevice() override {
        std::lock_guard lock(mutex_);
        if (channel_) channel_->Wake();
        channel_.reset();
        box_ = nullptr;
    }

    void WakeReader() override {
        std::lock_guard lock(mutex_);
        if (channel_) channel_->Wake();
    }

    int InputReportLength() const override { return IsOpen() ? EmulatedHidBackend::kReportLength : 0; }
    int OutputReportLength() const override { return IsOpen() ? EmulatedHidBackend::kReportLength : 0; }

private:
    bool IsOpen() const {
        std::lock_guard lock(mutex_);
        return channel_ != nullptr;
    }

    EmulatedHidBackend& bus_;
    mutable std::mutex mutex_;  // guards channel_ and box_
    std::shared_ptr<EmulatedChannel> channel_;
    EmulatedBox* box_ = nullptr;
    std::array<uint8_t, kBufferSize> readBuffer_{};  // receive thread only
};

}  // namespace

// --- box --------------------------------------------------------------------

EmulatedBox::EmulatedBox(EmulatedHidBackend& bus, std::string path, BoxMemory memory)
    : bus_(bus), path_(std::move(path)), firmware_(std::move(memory)) {}

bool EmulatedBox::Plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

void EmulatedBox::Unplug() {
    std::shared_ptr<EmulatedChannel> channel;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_) return;
        plugged_ = false;
        channel = std::move(channel_);
    }
    if (channel) channel->MarkGone();
    bus_.Announce(kDeviceRemoveComplete, path_);
}

void EmulatedBox::Plug() {
    {
        std::lock_guard lock(mutex_);
        if (plugged_) return;
        plugged_ = true;
    }
    firmware_.ClearFaults();
    bus_.Announce(kDeviceArrival, path_);
}

std::shared_ptr<EmulatedChannel> EmulatedBox::Open() {
    std::lock_guard lock(mutex_);
    if (!plugged_) return nullptr;
    // A new opener replaces an old channel, as a box answers whoever writes.
    channel_ = std::make_shared<EmulatedChannel>();
    return channel_;
}

bool EmulatedBox::Receive(const std::shared_ptr<EmulatedChannel>& channel, const Frame& frame) {
    if (channel->Gone()) return false;
    const std::optional<EmulatedReply> reply = firmware_.Handle(frame);
    if (firmware_.Vanished()) {
        Unplug();
        return true;  // the report went out; the box vanished on receiving it
    }
    if (reply) channel->Push(reply->frame, reply->delayMs);
    return true;
}

void EmulatedBox::SendNotification(const uint8_t* payload, size_t length) {
    std::shared_ptr<EmulatedChannel> channel;
    {
        std::lock_guard lock(mutex_);
        channel = channel_;
    }
    if (channel) channel->Push(firmware_.Notification(payload, length), 0);
}

// --- bus --------------------------------------------------------------------

// Arrivals and removals of emulated boxes, readable through an eventfd like
// the system's monitor.
class EmulatedHidBackend::Monitor final : public HotplugMonitor {
public:
    Monitor(EmulatedHidBackend& bus, uint16_t vendorId, uint16_t productId)
        : bus_(bus),
          vendorId_(vendorId),
          productId_(productId),
          fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

    ~Monitor() override {
        bus_.Detach(this);
        if (fd_ >= 0) ::close(fd_);
    }

    int Fd() const override { return fd_; }

    std::vector<DeviceChange> TakeChanges() override {
        uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(fd_, &count, sizeof count);
        std::lock_guard lock(mutex_);
        return std::exchange(changes_, {});
    }

    void Add(int event, const std::string& path) {
        {
            std::lock_guard lock(mutex_);
            changes_.push_back(
                {event, {kBroadcastDeviceInterface, InterfaceName(vendorId_, productId_, path), path}});
        }
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
    }

private:
    EmulatedHidBackend& bus_;
    const uint16_t vendorId_;
    const uint16_t productId_;
    const int fd_;
    std::mutex mutex_;  // guards changes_
    std::vector<DeviceChange> changes_;
};

EmulatedHidBackend::EmulatedHidBackend(uint16_t vendorId, uint16_t productId)
    : vendorId_(vendorId), productId_(productId) {}

EmulatedHidBackend::~EmulatedHidBackend() = default;

EmulatedBox& EmulatedHidBackend::AddBox(BoxMemory memory) {
    const std::string path = "emulator:" + std::to_string(boxes_.size());
    boxes_.push_back(std::make_unique<EmulatedBox>(*this, path, std::move(memory)));
    return *boxes_.back();
}

EmulatedBox* EmulatedHidBackend::FindBox(const std::string& path) {
    for (auto& box : boxes_)
        if (box->Path() == path) return box.get();
    return nullptr;
}

DeviceListing EmulatedHidBackend::EnumDevices(uint16_t vendorId, uint16_t productId) {
    DeviceListing listing;
    if (vendorId != vendorId_ || productId != productId_) return listing;
    for (auto& box : boxes_) {
        if (!box->Plugged()) continue;
        ++listing.count;
        if (static_cast<int>(listing.paths.size()) < kMaxPaths) listing.paths.push_back(box->Path());
    }
    return listing;
}

std::unique_ptr<HidTransport> EmulatedHidBackend::NewTransport() {
    return std::make_unique<EmulatedTransport>(*this);
}

std::unique_ptr<HotplugMonitor> EmulatedHidBackend::NewHotplugMonitor() {
    auto monitor = std::make_unique<Monitor>(*this, vendorId_, productId_);
    if (monitor->Fd() < 0) return nullptr;
    std::lock_guard lock(monitorsLock_);
    monitors_.push_back(monitor.get());
    return monitor;
}

void EmulatedHidBackend::Detach(Monitor* monitor) {
    std::lock_guard lock(monitorsLock_);
    monitors_.erase(std::remove(monitors_.begin(), monitors_.end(), monitor), monitors_.end());
}

void EmulatedHidBackend::Announce(int event, const std::string& path) {
    std::lock_guard lock(monitorsLock_);
    for (Monitor* m : monitors_) m->Add(event, path);
}

}  // namespace caraudio::emulator
