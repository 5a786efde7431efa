#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BoxFirmware.h"

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace caraudio::emulator {

// Emulated boxes behind a umockdev test bed: each is a parent "hid" device
// with HID_ID and a report descriptor in a fake sysfs, and a hidraw child
// whose /dev node the firmware answers from a thread of its own. Works only
// in a process started under umockdev-wrapper.
class UmockdevBus {
public:
    UmockdevBus();
    ~UmockdevBus();
    UmockdevBus(const UmockdevBus&) = delete;
    UmockdevBus& operator=(const UmockdevBus&) = delete;

    // True under umockdev-wrapper once a bus exists.
    static bool InMockEnvironment();

    struct DeviceShape {
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        // Report descriptor as hexadecimal text; empty: 64-byte input and
        // output reports without identifiers.
        std::string reportDescriptorHex;
        bool withDeviceNode = true;  // false: listed in sysfs but cannot be opened
    };

    // Adds a device and announces it; returns its index, or -1 on failure.
    int Add(const DeviceShape& shape, BoxMemory memory = {});
    // Announces the removal of a device and takes it away: its node closes.
    void Remove(int index);
    // Puts a removed device back, under a new node, and announces it.
    bool Restore(int index);

    // A box that stops taking reports leaves what the program writes in its
    // node, which fills up. When it takes reports again it first drops the
    // backlog.
    void SetTakingReports(int index, bool taking);

    // A real hidraw node hands each report to the box before write() returns
    // and ignores O_NONBLOCK; the test bed's node is a terminal that honours
    // it. This makes the program's write descriptors now open on the node
    // blocking, so a box that stops taking reports holds write() in the
    // kernel as real hardware does. Returns how many descriptors it changed.
    int HoldWritesLikeHidraw(int index);
    // Waits up to timeoutMs until nothing in the program has the node open
    // any more; true when that happened.
    bool WaitUntilNodeClosed(int index, int timeoutMs);

    BoxFirmware& Firmware(int index);
    std::string DevicePath(int index) const;
    void SendNotification(int index, const uint8_t* payload, size_t length);

    static std::string DefaultReportDescriptorHex();

private:
    struct Device;
    bool Attach(Device& d);
    void Detach(Device& d);

    UMockdevTestbed* testbed_ = nullptr;
    int nextNumber_ = 64;
    std::vector<std::unique_ptr<Device>> devices_;
};

}  // namespace caraudio::emulator
