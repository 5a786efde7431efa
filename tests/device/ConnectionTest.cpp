#include <gtest/gtest.h>

#include "DeviceRig.h"

namespace caraudio::test {
namespace {

EffectBlock Patterned(uint8_t seed) {
    EffectBlock b = DefaultEffectBlock();
    for (int o = 100; o < 1100; ++o) b.SetByte(o, static_cast<uint8_t>(o * seed));
    return b;
}

TEST(Connection, OpeningABoxReadsItsImageAndTellsTheMainWindow) {
    DeviceRig rig;
    emulator::BoxMemory memory;
    memory.current = Patterned(3);
    memory.modeNumber = 4;
    memory.inputMode = 1;
    auto& box = rig.bus.AddBox(memory);
    ASSERT_EQ(rig.manager.RefreshDeviceList(), 1);
    ASSERT_TRUE(rig.manager.ConnectDevice(0));
    EXPECT_TRUE(rig.db.IsConnected());
    EXPECT_EQ(rig.db.Block(), memory.current);
    EXPECT_EQ(rig.db.CurrentDeviceMode(), 3);
    EXPECT_EQ(rig.db.InputChannelMode(), 1);
    EXPECT_EQ(rig.db.ReportedImageSize(), 1230);
    EXPECT_EQ(rig.messages, std::vector<int>{1});
    ASSERT_NE(rig.manager.ConnectedPath(), nullptr);
    EXPECT_EQ(*rig.manager.ConnectedPath(), box.Path());
    const auto& f = box.Firmware();
    EXPECT_EQ(f.RequestCount(0x0E), 1);
    EXPECT_EQ(f.RequestCount(0x90), 1);
    EXPECT_EQ(f.RequestCount(0xA6), 1);
    EXPECT_EQ(f.RequestCount(0x94), 1);
    EXPECT_EQ(f.RequestCount(0x96), 21);
    EXPECT_EQ(rig.log.CountLines("CarAudio: ====Connect device=====\n"), 1);
    EXPECT_EQ(rig.log.CountLines("初始的加密key："), 1);
    EXPECT_EQ(rig.log.CountLines("获取到新的加密key："), 1);
    EXPECT_EQ(rig.sleeper.slept, 100);
}

TEST(Connection, ConnectFromTheModelOpensTheFirstBoxAndShakesHandsTwice) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    rig.AddBox();
    EXPECT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    EXPECT_EQ(*rig.manager.ConnectedPath(), box.Path());
    EXPECT_EQ(box.Firmware().RequestCount(0x90), 2);
    EXPECT_EQ(box.Firmware().RequestCount(0xA6), 2);
}

TEST(Connection, StatusesOfAFailedConnect) {
    {
        DeviceRig rig;  // nothing attached
        EXPECT_EQ(rig.db.Connect(), ConnectStatus::NoBoxFound);
        EXPECT_TRUE(rig.messages.empty());
    }
    {
        DeviceRig rig;
        rig.AddBox().Firmware().DropReplies(1000);  // not even the key exchange answers
        EXPECT_EQ(rig.db.Connect(), ConnectStatus::OpenFailed);
        EXPECT_FALSE(rig.manager.IsOpen()) << "a failed step leaves no protocol behind";
        EXPECT_EQ(rig.messages, std::vector<int>{2});
        EXPECT_EQ(rig.log.CountLines("获取新的加密key失败！！\n"), 1);
        EXPECT_EQ(rig.log.CountLines("ERROR - OnConnectDevice failed.\n"), 1);
    }
    {
        DeviceRig rig;
        auto& box = rig.AddBox();
        box.Firmware().SetAcceptedIds(7, 8);
        EXPECT_EQ(rig.db.Connect(), ConnectStatus::HandshakeRefused);
        EXPECT_TRUE(rig.manager.IsOpen()) << "the box stays open, the model disconnected";
        EXPECT_FALSE(rig.db.IsConnected());
        EXPECT_EQ(rig.messages, std::vector<int>{1});
        rig.db.SetHandshakeIds(7, 8);
        EXPECT_EQ(rig.db.Connect(), ConnectStatus::Connected);
        box.Firmware().DropReplies(5);
        EXPECT_EQ(rig.db.Connect(), ConnectStatus::HandshakeNotAnswered);
        EXPECT_FALSE(rig.db.IsConnected());
    }
}

TEST(Connection, InvalidPositionIsRefused) {
    DeviceRig rig;
    rig.AddBox();
    ASSERT_EQ(rig.manager.RefreshDeviceList(), 1);
    EXPECT_FALSE(rig.manager.ConnectDevice(1));
    EXPECT_FALSE(rig.manager.ConnectDevice(-1));
    EXPECT_EQ(rig.log.CountLines("ERROR - CDeviceManager::ConnectDevice invalid parameter.\n"), 2);
    EXPECT_FALSE(rig.manager.IsOpen());
}

TEST(Connection, ListingKeepsTenPathsAndCountsAtMostTen) {
    DeviceRig rig;
    for (int i = 0; i < 12; ++i) rig.AddBox();
    rig.bus.FindBox("emulator:3")->Unplug();
    EXPECT_EQ(rig.manager.RefreshDeviceList(), 10);
    EXPECT_EQ(rig.manager.DevicePaths().size(), 10u);
    EXPECT_EQ(rig.manager.DevicePaths()[3], "emulator:4") << "an unplugged box is not listed";
    EXPECT_EQ(rig.bus.EnumDevices(kVid, kPid).count, 11);
    EXPECT_EQ(rig.bus.EnumDevices(kVid, kPid + 1).count, 0);
}

TEST(Connection, EditsReachTheBoxThroughTheThrottle) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    rig.db.LinkChannel(2, 2);
    rig.db.LinkChannel(3, 2);
    for (int step = 0; step < 30; ++step) rig.db.SetBandGain(2, 7, static_cast<uint16_t>(step * 10));
    rig.db.SetHighPassSlope(3, 4);
    rig.db.SetMute(0, true);
    rig.db.SetDelayMs(5, 2.5);
    rig.db.Throttle().Flush();  // what the timer does 200 ms after the last edit
    EXPECT_EQ(box.Firmware().CurrentImage(), rig.db.Block());
    EXPECT_EQ(rig.db.GetParam(param::BandGain(3, 7)), 290);
    EXPECT_EQ(rig.db.GetParam(param::Delay(5)), 120);
}

TEST(Connection, WholeImagesGoBothWays) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    const EffectBlock image = Patterned(5);
    ASSERT_TRUE(rig.db.LoadBlock(image));
    EXPECT_EQ(box.Firmware().CurrentImage(), image);
    EXPECT_EQ(box.Firmware().CompleteImageWrites(), 1) << "chunks 0..20, each once, in order";
    box.Firmware().SetCurrentImage(Patterned(7));
    ASSERT_TRUE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.Block(), Patterned(7));
}

TEST(Connection, ModesAreStoredAndRecalled) {
    DeviceRig rig;
    emulator::BoxMemory memory;
    memory.factory = Patterned(11);
    auto& box = rig.bus.AddBox(memory);
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    rig.db.SetMainVolume(30);
    rig.db.Throttle().Flush();
    ASSERT_TRUE(rig.db.StoreDeviceMode(2));
    EXPECT_EQ(box.Firmware().Memory().user[2], rig.db.Block());
    rig.db.SetMainVolume(40);
    rig.db.Throttle().Flush();

    ASSERT_TRUE(rig.db.RecallDeviceMode(2));
    EXPECT_EQ(rig.db.CurrentDeviceMode(), 2);
    EXPECT_EQ(box.Firmware().Memory().modeNumber, 3);
    ASSERT_TRUE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.GetParam(param::MainVol), 30);

    ASSERT_TRUE(rig.db.RecallDeviceMode(8));  // factory settings
    ASSERT_TRUE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.Block(), Patterned(11));
    EXPECT_FALSE(rig.db.RecallDeviceMode(9)) << "this box has no tenth mode";

    ASSERT_TRUE(rig.db.SetInputChannelMode(1));
    EXPECT_EQ(box.Firmware().Memory().inputMode, 1);
}

TEST(Connection, FailedReadsLeaveThePcImageAlone) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    rig.db.SetMainVolume(12);
    const EffectBlock before = rig.db.Block();
    box.Firmware().SetCurrentImage(Patterned(9));

    box.Firmware().WrongChunkEcho(1);
    EXPECT_FALSE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.Block(), before);

    EffectBlock bad = Patterned(9);
    bad.SetByte(0, 0xFF);
    bad.SetByte(1, 0xFF);
    box.Firmware().SetCurrentImage(bad);
    EXPECT_FALSE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.Block(), before);

    box.Firmware().SetReportedImageSize(1206);
    box.Firmware().SetCurrentImage(Patterned(9));
    EXPECT_TRUE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.ReportedImageSize(), 1206);
}

TEST(Connection, ABoxWhoseImageCannotBeReadIsOpenButNotConnected) {
    struct Case {
        const char* what;
        void (*fault)(emulator::BoxFirmware& box);
    };
    const Case cases[] = {
        {"a chunk comes back with the wrong number",
         [](emulator::BoxFirmware& box) { box.WrongChunkEcho(1); }},
        {"the image is marked invalid",
         [](emulator::BoxFirmware& box) {
             EffectBlock bad = Patterned(5);
             bad.SetByte(0, 0xFF);
             bad.SetByte(1, 0xFF);
             box.SetCurrentImage(bad);
         }},
    };
    for (const Case& c : cases) {
        DeviceRig rig;
        auto& box = rig.AddBox();
        c.fault(box.Firmware());
        rig.db.SetMainVolume(12);
        const EffectBlock before = rig.db.Block();
        ASSERT_EQ(rig.manager.RefreshDeviceList(), 1) << c.what;
        EXPECT_TRUE(rig.manager.ConnectDevice(0)) << c.what << ": the box itself opened";
        EXPECT_TRUE(rig.manager.IsOpen()) << c.what;
        EXPECT_FALSE(rig.db.IsConnected()) << c.what;
        EXPECT_EQ(rig.db.Block(), before) << c.what;
        EXPECT_EQ(rig.messages, std::vector<int>{1}) << c.what << ": the main window reads the state";
        // Edits stay on the PC until a connection has read the box.
        rig.db.SetMainVolume(13);
        EXPECT_TRUE(rig.db.Pending().Empty()) << c.what;
        EXPECT_EQ(box.Firmware().RequestCount(0x9C), 0) << c.what;
    }
}

TEST(Connection, UnplugMidReadFailsTheReadAndTheRemovalDisconnects) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_TRUE(rig.manager.RegisterDeviceNotifications(true));
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    const EffectBlock before = rig.db.Block();
    box.Firmware().SetCurrentImage(Patterned(2));
    box.Firmware().VanishAfter(8);  // gone at chunk 6 of 21
    EXPECT_FALSE(rig.db.ReadDeviceBlock());
    EXPECT_EQ(rig.db.Block(), before);
    // The frame that made it vanish waits out its time; the other tries
    // cannot even be written.
    EXPECT_EQ(rig.log.CountErrors("Send failed. cmd=0x96"), 4);
    rig.messages.clear();
    rig.manager.DispatchNotifications();
    EXPECT_FALSE(rig.manager.IsOpen());
    EXPECT_FALSE(rig.db.IsConnected());
    EXPECT_EQ(rig.messages, std::vector<int>{2});
    EXPECT_EQ(rig.log.CountLines("DBT_DEVICEREMOVECOMPLETE \n"), 1);
    EXPECT_EQ(rig.log.CountLines("CarAudio: ====Disconnect device=====\n"), 1);
    EXPECT_TRUE(rig.timers.empty()) << "no other box to connect";
    // Editing goes on against the PC image only.
    rig.db.SetMainVolume(1);
    EXPECT_TRUE(rig.db.Pending().Empty());
}

TEST(Connection, UnpluggingTheConnectedBoxMovesToAnotherOne) {
    DeviceRig rig;
    auto& first = rig.AddBox();
    auto& second = rig.AddBox();
    ASSERT_TRUE(rig.manager.RegisterDeviceNotifications(true));
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    rig.messages.clear();
    second.Unplug();  // not the connected one: ignored
    rig.manager.DispatchNotifications();
    EXPECT_EQ(*rig.manager.ConnectedPath(), first.Path());
    second.Plug();  // arrival while a box is open: ignored
    rig.manager.DispatchNotifications();
    EXPECT_EQ(rig.sleeper.pumped, 0);
    EXPECT_TRUE(rig.messages.empty());

    first.Unplug();
    rig.manager.DispatchNotifications();
    ASSERT_TRUE(rig.manager.IsOpen());
    EXPECT_EQ(*rig.manager.ConnectedPath(), second.Path());
    EXPECT_TRUE(rig.db.IsConnected());
    EXPECT_EQ(rig.messages, (std::vector<int>{2, 1}));
    EXPECT_EQ(rig.timers, (std::vector<std::pair<int, int>>{{10523, 2000}}));
    EXPECT_EQ(rig.sleeper.slept, 100 + 200 + 100);
}

TEST(Connection, ArrivalConnectsAfterTheWait) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    box.Unplug();
    ASSERT_TRUE(rig.manager.RegisterDeviceNotifications(true));
    rig.manager.DispatchNotifications();  // the removal of a box not open: nothing
    box.Plug();
    rig.manager.DispatchNotifications();
    EXPECT_EQ(rig.sleeper.pumped, 2000);
    EXPECT_TRUE(rig.db.IsConnected());
    EXPECT_EQ(rig.messages, std::vector<int>{1});
    EXPECT_EQ(rig.timers, (std::vector<std::pair<int, int>>{{10523, 2000}}));
    EXPECT_EQ(rig.log.CountLines("\nDBT_DEVICEARRIVAL \n"), 1);
}

TEST(Connection, BroadcastsThatAreNotOursAreIgnored) {
    DeviceRig rig;
    rig.AddBox();
    const struct {
        const char* what;
        int event;
        DeviceBroadcast b;
    } cases[] = {
        {"no #VID_", kDeviceArrival, {5, "\\\\?\\HID#1209&0D59#x", "emulator:0"}},
        {"not hexadecimal", kDeviceArrival, {5, "\\\\?\\HID#VID_12X9&PID_0D59#x", "emulator:0"}},
        {"another product", kDeviceArrival, {5, "\\\\?\\HID#VID_1209&PID_0D5A#x", "emulator:0"}},
        {"not a device interface", kDeviceArrival, {2, "\\\\?\\HID#VID_1209&PID_0D59#x", "emulator:0"}},
        {"other event", 0x8003, {5, "\\\\?\\HID#VID_1209&PID_0D59#x", "emulator:0"}},
        {"removal of nothing open", kDeviceRemoveComplete, {5, "", "emulator:0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rig.manager.OnDeviceChange(c.event, &c.b), 0) << c.what;
        EXPECT_FALSE(rig.manager.IsOpen()) << c.what;
    }
    EXPECT_EQ(rig.manager.OnDeviceChange(kDeviceArrival, nullptr), 0);
    EXPECT_EQ(rig.sleeper.pumped, 0);
    // The right ids in lower case do connect; removal compares paths without case.
    DeviceBroadcast ours{5, "\\\\?\\hid#vid_1209&pid_0d59#x", "emulator:0"};
    rig.manager.OnDeviceChange(kDeviceArrival, &ours);
    ASSERT_TRUE(rig.manager.IsOpen());
    DeviceBroadcast removed{5, "", "EMULATOR:0"};
    rig.manager.OnDeviceChange(kDeviceRemoveComplete, &removed);
    EXPECT_TRUE(rig.manager.IsOpen()) << "removed and, still attached, connected again";
    EXPECT_EQ(rig.messages, (std::vector<int>{1, 2, 1}));
}

TEST(Connection, ResumeWithoutABoxLeavesNoneOpen) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    box.Unplug();  // while asleep; nobody listened
    rig.messages.clear();
    EXPECT_EQ(rig.manager.OnResume(), 1);
    EXPECT_FALSE(rig.manager.IsOpen());
    EXPECT_FALSE(rig.db.IsConnected());
    EXPECT_EQ(rig.messages, std::vector<int>{2});
    box.Plug();
    EXPECT_EQ(rig.manager.OnResume(), 1);
    EXPECT_TRUE(rig.db.IsConnected());
}

TEST(Connection, DisconnectKeepsTheBoxOpen) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.db.Connect(), ConnectStatus::Connected);
    EXPECT_TRUE(rig.db.Disconnect());
    EXPECT_TRUE(rig.manager.IsOpen());
    rig.db.SetMainVolume(3);
    EXPECT_EQ(box.Firmware().RequestCount(0x9C), 0);
    rig.manager.DisconnectDevice();
    rig.manager.DisconnectDevice();  // twice: nothing more
    EXPECT_EQ(rig.messages, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace caraudio::test
