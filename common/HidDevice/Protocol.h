#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "DeviceLink.h"
#include "Event.h"
#include "HidTransport.h"
#include "LinkLog.h"
#include "LinkTiming.h"

namespace caraudio {

class CHidRecvThread;
class CProtocol;

// What a protocol needs from the connection manager that owns it.
class ProtocolOwner {
public:
    virtual ~ProtocolOwner() = default;
    // Frames nobody waited for (late replies, the box's own notifications).
    // Called on the receive thread.
    virtual void OnNotification(CProtocol& from, const Frame& frame) = 0;
    virtual CHidRecvThread* ReceiveThread() = 0;
};

// The 64-byte request/reply protocol over one HID device: check byte,
// retries, matching each reply to the one waiting request.
class CProtocol : public std::enable_shared_from_this<CProtocol> {
public:
    static constexpr int kFrameLength = kFrameSize;
    static constexpr int kCheckedLength = kFrameSize - 1;

    CProtocol(std::unique_ptr<HidTransport> hid, LinkLog& log, Sleeper& sleeper);
    CProtocol(const CProtocol&) = delete;
    CProtocol& operator=(const CProtocol&) = delete;
    virtual ~CProtocol() = default;

    virtual bool OnNotify(const uint8_t* data, int length) = 0;
    virtual bool OnUnsolicited(const Frame& frame);
    virtual bool OnConnectDevice(int reserved);
    virtual void Close();
    virtual bool Init(uint16_t vendorId, uint16_t productId, const std::string& path);
    virtual bool CheckReply(const Frame& reply, uint8_t expected, int length);
    virtual bool Send(const uint8_t* frame, int length, int timeoutMs);
    virtual void OnReceive(const Frame* frame);

    // Adds the check byte to bytes 0..62 of the request, sends it and waits
    // for a valid reply, up to `tries` times of `timeoutMs` each.
    bool SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs);

    // The receive loop for this protocol, run by the receive thread until the
    // protocol closes or the thread is forced out.
    void DoRecvThreadProc(const std::atomic<bool>& forced);
    void WakeReader() { hid_->WakeReader(); }

    void SetOwner(ProtocolOwner* owner) { owner_ = owner; }
    const std::string& Path() const { return path_; }
    uint16_t VendorId() const { return vendorId_; }
    uint16_t ProductId() const { return productId_; }
    bool IsRunning() const { return running_; }

protected:
    // Called on the receive thread once a reply has been handed to the
    // waiting request, before the thread reads on. Tests hold the thread here
    // to order it against the sender.
    virtual void OnReplyTaken() {}

    LinkLog& log_;
    Sleeper& sleeper_;

private:
    ProtocolOwner* owner_ = nullptr;
    std::unique_ptr<HidTransport> hid_;
    std::string path_;

    std::mutex requestLock_;  // guards the four request fields below
    bool waiting_ = false;
    uint8_t expected_ = 0;
    // Where the receive thread copies the matching reply; the sender takes its
    // copy under the lock, so a duplicate reply can never change it mid-check.
    Frame received_{};

    Event receiveDone_{Event::Mode::ManualReset, false};
    Event replyEvent_{Event::Mode::AutoReset, false};
    std::atomic<bool> running_{false};
    // True from Attach until the receive loop has left this protocol; Close
    // only waits for a loop that serves it.
    std::atomic<bool> servedByThread_{false};
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
    int replyLength_ = kFrameLength;
    int requestLength_ = kFrameLength;
};

}  // namespace caraudio
