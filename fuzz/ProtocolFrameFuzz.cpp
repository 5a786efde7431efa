// Frames from the box through the protocol's receive path: each request
// "sent" is answered at once by the next 64 input bytes, delivered through
// OnReceive as the receive thread would. Matching, checking and the
// notification path must hold whatever arrives.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "Protocol.h"

using namespace caraudio;

namespace {

class ScriptedTransport;

class FuzzProtocol final : public CProtocol {
public:
    using CProtocol::CProtocol;
    bool OnNotify(const uint8_t* data, int length) override { return data && length <= kFramePayloadSize; }
};

class Owner final : public ProtocolOwner {
public:
    void OnNotification(CProtocol&, const Frame&) override { ++notified; }
    CHidRecvThread* ReceiveThread() override { return nullptr; }
    int notified = 0;
};

class ScriptedTransport final : public HidTransport {
public:
    ScriptedTransport(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    void SetProtocol(CProtocol* p) { protocol_ = p; }
    bool OpenDevice(const std::string&) override { return true; }
    bool Write(const uint8_t*, int, int) override {
        // Up to two frames per request: a reply, and perhaps a stray one.
        for (int i = 0; i < 2 && used_ + kFrameSize <= size_; ++i) {
            Frame f;
            std::memcpy(f.data(), data_ + used_, kFrameSize);
            used_ += kFrameSize;
            protocol_->OnReceive(&f);
        }
        return used_ < size_;
    }
    bool Read(const uint8_t**) override { return false; }
    void CloseDevice() override {}
    void WakeReader() override {}
    int InputReportLength() const override { return 65; }
    int OutputReportLength() const override { return 65; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
    CProtocol* protocol_ = nullptr;
};

class NoSleep final : public Sleeper {
public:
    void SleepMs(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    LinkLog log;
    NoSleep sleeper;
    auto transport = std::make_unique<ScriptedTransport>(data + 1, size - 1);
    ScriptedTransport* t = transport.get();
    FuzzProtocol protocol(std::move(transport), log, sleeper);
    t->SetProtocol(&protocol);
    Owner owner;
    protocol.SetOwner(&owner);
    protocol.OnReceive(nullptr);
    for (int round = 0; round < 8; ++round) {
        Frame request{};
        request[0] = static_cast<uint8_t>(data[0] + round);
        Frame reply;
        const bool ok = protocol.SendAndReceive(request, reply, 3, 0);
        if (ok) {
            FUZZ_CHECK(reply[0] == static_cast<uint8_t>(request[0] + 1));
            FUZZ_CHECK(reply[3] == kStatusAccepted);
            FUZZ_CHECK(protocol.CheckReply(reply, reply[0], 63));
        }
    }
    // Nobody waits now: everything goes to the notification path.
    const int before = owner.notified;
    Frame stray{};
    std::memcpy(stray.data(), data, std::min<size_t>(size, kFrameSize));
    protocol.OnReceive(&stray);
    FUZZ_CHECK(owner.notified == before + 1);
    return 0;
}
