#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

#include "../device/DeviceRig.h"
#include "CheckByte.h"
#include "HidBase.h"
#include "HidrawDevices.h"
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
    uint8_t frame[65] = {0x94};
    EXPECT_FALSE(hid.Write(frame, 64)) << "closed";
    const uint8_t* data;
    EXPECT_FALSE(hid.Read(&data));
    EXPECT_EQ(log.CountErrors("Please OpenDevice before Read."), 1);
    ASSERT_TRUE(hid.OpenDevice(bus.DevicePath(index)));
    log.Clear();
    EXPECT_FALSE(hid.OpenDevice(bus.DevicePath(index)));
    EXPECT_EQ(log.CountErrors("One device is already opened."), 1);
    EXPECT_FALSE(hid.Write(frame, 65));
    EXPECT_FALSE(hid.Write(nullptr, 10));
    EXPECT_FALSE(hid.Write(frame, 0));
    EXPECT_EQ(log.CountErrors("CHidBase::Write: invalide parameter."), 3);
    frame[63] = CheckByte(frame, 63);
    EXPECT_TRUE(hid.Write(frame, 64)) << "the first device is still open";
    ASSERT_TRUE(hid.Read(&data));
    EXPECT_EQ(data[0], 0x95) << "the frame starts right after the identifier";
    EXPECT_EQ(data[3], 0xFF);
    EXPECT_EQ(data[63], CheckByte(data, 63));
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

// The whole link over hidraw: connect, read, edit, unplug, plug back.
TEST_F(Hidraw, WholeLinkWithHotplug) {
    emulator::BoxMemory memory;
    // Every byte value, so nothing on the way may translate or swallow any.
    for (int o = 59; o < 1230; ++o) memory.current.SetByte(o, static_cast<uint8_t>(o * 7));
    memory.current.SetByte(4, 50);
    const int index = bus.Add({kVid, kPid, {}, true}, memory);
    ASSERT_GE(index, 0);
    CountingSleeper sleeper;
    HidrawBackend backend(linkLog);
    ParamDatabase db;
    db.SetDebugLog(&log);
    CDeviceManager manager(backend, db, kVid, kPid, linkLog, sleeper, sleeper);
    db.SetDeviceLink(&manager);
    std::vector<int> messages;
    manager.SetWindowHooks({[&](int lParam) { messages.push_back(lParam); }, {}});
    ASSERT_TRUE(manager.CreateRecvThread());
    ASSERT_TRUE(manager.RegisterDeviceNotifications(true));
    ASSERT_GE(manager.NotificationFd(), 0);

    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    EXPECT_EQ(db.GetParam(param::MainVol), 50);
    db.SetBandGain(4, 12, static_cast<uint16_t>(-350));
    db.SetMute(2, true);
    db.Throttle().Flush();
    EXPECT_EQ(bus.Firmware(index).CurrentImage(), db.Block());

    auto waitForChanges = [&] {
        pollfd p{manager.NotificationFd(), POLLIN, 0};
        return ::poll(&p, 1, 2000) == 1;
    };
    messages.clear();
    bus.Remove(index);
    ASSERT_TRUE(waitForChanges());
    manager.DispatchNotifications();
    EXPECT_FALSE(manager.IsOpen());
    EXPECT_EQ(messages, std::vector<int>{2});

    ASSERT_TRUE(bus.Restore(index));
    ASSERT_TRUE(waitForChanges());
    manager.DispatchNotifications();
    EXPECT_EQ(sleeper.pumped, 2000);
    EXPECT_TRUE(manager.IsOpen());
    EXPECT_TRUE(db.IsConnected());
    EXPECT_EQ(db.Block(), bus.Firmware(index).CurrentImage());
    EXPECT_EQ(messages, (std::vector<int>{2, 1}));
}

}  // namespace
}  // namespace caraudio::test
