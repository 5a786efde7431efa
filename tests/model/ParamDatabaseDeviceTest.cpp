#include "ModelTestSupport.h"

namespace caraudio::test {
namespace {

TEST(Connect, ReportsEachWayItCanEnd) {
    struct Case {
        const char* what;
        bool link, open, openSucceeds;
        int attached;
        bool answer, accept;
        ConnectStatus status;
    };
    const Case cases[] = {
        {"no connection manager", false, false, true, 1, true, true, ConnectStatus::NoBoxFound},
        {"no box attached", true, false, true, 0, true, true, ConnectStatus::NoBoxFound},
        {"box cannot be opened", true, false, false, 1, true, true, ConnectStatus::OpenFailed},
        {"handshake unanswered", true, true, true, 1, false, true, ConnectStatus::HandshakeNotAnswered},
        {"handshake refused", true, true, true, 1, true, false, ConnectStatus::HandshakeRefused},
        {"opened here", true, false, true, 1, true, true, ConnectStatus::Connected},
        {"already open", true, true, true, 1, true, true, ConnectStatus::Connected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBox box;
        box.open = c.open;
        box.openSucceeds = c.openSucceeds;
        box.attached = c.attached;
        box.acceptHandshake = c.accept;
        if (!c.answer) box.failRequest = 0;
        ParamDatabase db;
        if (c.link) db.SetDeviceLink(&box);
        EXPECT_EQ(db.Connect(), c.status);
        EXPECT_EQ(db.IsConnected(), c.status == ConnectStatus::Connected);
        EXPECT_EQ(box.connectPositions.size(), c.link && !c.open && c.attached > 0 ? 1u : 0u);
    }
}

TEST(Connect, SendsTheIdentifiersAndReadsTheInputMode) {
    FakeBox box;
    box.inputMode = 1;
    ParamDatabase db;
    db.SetDeviceLink(&box);
    db.SetHandshakeIds(0x11223344, 0xA0B0C0D0);
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    ASSERT_EQ(box.sent.size(), 2u);
    const Frame& hello = box.sent[0];
    EXPECT_EQ(hello[0], 0x90);
    EXPECT_EQ(hello[4], 1);
    const uint8_t ids[] = {0x44, 0x33, 0x22, 0x11, 0xD0, 0xC0, 0xB0, 0xA0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(hello[5 + i], ids[i]) << i;
    EXPECT_EQ(box.sent[1][0], 0xA6);
    EXPECT_EQ(box.sent[1][4], 0);
    EXPECT_EQ(db.InputChannelMode(), 1);
    EXPECT_EQ(box.lastTries, 5);
    EXPECT_EQ(box.timeouts[0], 200);

    box.inputMode = 2;  // not a mode: stays unknown
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    EXPECT_EQ(db.InputChannelMode(), -1);
}

TEST(Connect, RefusedHandshakeLeavesTheModelDisconnected) {
    FakeBox box;
    ParamDatabase db;
    db.SetDeviceLink(&box);
    ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
    box.acceptHandshake = false;
    EXPECT_EQ(db.Connect(), ConnectStatus::HandshakeRefused);
    EXPECT_FALSE(db.IsConnected());
    db.SetMainVolume(3);
    EXPECT_TRUE(db.Pending().Empty());
}

using Device = ConnectedModel;

TEST_F(Device, CurrentModeAcceptsBothImageSizes) {
    const struct {
        uint8_t mode;
        uint16_t size;
        bool ok;
        int current;
    } cases[] = {
        {1, 1230, true, 0},    {11, 1206, true, 10}, {0, 1230, false, -1},
        {12, 1230, false, -1}, {3, 1000, false, 2},  {255, 1230, false, -1},
    };
    for (const auto& c : cases) {
        box.modeNumber = c.mode;
        box.imageSize = c.size;
        EXPECT_EQ(db.GetDeviceCurrentMode(), c.ok) << int(c.mode) << " " << c.size;
        EXPECT_EQ(db.CurrentDeviceMode(), c.current) << int(c.mode) << " " << c.size;
    }
    EXPECT_EQ(log.lines.back(),
              "CarAudio: GetDeviceCurrentMode failed. mode=255 recvLen=1230 dataBaseSize=1230\n");
    box.failRequest = static_cast<int>(box.sent.size());
    EXPECT_FALSE(db.GetDeviceCurrentMode());
    EXPECT_EQ(log.lines.back(),
              "CarAudio: GetDeviceCurrentMode failed. mode=0 recvLen=0 dataBaseSize=1230\n");
}

TEST_F(Device, ReadDeviceBlockTakesTheBoxImage) {
    auto curves = std::make_unique<RecordingCurves>();
    RecordingCurves* seen = curves.get();
    db.SetCurveModels(std::move(curves));
    for (int o = 0; o < 1230; ++o) box.image.SetByte(o, static_cast<uint8_t>(o * 7));
    box.imageSize = 1206;  // a box without the mixer still sends all 21 chunks
    db.SetVolumeMemo(2, 30);
    ASSERT_TRUE(db.ReadDeviceBlock());
    EXPECT_EQ(db.Block(), box.image);
    EXPECT_EQ(box.SentWith(0x96).size(), 21u);
    EXPECT_EQ(db.VolumeMemo(2), -1);
    EXPECT_EQ(seen->rebuilt, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(Device, ReadDeviceBlockFailuresLeaveTheImageAlone) {
    db.SetMainVolume(12);
    const EffectBlock before = db.Block();
    box.image.SetByte(5, 1);

    box.wrongEchoChunk = 7;
    EXPECT_FALSE(db.ReadDeviceBlock());
    EXPECT_EQ(box.SentWith(0x96).size(), 8u) << "stops at the chunk that echoed wrong";
    EXPECT_EQ(db.Block(), before);

    box.wrongEchoChunk = -1;
    box.image.SetByte(0, 0xFF);
    box.image.SetByte(1, 0xFF);
    EXPECT_FALSE(db.ReadDeviceBlock());
    EXPECT_EQ(log.lines.back(), "########从设备获取到错误的界面值#######\n");
    EXPECT_EQ(db.Block(), before);

    box.image.SetByte(1, 0);
    box.failRequest = static_cast<int>(box.sent.size()) + 5;
    EXPECT_FALSE(db.ReadDeviceBlock());
    EXPECT_EQ(db.Block(), before);

    box.modeNumber = 0;
    box.failRequest = -1;
    EXPECT_FALSE(db.ReadDeviceBlock());
    EXPECT_EQ(db.Block(), before);
}

TEST_F(Device, SendBlockWritesAllChunksAndStopsAtTheFirstFailure) {
    EffectBlock image;
    for (int o = 0; o < 1230; ++o) image.SetByte(o, static_cast<uint8_t>(o));
    ASSERT_TRUE(db.SendBlock(image));
    EXPECT_EQ(box.image, image);
    EXPECT_EQ(db.Block(), image);
    const auto chunks = box.SentWith(0x98);
    ASSERT_EQ(chunks.size(), 21u);
    EXPECT_EQ(chunks[20][4 + 49], image.Byte(1229));
    EXPECT_EQ(chunks[20][4 + 50], 0) << "chunk 20 carries 50 bytes";

    box.sent.clear();
    box.failRequest = 3;
    EXPECT_FALSE(db.SendBlock(DefaultEffectBlock()));
    EXPECT_EQ(box.SentWith(0x98).size(), 4u);
    EXPECT_EQ(db.Block(), DefaultEffectBlock()) << "the PC image is replaced all the same";
}

TEST_F(Device, ModesAndInputModeKeepTheirBounds) {
    EXPECT_FALSE(db.RecallDeviceMode(11));
    EXPECT_FALSE(db.RecallDeviceMode(-1));
    EXPECT_FALSE(db.StoreDeviceMode(8));
    EXPECT_FALSE(db.StoreDeviceMode(-1));
    EXPECT_FALSE(db.SetInputChannelMode(2));
    EXPECT_TRUE(box.sent.empty());

    ASSERT_TRUE(db.RecallDeviceMode(10));
    EXPECT_EQ(box.sent.back()[0], 0x92);
    EXPECT_EQ(box.sent.back()[4], 11);
    EXPECT_EQ(box.timeouts.back(), 800);
    EXPECT_EQ(db.CurrentDeviceMode(), 10);

    ASSERT_TRUE(db.StoreDeviceMode(7));
    EXPECT_EQ(box.sent.back()[0], 0x9E);
    EXPECT_EQ(box.sent.back()[4], 8);
    EXPECT_EQ(db.CurrentDeviceMode(), 10) << "storing does not change the current mode";

    ASSERT_TRUE(db.SetInputChannelMode(0));
    EXPECT_EQ(box.sent.back()[0], 0xA6);
    EXPECT_EQ(box.sent.back()[4], 1);
    EXPECT_EQ(box.sent.back()[5], 0);
    EXPECT_EQ(db.InputChannelMode(), 0);

    box.failRequest = static_cast<int>(box.sent.size());
    EXPECT_FALSE(db.RecallDeviceMode(2));
    EXPECT_EQ(db.CurrentDeviceMode(), 10);
}

TEST_F(Device, NothingIsSentOnceDisconnected) {
    ASSERT_TRUE(db.Disconnect());
    EffectBlock image;
    EXPECT_FALSE(db.ReadDeviceBlock());
    EXPECT_FALSE(db.SendBlock(image));
    EXPECT_FALSE(db.RecallDeviceMode(0));
    EXPECT_FALSE(db.StoreDeviceMode(0));
    EXPECT_FALSE(db.SetInputChannelMode(1));
    EXPECT_FALSE(db.LoadBlock(image));
    db.SetMainVolume(1);
    EXPECT_TRUE(box.sent.empty());
    EXPECT_TRUE(db.Pending().Empty());
}

}  // namespace
}  // namespace caraudio::test
