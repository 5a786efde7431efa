#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <thread>

#include "../device/DeviceRig.h"
#include "HidBase.h"
#include "HidrawDevices.h"
#include "HidrawIo.h"
#include "UmockdevBox.h"

namespace caraudio::test {
namespace {

using emulator::UmockdevBus;

class Hidraw : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UmockdevBus::InMockEnvironment()) GTEST_SKIP() << "needs umockdev-wrapper";
    }

    int AddBox(const std::string& descriptor = {}) { return bus.Add({kVid, kPid, descriptor, true}); }

    SharedLog log;
    LinkLog linkLog{&log, &log};
    UmockdevBus bus;
};

TEST_F(Hidraw, ListingCountsOpenableMatchingBoxes) {
    for (int i = 0; i < 12; ++i) ASSERT_GE(AddBox(), 0);
    ASSERT_GE(bus.Add({kVid, static_cast<uint16_t>(kPid + 1), {}, true}), 0);  // another product
    ASSERT_GE(bus.Add({kVid, kPid, {}, false}), 0);                            // no node to open
    const DeviceListing listing = EnumerateHidraw(kVid, kPid);
    EXPECT_EQ(listing.count, 12);
    ASSERT_EQ(listing.paths.size(), 10u);
    EXPECT_EQ(listing.paths[0], "/dev/hidraw0");
    ASSERT_EQ(listing.unopened.size(), 1u);
    EXPECT_EQ(listing.unopened[0].error, ENOENT);
    EXPECT_EQ(EnumerateHidraw(0x1111, 0x2222).count, 0);
}

TEST_F(Hidraw, ReportLengthsComeFromTheDescriptor) {
    const int good = AddBox();
    const int noOutput = AddBox("0600FF 0901 A101 7508 9540 8102 C0");
    const int tooLong = AddBox("0600FF 0901 A101 7508 9540 8102 96C800 9102 C0");
    CHidBase hid(linkLog);
    ASSERT_TRUE(hid.OpenDevice(bus.DevicePath(good)));
    EXPECT_EQ(hid.InputReportLength(), 65);
    EXPECT_EQ(hid.OutputReportLength(), 65);
    hid.CloseDevice();
    EXPECT_EQ(hid.InputReportLength(), 0);
    EXPECT_EQ(hid.DevicePath(), bus.DevicePath(good)) << "kept after closing";
    for (int index : {noOutput, tooLong}) {
        log.Clear();
        EXPECT_FALSE(hid.OpenDevice(bus.DevicePath(index)));
        EXPECT_EQ(log.CountErrors("CHidBase::OpenDevice: invalide device report byte length."), 1);
    }
    EXPECT_FALSE(hid.OpenDevice("/dev/hidraw99"));
    log.Clear();
    EXPECT_FALSE(hid.OpenDevice(""));
    EXPECT_EQ(log.CountErrors("Invalid parameter."), 1);
}

TEST_F(Hidraw, WriteChecksItsLengthAndSecondOpenIsRefused) {
    const int index = AddBox();
    CHidBase hid(linkLog);
    // A 0x94 request and its check byte.
    uint8_t frame[65] = {0x94};
    frame[63] = 0x6B;
    EXPECT_FALSE(hid.Write(frame, 64, 200)) << "closed";
    const uint8_t* data;
    EXPECT_FALSE(hid.Read(&data));
    EXPECT_EQ(log.CountErrors("Please OpenDevice before Read."), 1);
    ASSERT_TRUE(hid.OpenDevice(bus.DevicePath(index)));
    log.Clear();
    EXPECT_FALSE(hid.OpenDevice(bus.DevicePath(index)));
    EXPECT_EQ(log.CountErrors("One device is already opened."), 1);
    EXPECT_FALSE(hid.Write(frame, 65, 200));
    EXPECT_FALSE(hid.Write(nullptr, 10, 200));
    EXPECT_FALSE(hid.Write(frame, 0, 200));
    EXPECT_EQ(log.CountErrors("CHidBase::Write: invalide parameter."), 3);
    EXPECT_TRUE(hid.Write(frame, 64, 200)) << "the first device is still open";
    ASSERT_TRUE(hid.Read(&data));
    // Mode 1, image size 1230 (CE 04), check byte AC; the frame starts right
    // after the identifier.
    Frame expected{0x95, 0x00, 0x00, 0xFF, 0x01, 0xCE, 0x04};
    expected[63] = 0xAC;
    Frame got;
    std::copy(data, data + kFrameSize, got.begin());
    EXPECT_EQ(got, expected);
}

TEST_F(Hidraw, ReportsArriveOneAtATime) {
    const int index = AddBox();
    CHidBase hid(linkLog);
    ASSERT_TRUE(hid.OpenDevice(bus.DevicePath(index)));
    const uint8_t a[] = {1}, b[] = {2};
    bus.SendNotification(index, a, 1);
    bus.SendNotification(index, b, 1);
    const uint8_t* data;
    ASSERT_TRUE(hid.Read(&data));
    EXPECT_EQ(data[0], 0x7E);
    EXPECT_EQ(data[4], 1);
    ASSERT_TRUE(hid.Read(&data));
    EXPECT_EQ(data[4], 2);
}

TEST_F(Hidraw, WakeReaderReleasesABlockedRead) {
    const int index = AddBox();
    CHidBase hid(linkLog);
    ASSERT_TRUE(hid.OpenDevice(bus.DevicePath(index)));
    bool ok = false;
    std::array<uint8_t, 64> got;
    got.fill(0xAA);
    std::thread reader([&] {
        const uint8_t* data;
        ok = hid.Read(&data);
        if (ok) std::copy(data, data + 64, got.begin());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    hid.WakeReader();
    reader.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, (std::array<uint8_t, 64>{}));
}

// The model and the connection manager on the real hidraw code.
struct HidrawLink {
    HidrawLink(SharedLog& log, LinkLog& linkLog)
        : backend(linkLog), manager(backend, db, kVid, kPid, linkLog, sleeper, sleeper) {
        db.SetDebugLog(&log);
        db.SetDeviceLink(&manager);
        manager.SetWindowHooks({[this](int lParam) { messages.push_back(lParam); }, {}});
    }

    CountingSleeper sleeper;
    HidrawBackend backend;
    ParamDatabase db;
    CDeviceManager manager;
    std::vector<int> messages;
};

// The whole link over hidraw: connect, read, edit, unplug, plug back.
TEST_F(Hidraw, WholeLinkWithHotplug) {
    emulator::BoxMemory memory;
    // Every byte value, so nothing on the way may translate or swallow any.
    for (int o = 59; o < 1230; ++o) memory.current.SetByte(o, static_cast<uint8_t>(o * 7));
    memory.current.SetByte(4, 50);
    const int index = bus.Add({kVid, kPid, {}, true}, memory);
    ASSERT_GE(index, 0);
    HidrawLink link(log, linkLog);
    ASSERT_TRUE(link.manager.CreateRecvThread());
    ASSERT_TRUE(link.manager.RegisterDeviceNotifications(true));
    ASSERT_GE(link.manager.NotificationFd(), 0);

    ASSERT_EQ(link.db.Connect(), ConnectStatus::Connected);
    EXPECT_EQ(link.db.GetParam(param::MainVol), 50);
    link.db.SetBandGain(4, 12, static_cast<uint16_t>(-350));
    link.db.SetMute(2, true);
    link.db.Throttle().Flush();
    EXPECT_EQ(bus.Firmware(index).CurrentImage(), link.db.Block());

    auto waitForChanges = [&] {
        pollfd p{link.manager.NotificationFd(), POLLIN, 0};
        return ::poll(&p, 1, 2000) == 1;
    };
    link.messages.clear();
    bus.Remove(index);
    ASSERT_TRUE(waitForChanges());
    link.manager.DispatchNotifications();
    EXPECT_FALSE(link.manager.IsOpen());
    EXPECT_EQ(link.messages, std::vector<int>{2});

    ASSERT_TRUE(bus.Restore(index));
    ASSERT_TRUE(waitForChanges());
    link.manager.DispatchNotifications();
    EXPECT_EQ(link.sleeper.pumped, 2000);
    EXPECT_TRUE(link.manager.IsOpen());
    EXPECT_TRUE(link.db.IsConnected());
    EXPECT_EQ(link.db.Block(), bus.Firmware(index).CurrentImage());
    EXPECT_EQ(link.messages, (std::vector<int>{2, 1}));
}

// Fills the node of a box that has stopped taking reports until it takes
// nothing for a while; returns how many writes it took. The node is a
// terminal here, not a report device: it takes a report in pieces when it is
// nearly full.
int FillNode(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    const uint8_t junk[65] = {0, 0x42};  // the box would ignore it: wrong check byte
    int taken = 0;
    for (; taken < 1000000; ++taken) {
        const int error = WriteReportWithin(fd, junk, sizeof junk, 300);
        if (error != 0 && error != EIO) break;
    }
    ::close(fd);
    return taken;
}

// A connected box that stops taking reports and whose node fills up.
class StalledBox : public Hidraw {
protected:
    // With holdWrites the node holds the link's writes in the kernel until
    // the box takes them, as a real hidraw node does whatever O_NONBLOCK
    // says; without, it pushes back as a full terminal does.
    void ConnectAndStall(bool holdWrites) {
        index = AddBox();
        ASSERT_GE(index, 0);
        ASSERT_TRUE(link.manager.CreateRecvThread());
        ASSERT_EQ(link.db.Connect(), ConnectStatus::Connected);
        if (holdWrites) {
            ASSERT_EQ(bus.HoldWritesLikeHidraw(index), 1) << "the link's write descriptor";
        }
        bus.SetTakingReports(index, false);
        // About a second.
        ASSERT_GT(FillNode(bus.DevicePath(index)), 0) << "the node took reports until it was full";
        log.Clear();
    }

    // Runs one step of the interface thread. A step that has not come back
    // after ten seconds waits for the box: the box then reads again so the
    // step can end, and the test fails.
    template <typename Step>
    auto WithoutWaitingForTheBox(Step step) {
        auto done = std::async(std::launch::async, step);
        if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            bus.SetTakingReports(index, true);
            done.wait();
            ADD_FAILURE() << "the interface thread waited for the box to take a report";
        }
        return done.get();
    }

    HidrawLink link{log, linkLog};
    int index = -1;
};

// A box that is attached but has stopped taking reports: its node fills up,
// and from then on each try of a request fails at the write within the
// request's timeout instead of holding the interface thread in write().
TEST_F(StalledBox, ANodeThatPushesBackCostsEachTryItsTimeoutAtMost) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndStall(false));
    EXPECT_FALSE(WithoutWaitingForTheBox([&] { return link.db.GetDeviceCurrentMode(); }));
    EXPECT_EQ(log.CountErrors("CHidBase::Write: error code 11"), 5) << "EAGAIN, once per try";
    EXPECT_EQ(log.CountErrors("Send failed. cmd=0x94"), 5);
    EXPECT_EQ(log.CountErrors("WaitTimeout. cmd=0x94"), 0) << "no try waited for a reply";

    bus.SetTakingReports(index, true);
    EXPECT_TRUE(link.db.GetDeviceCurrentMode()) << "the link works again once the box reads";
}

// The box reads nothing while the request runs, so a request that comes back
// did not wait for its write to be taken: each try fails within its own time.
TEST_F(StalledBox, AWriteHeldInTheKernelCostsEachTryItsTimeoutAtMost) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndStall(true));
    EXPECT_FALSE(WithoutWaitingForTheBox([&] { return link.db.GetDeviceCurrentMode(); }));
    EXPECT_EQ(log.CountErrors("Send failed. cmd=0x94"), 5);
    EXPECT_EQ(log.CountErrors("WaitTimeout. cmd=0x94"), 0) << "no try waited for a reply";
    // A report went into the kernel and stayed there; the tries after it
    // found it still there and sent nothing.
    EXPECT_EQ(
        log.CountErrors("CHidBase::Write: error code 11") + log.CountErrors("CHidBase::Write: error code 16"),
        5)
        << "EAGAIN (not taken in time) or EBUSY (an earlier one still held)";
    EXPECT_GE(log.CountErrors("CHidBase::Write: error code 16"), 1);

    bus.SetTakingReports(index, true);
    EXPECT_TRUE(link.db.GetDeviceCurrentMode()) << "the link works again once the box reads";
}

// Letting the box go while its write is held in the kernel does not wait for
// the write; the write ends on its own once the box reads, and then lets go of
// the node.
TEST_F(StalledBox, ClosingWhileAWriteIsHeldInTheKernelDoesNotWaitForIt) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndStall(true));
    EXPECT_FALSE(WithoutWaitingForTheBox([&] { return link.db.GetDeviceCurrentMode(); }));

    WithoutWaitingForTheBox([&] { link.manager.DisconnectDevice(); });
    EXPECT_FALSE(link.manager.IsOpen());
    EXPECT_FALSE(bus.WaitUntilNodeClosed(index, 0)) << "the held write still has the node";

    bus.SetTakingReports(index, true);
    EXPECT_TRUE(bus.WaitUntilNodeClosed(index, 10000)) << "the held write ended and let go of the node";
    ASSERT_EQ(link.db.Connect(), ConnectStatus::Connected);
    EXPECT_TRUE(link.db.GetDeviceCurrentMode());
}

}  // namespace
}  // namespace caraudio::test
