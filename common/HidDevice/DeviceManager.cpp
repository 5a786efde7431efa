#include "DeviceManager.h"

#include "DeviceNames.h"
#include "ParamDatabase.h"

namespace caraudio {

CDeviceManager::CDeviceManager(HidBackend& backend, ParamDatabase& db, uint16_t vendorId, uint16_t productId,
                               LinkLog& log, Sleeper& sleeper, MessagePump& pump)
    : backend_(backend),
      db_(db),
      log_(log),
      sleeper_(sleeper),
      pump_(pump),
      vendorId_(vendorId),
      productId_(productId) {}

CDeviceManager::~CDeviceManager() {
    RegisterDeviceNotifications(false);
    hooks_ = {};  // the windows are gone by now
    if (protocol_) {
        protocol_->Close();
        protocol_.reset();
        db_.Disconnect();
    }
    if (recvThread_) recvThread_->Stop();
}

bool CDeviceManager::CreateRecvThread() {
    if (recvThread_) return false;
    auto thread = std::make_unique<CHidRecvThread>(log_);
    if (!thread->Start()) return false;
    recvThread_ = std::move(thread);
    return true;
}

int CDeviceManager::RefreshDeviceList() {
    devicePaths_.clear();
    deviceCount_ = 0;
    const DeviceListing listing = backend_.EnumDevices(vendorId_, productId_);
    devicePaths_ = listing.paths;
    if (static_cast<int>(devicePaths_.size()) > HidBackend::kMaxPaths)
        devicePaths_.resize(HidBackend::kMaxPaths);
    deviceCount_ = std::min(listing.count, HidBackend::kMaxPaths);
    unopened_ = listing.unopened;
    return deviceCount_;
}

bool CDeviceManager::ConnectDevice(int position) {
    if (position < 0 || position >= deviceCount_ || position >= static_cast<int>(devicePaths_.size())) {
        log_.Trace("ERROR - CDeviceManager::ConnectDevice invalid parameter.\n");
        return false;
    }
    // A copy: connecting refreshes nothing, but the list may change under a
    // reference during the steps below.
    const std::string path = devicePaths_[static_cast<size_t>(position)];
    return ConnectDevice(path);
}

bool CDeviceManager::ConnectDevice(const std::string& path) {
    if (protocol_) DisconnectDevice();
    std::unique_ptr<HidTransport> transport = backend_.NewTransport();
    if (!transport) {
        log_.Trace("ERROR - CreateDeviceProtocol failed.\n");
        return false;
    }
    protocol_ = std::make_shared<CProtocolDev>(std::move(transport), log_, sleeper_);
    protocol_->SetOwner(this);
    if (!protocol_->Init(vendorId_, productId_, path)) {
        log_.Trace("ERROR - CDeviceManager::ConnectDevice Init false\n");
        DisconnectDevice();
        return false;
    }
    if (!protocol_->OnConnectDevice(0)) {
        log_.Trace("ERROR - OnConnectDevice failed.\n");
        DisconnectDevice();
        return false;
    }
    connectedPath_ = path;
    OnDeviceConnected();
    return true;
}

void CDeviceManager::OnDeviceConnected() {
    Logf(db_.Log(), "CarAudio: ====Connect device=====\n");
    if (db_.Connect() == ConnectStatus::Connected &&
        db_.ReadImageOnConnect() != ParamDatabase::ConnectImage::Failed)
        db_.DumpParams();
    NotifyMainWindow(kConnectedLParam);
}

void CDeviceManager::DisconnectDevice() {
    if (!protocol_) return;
    protocol_->Close();
    protocol_.reset();
    Logf(db_.Log(), "CarAudio: ====Disconnect device=====\n");
    db_.Disconnect();
    NotifyMainWindow(kDisconnectedLParam);
}

bool CDeviceManager::SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) {
    if (!protocol_) {
        reply.fill(0);
        return false;
    }
    return protocol_->SendAndReceive(request, reply, tries, timeoutMs);
}

void CDeviceManager::OnNotification(CProtocol& from, const Frame& frame) {
    // Late replies and the box's own notifications change nothing. The frame
    // comes from the protocol that received it, so this never reads the
    // manager's protocol pointer, which the interface thread may be changing.
    from.OnNotify(frame.data() + kFramePayloadOffset, kFramePayloadSize);
    ++droppedFrames_;
}

int CDeviceManager::OnDeviceChange(int event, const DeviceBroadcast* broadcast) {
    if (!broadcast || broadcast->type != kBroadcastDeviceInterface) return 0;
    if (event == kDeviceArrival) {
        if (protocol_) return 0;
        uint16_t vid, pid;
        if (!ParseVidPid(broadcast->name, vid, pid) || vid != vendorId_ || pid != productId_) return 0;
        Logf(db_.Log(), "\nDBT_DEVICEARRIVAL \n");
        // The box needs a moment after it appears; the windows keep working.
        const std::string path = broadcast->path;
        pump_.PumpFor(kArrivalWaitMs);
        ConnectDevice(path);
        StartCompactTimer();
    } else if (event == kDeviceRemoveComplete) {
        if (!protocol_ || !SamePath(broadcast->path, connectedPath_)) return 0;
        Logf(db_.Log(), "DBT_DEVICEREMOVECOMPLETE \n");
        DisconnectDevice();
        sleeper_.SleepMs(kRemovalPauseMs);
        if (RefreshDeviceList() > 0) {
            ConnectDevice(0);
            StartCompactTimer();
        }
    }
    return 0;
}

int CDeviceManager::OnResume() {
    log_.Trace("休眠唤醒");
    DisconnectDevice();
    if (RefreshDeviceList() > 0) ConnectDevice(0);
    return 1;
}

bool CDeviceManager::RegisterDeviceNotifications(bool enable) {
    monitor_.reset();
    if (!enable) return true;
    monitor_ = backend_.NewHotplugMonitor();
    return monitor_ != nullptr;
}

void CDeviceManager::DispatchNotifications() {
    if (!monitor_) return;
    for (const DeviceChange& change : monitor_->TakeChanges()) {
        OnDeviceChange(change.event, &change.broadcast);
        if (!monitor_) break;  // unregistered while handling
    }
}

void CDeviceManager::NotifyMainWindow(int lParam) {
    if (hooks_.notifyMainWindow) hooks_.notifyMainWindow(lParam);
}

void CDeviceManager::StartCompactTimer() {
    if (hooks_.startCompactTimer) hooks_.startCompactTimer(kCompactRefreshTimerId, kCompactRefreshDelayMs);
}

}  // namespace caraudio
