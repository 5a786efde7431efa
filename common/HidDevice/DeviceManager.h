#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DeviceLink.h"
#include "HidRecvThread.h"
#include "HidTransport.h"
#include "LinkLog.h"
#include "LinkTiming.h"
#include "ProtocolDev.h"

namespace caraudio {

class ParamDatabase;

// Owns the connection to the box: the device list, the open protocol, the
// receive thread, and what follows arrival, removal and resume.
// Everything but OnNotification runs on the interface thread.
class CDeviceManager final : public DeviceLink, public ProtocolOwner {
public:
    static constexpr int kMessageDeviceChanged = 0x464;  // to the main window
    static constexpr int kMessageWParam = 0x100;
    static constexpr int kConnectedLParam = 1;
    static constexpr int kDisconnectedLParam = 2;
    static constexpr int kCompactRefreshTimerId = 10523;
    static constexpr int kCompactRefreshDelayMs = 2000;
    static constexpr int kArrivalWaitMs = 2000;
    static constexpr int kRemovalPauseMs = 200;

    // How the manager reaches the windows: the main window's device message
    // (only while one is registered) and the compact window's refresh timer.
    struct WindowHooks {
        std::function<void(int lParam)> notifyMainWindow;
        std::function<void(int timerId, int delayMs)> startCompactTimer;
    };

    CDeviceManager(HidBackend& backend, ParamDatabase& db, uint16_t vendorId, uint16_t productId,
                   LinkLog& log, Sleeper& sleeper, MessagePump& pump);
    ~CDeviceManager() override;

    bool CreateRecvThread();
    void SetWindowHooks(WindowHooks hooks) { hooks_ = std::move(hooks); }

    // DeviceLink
    bool IsOpen() const override { return protocol_ != nullptr; }
    int RefreshDeviceList() override;
    bool ConnectDevice(int position) override;
    bool SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) override;

    bool ConnectDevice(const std::string& path);
    void DisconnectDevice();
    // The connected path while a box is open, else null.
    const std::string* ConnectedPath() const { return protocol_ ? &connectedPath_ : nullptr; }
    int DeviceCount() const { return deviceCount_; }
    const std::vector<std::string>& DevicePaths() const { return devicePaths_; }
    // Matching boxes the last listing found but could not open.
    const std::vector<UnopenedBox>& Unopened() const { return unopened_; }
    uint16_t VendorId() const { return vendorId_; }
    uint16_t ProductId() const { return productId_; }

    // Frames that arrived with nobody waiting for them (late replies, the
    // box's own notifications); they are dropped, only counted.
    int DroppedFrameCount() const { return droppedFrames_; }

    // ProtocolOwner
    void OnNotification(CProtocol& from, const Frame& frame) override;
    CHidRecvThread* ReceiveThread() override { return recvThread_.get(); }

    // Device arrival and removal; returns the message result (0).
    int OnDeviceChange(int event, const DeviceBroadcast* broadcast);
    // Resume from sleep; returns the message result (1).
    int OnResume();

    // Starts (true) or stops (false) following device arrival and removal.
    // While on, NotificationFd() becomes readable when changes wait;
    // DispatchNotifications() then hands them to OnDeviceChange.
    bool RegisterDeviceNotifications(bool enable);
    int NotificationFd() const { return monitor_ ? monitor_->Fd() : -1; }
    void DispatchNotifications();

private:
    void OnDeviceConnected();
    void NotifyMainWindow(int lParam);
    void StartCompactTimer();

    HidBackend& backend_;
    ParamDatabase& db_;
    LinkLog& log_;
    Sleeper& sleeper_;
    MessagePump& pump_;
    WindowHooks hooks_;

    int deviceCount_ = 0;
    std::vector<std::string> devicePaths_;
    std::vector<UnopenedBox> unopened_;
    const uint16_t vendorId_;
    const uint16_t productId_;
    std::string connectedPath_;
    // Shared with the receive thread while it serves the box, so the object
    // outlives any read still in progress when the box is let go.
    std::shared_ptr<CProtocolDev> protocol_;
    std::unique_ptr<CHidRecvThread> recvThread_;
    std::unique_ptr<HotplugMonitor> monitor_;
    std::atomic<int> droppedFrames_{0};  // written by the receive thread
};

}  // namespace caraudio
