#include "Protocol.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "CheckByte.h"
#include "Clock.h"
#include "HidRecvThread.h"

namespace caraudio {
namespace {

constexpr int kIdleWaitMs = 2000;
constexpr int kRestartPauseMs = 400;
constexpr int kAttachPauseMs = 100;
constexpr int kCloseWaitMs = 3000;
constexpr int kReadRetryMs = 200;

}  // namespace

CProtocol::CProtocol(std::unique_ptr<HidTransport> hid, LinkLog& log, Sleeper& sleeper)
    : log_(log), sleeper_(sleeper), hid_(std::move(hid)) {}

bool CProtocol::OnUnsolicited(const Frame&) {
    return false;
}

bool CProtocol::Init(uint16_t vendorId, uint16_t productId, const std::string& path) {
    running_ = false;
    hid_->CloseDevice();
    vendorId_ = vendorId;
    productId_ = productId;
    replyLength_ = kFrameLength;
    requestLength_ = kFrameLength;
    path_ = path;
    return true;
}

bool CProtocol::OnConnectDevice(int) {
    if (!hid_->OpenDevice(path_)) {
        log_.Trace("ERROR - CProtocolDev::OnConnectDevice OpenDevice failed.\n");
        return false;
    }
    running_ = true;
    CHidRecvThread* thread = owner_ ? owner_->ReceiveThread() : nullptr;
    if (!thread) return false;
    // The thread may still be serving an earlier protocol that never let go:
    // start it afresh.
    if (!thread->WaitIdle(kIdleWaitMs)) {
        thread->Stop();
        sleeper_.SleepMs(kRestartPauseMs);
        thread->Start();
        sleeper_.SleepMs(kRestartPauseMs);
    }
    servedByThread_ = true;
    thread->Attach(shared_from_this());
    sleeper_.SleepMs(kAttachPauseMs);
    return true;
}

void CProtocol::Close() {
    receiveDone_.Reset();
    running_ = false;
    hid_->WakeReader();
    if (servedByThread_) receiveDone_.Wait(kCloseWaitMs);
    hid_->CloseDevice();
}

bool CProtocol::Send(const uint8_t* frame, int length, int timeoutMs) {
    return hid_->Write(frame, length, timeoutMs);
}

bool CProtocol::CheckReply(const Frame& reply, uint8_t expected, int length) {
    const uint8_t check = CheckByte(reply.data(), static_cast<size_t>(std::clamp(length, 0, kFrameLength)));
    if (check != reply[63]) {
        LINK_ERROR(log_, "CProtocol::CheckReply", kProtocolSource,
                   "CheckReply error: reply crc 0x%02x != 0x%02x  cmd=0x%02x", reply[63], check, reply[0]);
        return false;
    }
    if (reply[0] != expected) {
        LINK_ERROR(log_, "CProtocol::CheckReply", kProtocolSource,
                   "CheckReply error: reply cmd 0x%02x != 0x%02x", reply[0], expected);
        return false;
    }
    if (reply[3] != kStatusAccepted) {
        LINK_ERROR(log_, "CProtocol::CheckReply", kProtocolSource,
                   "CheckReply error: reply falg 0x%02x != 0x%02x  cmd=0x%02x", reply[3], kStatusAccepted,
                   reply[0]);
        return false;
    }
    return true;
}

bool CProtocol::SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) {
    request[63] = CheckByte(request.data(), kCheckedLength);
    reply.fill(0);
    replyEvent_.Reset();
    const uint8_t command = request[0];
    const auto expected = static_cast<uint8_t>(command + 1);
    {
        std::lock_guard lock(requestLock_);
        expected_ = expected;
        waiting_ = true;
    }
    bool ok = false;
    for (int attempt = 0; attempt < tries; ++attempt) {
        // One deadline covers the write and the wait for the reply: a box
        // that takes the frame late, or not at all, costs this try, no more.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        if (!Send(request.data(), requestLength_, timeoutMs)) {
            LINK_ERROR(log_, "CProtocol::SendAndReceive", kProtocolSource, "Send failed. cmd=0x%02x",
                       command);
            continue;
        }
        if (replyEvent_.WaitUntil(deadline)) {
            {
                std::lock_guard lock(requestLock_);
                reply = received_;
            }
            if (CheckReply(reply, expected, kCheckedLength)) {
                ok = true;
                break;
            }
        }
        // The same frame goes again; the reply event is not reset, so a late
        // reply to an earlier attempt still counts for this one.
        LINK_ERROR(log_, "CProtocol::SendAndReceive", kProtocolSource, "WaitTimeout. cmd=0x%02x", command);
    }
    {
        std::lock_guard lock(requestLock_);
        waiting_ = false;
    }
    return ok;
}

void CProtocol::OnReceive(const Frame* frame) {
    if (!frame) return;
    bool consumed = false;
    {
        std::lock_guard lock(requestLock_);
        if (waiting_ && (*frame)[0] == expected_) {
            std::memcpy(received_.data(), frame->data(), static_cast<size_t>(replyLength_));
            // Signalled under the lock: once the sender has cleared waiting_,
            // no reply to its request can set the event any more and wake
            // the next request on this frame.
            replyEvent_.Set();
            consumed = true;
        }
    }
    if (consumed) {
        OnReplyTaken();
        return;
    }
    if (!OnUnsolicited(*frame) && owner_) owner_->OnNotification(*this, *frame);
}

void CProtocol::DoRecvThreadProc(const std::atomic<bool>& forced) {
    SteadyClock clock;
    while (running_ && !forced) {
        const uint8_t* data = nullptr;
        const bool ok = hid_->Read(&data);
        if (!running_ || forced) break;
        if (ok) {
            // Copied out of the transport's buffer before it crosses threads.
            Frame frame;
            std::memcpy(frame.data(), data, frame.size());
            OnReceive(&frame);
            continue;
        }
        LINK_ERROR(log_, "CProtocol::DoRecvThreadProc", kProtocolSource,
                   " CProtocol::DoRecvThreadProc() -- read return %d, %ld", 0,
                   static_cast<long>(clock.TickCount()));
        // A real pause even where the connection steps' waits are counted: it
        // only paces retries against a box that is gone.
        RealSleeper().SleepMs(kReadRetryMs);
    }
    servedByThread_ = false;
    receiveDone_.Set();
}

}  // namespace caraudio
