#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "CheckByte.h"
#include "DeviceRig.h"

namespace caraudio::test {
namespace {

Frame Sealed(std::initializer_list<std::pair<int, uint8_t>> bytes) {
    Frame f{};
    for (auto [at, v] : bytes) f[static_cast<size_t>(at)] = v;
    f[63] = CheckByte(f.data(), 63);
    return f;
}

class NoOwnerProtocol final : public CProtocol {
public:
    using CProtocol::CProtocol;
    bool OnNotify(const uint8_t*, int) override { return true; }
};

// A box that takes reports and never answers by itself.
class SilentTransport : public HidTransport {
public:
    bool OpenDevice(const std::string&) override { return true; }
    bool Read(const uint8_t**) override { return false; }
    void CloseDevice() override {}
    void WakeReader() override {}
    int InputReportLength() const override { return 65; }
    int OutputReportLength() const override { return 65; }
};

// A transport whose writes the test can wait for.
class WatchedTransport final : public SilentTransport {
public:
    bool Write(const uint8_t*, int, int) override {
        {
            std::lock_guard lock(mutex_);
            ++writes_;
        }
        written_.notify_all();
        return true;
    }

    // Bounded, so a test that goes wrong ends instead of hanging.
    void WaitForWrites(int n) {
        std::unique_lock lock(mutex_);
        written_.wait_for(lock, std::chrono::seconds(30), [&] { return writes_ >= n; });
    }

private:
    std::mutex mutex_;  // guards writes_
    std::condition_variable written_;
    int writes_ = 0;
};

// Holds the receive thread right after it has handed a reply over.
class HeldReceiver final : public CProtocol {
public:
    HeldReceiver(std::unique_ptr<HidTransport> hid, LinkLog& log, Sleeper& sleeper,
                 std::function<void()> hold)
        : CProtocol(std::move(hid), log, sleeper), hold_(std::move(hold)) {}
    bool OnNotify(const uint8_t*, int) override { return true; }

protected:
    void OnReplyTaken() override { hold_(); }

private:
    std::function<void()> hold_;
};

// The receive thread takes the reply to the first of two parameter frames and
// is held before it goes on. The reply came while the first request waited,
// so it answers that one; the second request, sent while the thread is held,
// must not wake on it (same command: the stale frame would pass every check).
TEST(Protocol, AReplyNeverAnswersTheRequestAfterItsOwn) {
    SharedLog log;
    LinkLog linkLog(&log, &log);
    CountingSleeper sleeper;
    auto transport = std::make_unique<WatchedTransport>();
    WatchedTransport& wire = *transport;
    HeldReceiver p(std::move(transport), linkLog, sleeper, [&] { wire.WaitForWrites(2); });
    std::thread receiveThread([&] {
        wire.WaitForWrites(1);
        const Frame reply = Sealed({{0, 0x9D}, {3, 0xFF}});
        p.OnReceive(&reply);
    });
    Frame first = Sealed({{0, 0x9C}, {2, 0}});
    Frame second = Sealed({{0, 0x9C}, {2, 1}});
    Frame reply;
    // Generous timeouts: neither may run out just because a thread was slow.
    const bool firstAnswered = p.SendAndReceive(first, reply, 1, 2000);
    const bool secondAnswered = p.SendAndReceive(second, reply, 1, 500);
    receiveThread.join();
    EXPECT_TRUE(firstAnswered);
    EXPECT_FALSE(secondAnswered) << "the second request took the first one's reply";
}

// A box that takes each report late, though within the time its try allows.
class LateTakingTransport final : public SilentTransport {
public:
    bool Write(const uint8_t*, int, int) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return true;
    }
};

// The time of a try covers its write and the wait for the reply together: a
// try of 2000 ms whose write took 1500 ms waits 500 ms more, not 2000.
// Bounded far from both, not timed.
TEST(Protocol, ATryLastsItsTimeoutWhateverTheWriteTook) {
    SharedLog log;
    LinkLog linkLog(&log, &log);
    CountingSleeper sleeper;
    NoOwnerProtocol p(std::make_unique<LateTakingTransport>(), linkLog, sleeper);
    Frame request = Sealed({{0, 0x94}});
    Frame reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(p.SendAndReceive(request, reply, 1, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000))
        << "the reply wait started afresh after the write";
    EXPECT_EQ(log.CountErrors("WaitTimeout. cmd=0x94"), 1);
}

TEST(Protocol, CheckReplyTellsWhatIsWrong) {
    SharedLog log;
    LinkLog linkLog(&log, &log);
    CountingSleeper sleeper;
    emulator::EmulatedHidBackend bus(kVid, kPid);
    NoOwnerProtocol p(bus.NewTransport(), linkLog, sleeper);
    Frame badCheck = Sealed({{0, 0x95}, {3, 0xFF}});
    badCheck[63] ^= 1;
    const struct {
        const char* what;
        Frame reply;
        bool ok;
        const char* error;
    } cases[] = {
        {"good", Sealed({{0, 0x95}, {3, 0xFF}}), true, nullptr},
        {"check byte", badCheck, false, "CheckReply error: reply crc 0x"},
        {"command", Sealed({{0, 0x97}, {3, 0xFF}}), false, "CheckReply error: reply cmd 0x97 != 0x95"},
        {"status", Sealed({{0, 0x95}, {3, 0x00}}), false,
         "CheckReply error: reply falg 0x00 != 0xff  cmd=0x95"},
    };
    for (const auto& c : cases) {
        log.Clear();
        EXPECT_EQ(p.CheckReply(c.reply, 0x95, 63), c.ok) << c.what;
        if (c.error) {
            ASSERT_EQ(log.Errors().size(), 1u) << c.what;
            EXPECT_NE(log.Errors()[0].find(c.error), std::string::npos) << log.Errors()[0];
            EXPECT_EQ(log.Errors()[0].rfind("CProtocol::CheckReply: ", 0), 0u);
        } else {
            EXPECT_TRUE(log.Errors().empty());
        }
    }
}

TEST(Protocol, ErrorLinesGoToTheDebugLogWithoutALogger) {
    SharedLog log;
    LinkLog linkLog(&log, nullptr);
    LINK_ERROR(linkLog, "CProtocol::SendAndReceive", kProtocolSource, "WaitTimeout. cmd=0x%02x", 0x94);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(
        log.Lines()[0].rfind("WaitTimeout. cmd=0x94 CProtocol::SendAndReceive common/HidDevice/Protocol:", 0),
        0u);
}

// Each faulty reply costs one attempt, with its own line, and the same frame
// goes again.
TEST(Protocol, FaultyRepliesAreRetried) {
    const struct {
        const char* what;
        void (*inject)(emulator::BoxFirmware&);
        int faults;
        const char* line;
    } cases[] = {
        {"dropped", [](emulator::BoxFirmware& f) { f.DropReplies(2); }, 2, "WaitTimeout. cmd=0x94"},
        {"check byte", [](emulator::BoxFirmware& f) { f.CorruptCheckByte(1); }, 1, "reply crc"},
        {"status", [](emulator::BoxFirmware& f) { f.WrongStatus(3); }, 3, "reply falg 0x00 != 0xff"},
        {"all five lost", [](emulator::BoxFirmware& f) { f.DropReplies(5); }, 5, "WaitTimeout. cmd=0x94"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceRig rig;
        auto& box = rig.AddBox();
        ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
        box.Firmware().ClearRequests();
        rig.log.Clear();
        c.inject(box.Firmware());
        const bool ok = rig.db.GetDeviceCurrentMode();
        EXPECT_EQ(ok, c.faults < 5);
        EXPECT_EQ(box.Firmware().RequestCount(0x94), std::min(c.faults + 1, 5));
        EXPECT_EQ(rig.log.CountErrors(c.line), c.faults);
        const auto sent = box.Firmware().Requests();
        for (const Frame& f : sent) EXPECT_EQ(f, sent.front()) << "resent unchanged";
    }
}

TEST(Protocol, LateReplyGoesToTheNotificationPath) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    box.Firmware().ClearRequests();
    const int droppedBefore = rig.manager.DroppedFrameCount();
    box.Firmware().DelayReplies(300, 1);  // later than the 200 ms a request waits
    ASSERT_TRUE(rig.db.GetDeviceCurrentMode());
    EXPECT_EQ(box.Firmware().RequestCount(0x94), 2) << "sent again after the first wait ran out";
    EXPECT_EQ(rig.log.CountErrors("WaitTimeout. cmd=0x94"), 1);
    // The first reply turns up after the second one was taken.
    for (int i = 0; i < 100 && rig.manager.DroppedFrameCount() == droppedBefore; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(rig.manager.DroppedFrameCount(), droppedBefore + 1);
    EXPECT_TRUE(rig.db.Pending().Empty());
}

TEST(Protocol, NotificationsFromTheBoxChangeNothing) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    const EffectBlock before = rig.db.Block();
    const uint8_t payload[] = {1, 2, 3};
    box.SendNotification(payload, sizeof payload);
    for (int i = 0; i < 100 && rig.manager.DroppedFrameCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(rig.manager.DroppedFrameCount(), 1);
    EXPECT_EQ(rig.db.Block(), before);
    EXPECT_TRUE(rig.db.IsConnected());
    EXPECT_TRUE(rig.db.GetDeviceCurrentMode()) << "the link still works";
}

TEST(Protocol, ZeroTriesSendNothing) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    box.Firmware().ClearRequests();
    Frame request{};
    request[0] = 0x94;
    Frame reply;
    EXPECT_FALSE(rig.manager.SendAndReceive(request, reply, 0, 200));
    EXPECT_TRUE(box.Firmware().Requests().empty());
}

TEST(Protocol, CommandFFExpectsReplyCommand00) {
    DeviceRig rig;
    rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    rig.log.Clear();
    Frame request{};
    request[0] = 0xFF;  // the box refuses an unknown command: its reply 0x00 says so
    Frame reply;
    EXPECT_FALSE(rig.manager.SendAndReceive(request, reply, 2, 200));
    EXPECT_EQ(rig.log.CountErrors("reply falg 0x00 != 0xff  cmd=0x00"), 2) << "the 0x00 reply was matched";
    EXPECT_EQ(reply[0], 0x00);
}

TEST(Protocol, SecondProtocolWhileTheFirstIsServedRestartsTheThread) {
    SharedLog log;
    LinkLog linkLog(&log, &log);
    CountingSleeper sleeper;
    emulator::EmulatedHidBackend bus(kVid, kPid);
    bus.AddBox();
    CHidRecvThread thread(linkLog);
    ASSERT_TRUE(thread.Start());
    struct Owner final : ProtocolOwner {
        explicit Owner(CHidRecvThread& t) : thread(t) {}
        void OnNotification(CProtocol&, const Frame&) override {}
        CHidRecvThread* ReceiveThread() override { return &thread; }
        CHidRecvThread& thread;
    } owner(thread);
    auto first = std::make_shared<CProtocolDev>(bus.NewTransport(), linkLog, sleeper);
    first->SetOwner(&owner);
    first->Init(kVid, kPid, "emulator:0");
    ASSERT_TRUE(first->OnConnectDevice(0));
    EXPECT_EQ(sleeper.slept, 100);
    // The first is never closed, so the thread does not come back idle: after
    // its 2000 ms the second connection restarts the thread.
    auto second = std::make_shared<CProtocolDev>(bus.NewTransport(), linkLog, sleeper);
    second->SetOwner(&owner);
    second->Init(kVid, kPid, "emulator:0");
    ASSERT_TRUE(second->OnConnectDevice(0));
    EXPECT_EQ(sleeper.slept, 100 + 400 + 400 + 100);
    Frame request{};
    request[0] = 0x94;
    Frame reply;
    EXPECT_TRUE(second->SendAndReceive(request, reply, 5, 200));
    first->Close();
    second->Close();
    thread.Stop();
}

TEST(Protocol, ClosingAProtocolTheThreadNeverServedDoesNotWait) {
    SharedLog log;
    LinkLog linkLog(&log, &log);
    CountingSleeper sleeper;
    emulator::EmulatedHidBackend bus(kVid, kPid);
    bus.AddBox();
    auto p = std::make_shared<CProtocolDev>(bus.NewTransport(), linkLog, sleeper);
    p->Init(kVid, kPid, "emulator:0");
    EXPECT_FALSE(p->OnConnectDevice(0)) << "no owner, no receive thread";
    // The wait for a receive loop is 3000 ms; nothing serves this protocol,
    // so Close must not spend it. Bounded far below, not timed.
    const auto start = std::chrono::steady_clock::now();
    p->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_FALSE(p->IsRunning());
}

}  // namespace
}  // namespace caraudio::test
