#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace caraudio {

// One HID device, open or closed. Reports carry the report identifier 0 in
// front of their data; Write adds it and Read skips it. Read runs on the
// receive thread while Write, WakeReader and CloseDevice run on the
// interface thread, so implementations must allow exactly that overlap.
class HidTransport {
public:
    static constexpr int kBufferSize = 128;

    virtual ~HidTransport() = default;
    virtual bool OpenDevice(const std::string& path) = 0;
    // Sends one output report carrying `length` data bytes. Waits at most
    // timeoutMs for the box to take it, however long the system holds the
    // report; a report not taken in that time fails the write (one already
    // handed to the system may still reach the box later).
    virtual bool Write(const uint8_t* data, int length, int timeoutMs) = 0;
    // Waits for one input report; on success *out points at its data (the
    // identifier skipped), valid until the next Read or CloseDevice. Also
    // succeeds, with zeroed data, when WakeReader released the wait.
    virtual bool Read(const uint8_t** out) = 0;
    virtual void CloseDevice() = 0;
    virtual void WakeReader() = 0;
    // Report byte lengths, the identifier byte included; 0 while closed.
    virtual int InputReportLength() const = 0;
    virtual int OutputReportLength() const = 0;
};

// What the connection manager hears when a device comes or goes.
inline constexpr int kDeviceArrival = 0x8000;
inline constexpr int kDeviceRemoveComplete = 0x8004;
inline constexpr int kBroadcastDeviceInterface = 5;

struct DeviceBroadcast {
    int type = kBroadcastDeviceInterface;
    // Interface name in the form "...#VID_vvvv&PID_pppp#...", from which the
    // identifiers are read.
    std::string name;
    // The path the device is opened by.
    std::string path;
};

struct DeviceChange {
    int event = 0;
    DeviceBroadcast broadcast;
};

// Device arrivals and removals, delivered through a descriptor the
// interface thread watches (readable when changes are waiting).
class HotplugMonitor {
public:
    virtual ~HotplugMonitor() = default;
    virtual int Fd() const = 0;
    virtual std::vector<DeviceChange> TakeChanges() = 0;
};

// A matching box that could not be opened, and the reason (an errno value).
struct UnopenedBox {
    std::string path;
    int error = 0;
};

// Result of listing the attached boxes.
struct DeviceListing {
    int count = 0;                   // matching devices that can be opened, may exceed paths.size()
    std::vector<std::string> paths;  // the first ten of them
    std::vector<UnopenedBox> unopened;
};

// The system's HID devices: listing, a transport per device, hotplug.
class HidBackend {
public:
    static constexpr int kMaxPaths = 10;

    virtual ~HidBackend() = default;
    virtual DeviceListing EnumDevices(uint16_t vendorId, uint16_t productId) = 0;
    virtual std::unique_ptr<HidTransport> NewTransport() = 0;
    virtual std::unique_ptr<HotplugMonitor> NewHotplugMonitor() = 0;
};

}  // namespace caraudio
