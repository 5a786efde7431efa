#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HidTransport.h"
#include "LinkLog.h"

namespace caraudio {

// hidraw devices as libudev lists them: the vendor and product come from the
// parent HID device's HID_ID, the report descriptor from its sysfs file.
DeviceListing EnumerateHidraw(uint16_t vendorId, uint16_t productId);

// The report descriptor of the hidraw node at `devnode`, empty when unknown.
std::vector<uint8_t> HidrawReportDescriptor(const std::string& devnode);

// The real system: hidraw transports and a libudev monitor for hotplug.
class HidrawBackend final : public HidBackend {
public:
    explicit HidrawBackend(LinkLog& log) : log_(log) {}
    DeviceListing EnumDevices(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidTransport> NewTransport() override;
    std::unique_ptr<HotplugMonitor> NewHotplugMonitor() override;

private:
    LinkLog& log_;
};

}  // namespace caraudio
