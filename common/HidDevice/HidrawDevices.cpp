#include "HidrawDevices.h"

#include <cerrno>

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "DeviceNames.h"
#include "HidBase.h"

namespace caraudio {
namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

struct HidrawNode {
    std::string devnode;
    std::string parentSyspath;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    bool idsKnown = false;
};

// HID_ID is "bus:vendor:product" in hexadecimal, e.g. 0003:00001234:00005678.
bool ParseHidId(const char* hidId, uint16_t& vendorId, uint16_t& productId) {
    unsigned bus, vendor, product;
    if (!hidId || std::sscanf(hidId, "%x:%x:%x", &bus, &vendor, &product) != 3) return false;
    vendorId = static_cast<uint16_t>(vendor);
    productId = static_cast<uint16_t>(product);
    return true;
}

HidrawNode Describe(udev_device* dev) {
    HidrawNode node;
    if (const char* devnode = udev_device_get_devnode(dev)) node.devnode = devnode;
    // The parent belongs to the child; it is not unreferenced separately.
    udev_device* parent = udev_device_get_parent_with_subsystem_devtype(dev, "hid", nullptr);
    if (parent) {
        node.parentSyspath = udev_device_get_syspath(parent);
        node.idsKnown =
            ParseHidId(udev_device_get_property_value(parent, "HID_ID"), node.vendorId, node.productId);
    }
    return node;
}

std::vector<HidrawNode> ListHidraw() {
    std::vector<HidrawNode> nodes;
    UdevPtr<udev> u(udev_new());
    if (!u) return nodes;
    UdevPtr<udev_enumerate> e(udev_enumerate_new(u.get()));
    if (!e) return nodes;
    udev_enumerate_add_match_subsystem(e.get(), "hidraw");
    udev_enumerate_scan_devices(e.get());
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
        UdevPtr<udev_device> dev(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
        if (!dev) continue;
        HidrawNode node = Describe(dev.get());
        if (!node.devnode.empty()) nodes.push_back(std::move(node));
    }
    return nodes;
}

class UdevHotplugMonitor final : public HotplugMonitor {
public:
    UdevHotplugMonitor() : udev_(udev_new()) {
        if (!udev_) return;
        monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
        if (!monitor_) return;
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "hidraw", nullptr);
        if (udev_monitor_enable_receiving(monitor_.get()) < 0) {
            monitor_.reset();
            return;
        }
        // Readiness comes from the watcher of Fd(); reads must never block.
        const int fd = udev_monitor_get_fd(monitor_.get());
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }

    bool Valid() const { return monitor_ != nullptr; }
    int Fd() const override { return monitor_ ? udev_monitor_get_fd(monitor_.get()) : -1; }

    std::vector<DeviceChange> TakeChanges() override {
        std::vector<DeviceChange> changes;
        if (!monitor_) return changes;
        while (UdevPtr<udev_device> dev{udev_monitor_receive_device(monitor_.get())}) {
            const char* action = udev_device_get_action(dev.get());
            if (!action) continue;
            const std::string what = action;
            int event;
            if (what == "add")
                event = kDeviceArrival;
            else if (what == "remove")
                event = kDeviceRemoveComplete;
            else
                continue;
            // A removed device has no parent left to ask; its path is all a
            // removal needs.
            const HidrawNode node = Describe(dev.get());
            if (node.devnode.empty()) continue;
            changes.push_back({event,
                               {kBroadcastDeviceInterface,
                                InterfaceName(node.vendorId, node.productId, node.devnode), node.devnode}});
        }
        return changes;
    }

private:
    UdevPtr<udev> udev_;
    UdevPtr<udev_monitor> monitor_;
};

}  // namespace

DeviceListing EnumerateHidraw(uint16_t vendorId, uint16_t productId) {
    DeviceListing listing;
    for (const HidrawNode& node : ListHidraw()) {
        if (!node.idsKnown || node.vendorId != vendorId || node.productId != productId) continue;
        // A box this user may not open (permissions, or held exclusively) is
        // not counted, only noted.
        const int fd = ::open(node.devnode.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            listing.unopened.push_back({node.devnode, errno});
            continue;
        }
        ::close(fd);
        ++listing.count;
        if (static_cast<int>(listing.paths.size()) < HidBackend::kMaxPaths)
            listing.paths.push_back(node.devnode);
    }
    return listing;
}

std::vector<uint8_t> HidrawReportDescriptor(const std::string& devnode) {
    for (const HidrawNode& node : ListHidraw()) {
        if (node.devnode != devnode || node.parentSyspath.empty()) continue;
        std::ifstream in(node.parentSyspath + "/report_descriptor", std::ios::binary);
        if (!in) return {};
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return {};
}

DeviceListing HidrawBackend::EnumDevices(uint16_t vendorId, uint16_t productId) {
    return EnumerateHidraw(vendorId, productId);
}

std::unique_ptr<HidTransport> HidrawBackend::NewTransport() {
    return std::make_unique<CHidBase>(log_);
}

std::unique_ptr<HotplugMonitor> HidrawBackend::NewHotplugMonitor() {
    auto monitor = std::make_unique<UdevHotplugMonitor>();
    if (!monitor->Valid()) return nullptr;
    return monitor;
}

}  // namespace caraudio
