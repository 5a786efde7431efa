#include "UmockdevBox.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

namespace caraudio::emulator {
namespace {

using SteadyTime = std::chrono::steady_clock;

// Vendor-defined usage page, one application collection: 64 bytes in, 64 out.
constexpr const char* kDefaultDescriptor =
    "0600FF 0901 A101 1500 26FF00 7508 9540 0901 8102 9540 0902 9102 C0";

std::string Compact(std::string hex) {
    std::string out;
    for (char c : hex)
        if (c != ' ') out += c;
    return out;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

struct UmockdevBus::Device {
    int index = 0;
    int number = 0;  // of its hidraw node; a box plugged in again gets a new one
    DeviceShape shape;
    std::string parentSyspath;
    std::string syspath;
    std::string devnode;
    BoxFirmware firmware;
    bool present = false;

    // The answering thread and what it shares with the interface thread.
    std::thread thread;
    int devFd = -1;
    int stopFd = -1;
    std::atomic<bool> takingReports{true};
    std::mutex outLock;  // guards outbox
    std::deque<std::pair<SteadyTime::time_point, Frame>> outbox;

    explicit Device(BoxMemory memory) : firmware(std::move(memory)) {}

    // Kept in order of when each is due; the serving thread picks it up within
    // its poll interval.
    void Queue(const Frame& f, int delayMs) {
        const auto due = SteadyTime::now() + std::chrono::milliseconds(delayMs);
        std::lock_guard lock(outLock);
        auto at = std::upper_bound(outbox.begin(), outbox.end(), due,
                                   [](const auto& t, const auto& item) { return t < item.first; });
        outbox.insert(at, {due, f});
    }

    // Reads 65-byte reports the program writes, answers through the firmware,
    // and writes 64-byte input reports when they are due.
    void Serve() {
        std::vector<uint8_t> partial;
        bool wasTaking = true;
        for (;;) {
            const bool taking = takingReports;
            if (taking && !wasTaking) {
                // Back from a stall: what piled up meanwhile, perhaps ending
                // in a piece of a report, is dropped.
                ::tcflush(devFd, TCIFLUSH);
                partial.clear();
            }
            wasTaking = taking;
            int timeout = 20;
            {
                std::lock_guard lock(outLock);
                const auto now = SteadyTime::now();
                while (!outbox.empty() && outbox.front().first <= now) {
                    WriteAll(devFd, outbox.front().second.data(), kFrameSize);
                    outbox.pop_front();
                }
                if (!outbox.empty())
                    timeout = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                   outbox.front().first - now)
                                                   .count()) +
                              1;
            }
            const short wanted = taking ? POLLIN : 0;
            pollfd fds[2] = {{devFd, wanted, 0}, {stopFd, POLLIN, 0}};
            if (::poll(fds, 2, timeout) < 0 && errno != EINTR) return;
            if (fds[1].revents & POLLIN) return;
            if (!(fds[0].revents & POLLIN)) {
                // The node is backed by a pseudo-terminal: while the program
                // has it closed the master side reports a hang-up. Wait for
                // the next open.
                if (fds[0].revents & (POLLHUP | POLLERR))
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            uint8_t buf[256];
            const ssize_t n = ::read(devFd, buf, sizeof buf);
            if (n <= 0) continue;
            partial.insert(partial.end(), buf, buf + n);
            while (partial.size() >= 65) {
                Frame request{};
                std::copy(partial.begin() + 1, partial.begin() + 65, request.begin());
                partial.erase(partial.begin(), partial.begin() + 65);
                if (auto reply = firmware.Handle(request)) Queue(reply->frame, reply->delayMs);
            }
        }
    }
};

UmockdevBus::UmockdevBus() {
    testbed_ = umockdev_testbed_new();
}

UmockdevBus::~UmockdevBus() {
    for (auto& d : devices_)
        if (d->present) Detach(*d);
    if (testbed_) g_object_unref(testbed_);
}

bool UmockdevBus::InMockEnvironment() {
    return umockdev_in_mock_environment();
}

std::string UmockdevBus::DefaultReportDescriptorHex() {
    return Compact(kDefaultDescriptor);
}

int UmockdevBus::Add(const DeviceShape& shape, BoxMemory memory) {
    auto d = std::make_unique<Device>(std::move(memory));
    d->index = static_cast<int>(devices_.size());
    d->number = d->index;
    d->shape = shape;
    if (!Attach(*d)) return -1;
    devices_.push_back(std::move(d));
    return static_cast<int>(devices_.size()) - 1;
}

bool UmockdevBus::Attach(Device& d) {
    char parent[160];
    std::snprintf(parent, sizeof parent, "/sys/devices/pci0000:00/usb1/1-%d/1-%d:1.0/0003:%04X:%04X.%04X",
                  d.number + 1, d.number + 1, d.shape.vendorId, d.shape.productId, d.number + 1);
    d.parentSyspath = parent;
    d.syspath = d.parentSyspath + "/hidraw/hidraw" + std::to_string(d.number);
    d.devnode = "/dev/hidraw" + std::to_string(d.number);
    const std::string desc =
        Compact(d.shape.reportDescriptorHex.empty() ? kDefaultDescriptor : d.shape.reportDescriptorHex);
    char hidId[40];
    std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", d.shape.vendorId, d.shape.productId);
    std::string text = "P: " + d.parentSyspath.substr(4) + "\nE: SUBSYSTEM=hid\nE: HID_ID=" + hidId +
                       "\nE: HID_NAME=Emulated box\nH: report_descriptor=" + desc +
                       "\n\nP: " + d.syspath.substr(4) + "\nN: hidraw" + std::to_string(d.number) +
                       "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=" + d.devnode +
                       "\nA: dev=240:" + std::to_string(d.number) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, text.c_str(), &error)) {
        std::fprintf(stderr, "umockdev: %s\n", error ? error->message : "cannot add device");
        if (error) g_error_free(error);
        return false;
    }
    d.present = true;
    if (!d.shape.withDeviceNode) {
        // Listed in sysfs, but its node is gone: it cannot be opened.
        gchar* root = umockdev_testbed_get_root_dir(testbed_);
        ::unlink((std::string(root) + d.devnode).c_str());
        g_free(root);
        umockdev_testbed_uevent(testbed_, d.syspath.c_str(), "add");
        return true;
    }
    umockdev_testbed_uevent(testbed_, d.syspath.c_str(), "add");
    d.devFd = umockdev_testbed_get_dev_fd(testbed_, d.devnode.c_str());
    // Frames are binary: no line editing, no translated or swallowed bytes.
    termios raw{};
    if (::tcgetattr(d.devFd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(d.devFd, TCSANOW, &raw);
    }
    d.stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    d.thread = std::thread([&d] { d.Serve(); });
    return true;
}

void UmockdevBus::Detach(Device& d) {
    if (!d.present) return;
    umockdev_testbed_uevent(testbed_, d.syspath.c_str(), "remove");
    if (d.thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(d.stopFd, &one, sizeof one);
        d.thread.join();
    }
    if (d.stopFd >= 0) ::close(d.stopFd);
    d.stopFd = -1;
    d.devFd = -1;  // owned by the test bed
    umockdev_testbed_remove_device(testbed_, d.syspath.c_str());
    umockdev_testbed_remove_device(testbed_, d.parentSyspath.c_str());
    d.present = false;
}

void UmockdevBus::Remove(int index) {
    Detach(*devices_.at(static_cast<size_t>(index)));
}

// The test bed keeps the old node's terminal after a removal, so the box comes
// back under a new hidraw number, as a replugged device may on a real system.
bool UmockdevBus::Restore(int index) {
    Device& d = *devices_.at(static_cast<size_t>(index));
    if (d.present) return true;
    d.number = nextNumber_++;
    return Attach(d);
}

void UmockdevBus::SetTakingReports(int index, bool taking) {
    devices_.at(static_cast<size_t>(index))->takingReports = taking;
}

int UmockdevBus::HoldWritesLikeHidraw(int index) {
    const Device& d = *devices_.at(static_cast<size_t>(index));
    char terminal[64];
    if (d.devFd < 0 || ::ptsname_r(d.devFd, terminal, sizeof terminal) != 0) return 0;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return 0;
    int changed = 0;
    while (const dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        char target[64];
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = 0;
        const int flags = ::fcntl(fd, F_GETFL);
        if (std::string(target) != terminal || flags < 0 || (flags & O_ACCMODE) != O_WRONLY) continue;
        if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) ++changed;
    }
    ::closedir(fds);
    return changed;
}

bool UmockdevBus::WaitUntilNodeClosed(int index, int timeoutMs) {
    const Device& d = *devices_.at(static_cast<size_t>(index));
    // The box's end of the terminal hangs up once the last opener has gone.
    pollfd p{d.devFd, 0, 0};
    return d.devFd >= 0 && ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLHUP);
}

BoxFirmware& UmockdevBus::Firmware(int index) {
    return devices_.at(static_cast<size_t>(index))->firmware;
}

std::string UmockdevBus::DevicePath(int index) const {
    return devices_.at(static_cast<size_t>(index))->devnode;
}

void UmockdevBus::SendNotification(int index, const uint8_t* payload, size_t length) {
    Device& d = *devices_.at(static_cast<size_t>(index));
    d.Queue(d.firmware.Notification(payload, length), 0);
}

}  // namespace caraudio::emulator
