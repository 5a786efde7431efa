// Every frame of the protocol written out byte by byte: what the program
// sends for each command and what the emulated box answers. Check bytes were
// worked out apart from the program, from the check table's eight bases.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "DeviceRig.h"

namespace caraudio::test {
namespace {

// A frame as text: two hexadecimal digits per byte, "XX*N" for N bytes of
// XX, "??" for a byte that may be anything. Exactly 64 bytes.
struct FramePattern {
    std::array<int, kFrameSize> bytes{};  // -1: any value
    bool valid = false;
};

FramePattern Hex(const char* text) {
    FramePattern p;
    std::istringstream in(text);
    std::string token;
    size_t at = 0;
    while (in >> token) {
        int value = -1;
        size_t count = 1;
        const size_t star = token.find('*');
        if (star != std::string::npos) count = std::stoul(token.substr(star + 1));
        const std::string digits = token.substr(0, star);
        if (digits != "??") value = std::stoi(digits, nullptr, 16);
        for (size_t i = 0; i < count; ++i) {
            if (at >= p.bytes.size()) return p;
            p.bytes[at++] = value;
        }
    }
    p.valid = at == p.bytes.size();
    return p;
}

Frame Bytes(const FramePattern& p) {
    Frame f{};
    for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<uint8_t>(std::max(p.bytes[i], 0));
    return f;
}

// Empty when the frame fits the pattern, else where it does not.
std::string Mismatch(const Frame& f, const FramePattern& p) {
    if (!p.valid) return "the pattern is not 64 bytes";
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (p.bytes[i] < 0 || p.bytes[i] == f[i]) continue;
        char line[48];
        std::snprintf(line, sizeof line, " byte %zu is %02X, not %02X;", i, f[i], p.bytes[i]);
        out += line;
    }
    return out;
}

// Sits between the model and the connection manager and keeps each exchange:
// the request as the program sealed it and the reply it took.
class RecordingLink final : public DeviceLink {
public:
    struct Exchange {
        Frame request;
        Frame reply;
        bool answered;
    };

    explicit RecordingLink(DeviceLink& inner) : inner_(inner) {}
    bool IsOpen() const override { return inner_.IsOpen(); }
    int RefreshDeviceList() override { return inner_.RefreshDeviceList(); }
    bool ConnectDevice(int position) override { return inner_.ConnectDevice(position); }
    bool SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) override {
        const bool answered = inner_.SendAndReceive(request, reply, tries, timeoutMs);
        exchanges.push_back({request, reply, answered});
        return answered;
    }

    // The n-th exchange (from 0) of a command, or null.
    const Exchange* Find(uint8_t command, int n) const {
        for (const Exchange& e : exchanges)
            if (e.request[0] == command && n-- == 0) return &e;
        return nullptr;
    }

    std::vector<Exchange> exchanges;

private:
    DeviceLink& inner_;
};

// Keeps edits queued until the test flushes them.
class StoppedClock final : public Clock {
public:
    uint32_t TickCount() override { return 0; }
};
class SilentTimers final : public TimerHost {
public:
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
};

struct Row {
    const char* what;
    uint8_t command;
    int nth;
    const char* request;
    const char* reply;
};

// The session below, frame by frame. Unless a comment says otherwise, bytes
// 1 and 2 are unused and byte 3 is the status: 00 in a request, FF (accepted)
// in a reply; the last byte is the check byte.
const Row kSession[] = {
    {"handshake", 0x90, 0,
     "90 00 00 00"
     " 01"           // a handshake
     " 44 33 22 11"  // id1 0x11223344
     " 0D 0C 0B 0A"  // id2 0x0A0B0C0D
     " 00*50"
     " F6",
     "91 00 00 FF"
     " 01"  // ids accepted
     " 00*58"
     " A8"},
    {"input mode query", 0xA6, 0,
     "A6 00 00 00"
     " 00"  // a query
     " 00*58"
     " 59",
     "A7 00 00 FF"
     " 00"
     " 01"  // four channels
     " 00*57"
     " 92"},
    {"current mode", 0x94, 0,
     "94 00 00 00"
     " 00*59"
     " 6B",
     "95 00 00 FF"
     " 04"     // mode number 4
     " CE 04"  // image size 1230
     " 00*56"
     " 0C"},
    {"read chunk 0", 0x96, 0,
     "96 00"
     " 00"  // chunk 0
     " 00"
     " 00*59"
     " 69",
     "97 00"
     " 00"  // chunk 0 echoed
     " FF"
     " 10*59"  // image bytes 0..58
     " 49"},
    {"read chunk 20", 0x96, 20,
     "96 00"
     " 14"  // chunk 20
     " 00"
     " 00*59"
     " AC",
     "97 00"
     " 14"  // chunk 20 echoed
     " FF"
     " 24*50"  // image bytes 1180..1229
     " 00*9"   // past the image
     " 2F"},
    {"write chunk 0", 0x98, 0,
     "98 00"
     " 00"  // chunk 0
     " 00"
     // image bytes 0..58
     " 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D"
     " 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 33 34 35 36 37 38 39 3A"
     " 06",
     "99 00"
     " 00"  // chunk echoed
     " FF"
     " 00*59"
     " 20"},
    {"write chunk 20", 0x98, 20,
     "98 00"
     " 14"  // chunk 20
     " 00"
     // image bytes 1180..1229
     " 9C 9D 9E 9F A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3 B4 B5 B6 B7 B8 B9"
     " BA BB BC BD BE BF C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD"
     " 00*9"  // past the image
     " 9A",
     "99 00"
     " 14"  // chunk echoed
     " FF"
     " 00*59"
     " E5"},
    {"parameters, first frame", 0x9C, 0,
     "9C 00"
     " 00"  // frame 0
     " 00"
     " 0B"              // eleven records: offset, size, value
     " 04 00 01 1E 00"  // MainVol = 30
     " 05 00 01 28 00"  // Volume_0 = 40
     " 06 00 01 29 00"  // Volume_1
     " 07 00 01 2A 00"  // Volume_2
     " 08 00 01 2B 00"  // Volume_3
     " 09 00 01 2C 00"  // Volume_4
     " 0A 00 01 2D 00"  // Volume_5
     " 0B 00 02 01 03"  // Delay_0 = 0x0301
     " 0D 00 02 02 03"  // Delay_1
     " 0F 00 02 03 03"  // Delay_2
     " 11 00 02 04 03"  // Delay_3
     " 00 00 00"        // past the last slot
     " BF",
     "9D 00"
     " 00"  // frame number echoed
     " FF"
     " 00*59"
     " 24"},
    {"parameters, second frame", 0x9C, 1,
     "9C 00"
     " 01"  // frame 1
     " 00"
     " 01"              // one record
     " 13 00 02 05 03"  // Delay_4 = 0x0305
     " 00*53"           // ten unused slots and the rest
     " 46",
     "9D 00"
     " 01"  // frame number echoed
     " FF"
     " 00*59"
     " 42"},
    {"store", 0x9E, 0,
     "9E 00 00 00"
     " 08"  // slot 8
     " 00*58"
     " 71",
     "9F 00 00 FF"
     " 00*59"
     " 26"},
    {"recall", 0x92, 0,
     "92 00 00 00"
     " 03"  // mode 3
     " 00*58"
     " AD",
     "93 00 00 FF"
     " 00*59"
     " 2A"},
    {"input mode set", 0xA6, 1,
     "A6 00 00 00"
     " 01"  // a setting
     " 00"  // two channels
     " 00*57"
     " D9",
     "A7 00 00 FF"
     " 00"
     " 00"  // two channels
     " 00*57"
     " 1E"},
};

TEST(FrameTable, EveryRequestAndReplyOfASession) {
    StoppedClock clock;
    SilentTimers timers;
    DeviceRig rig;
    emulator::BoxMemory memory;
    // Each byte of the box's image holds 0x10 plus the number of its chunk.
    for (int o = 0; o < kEffectBlockSize; ++o) memory.current.SetByte(o, static_cast<uint8_t>(0x10 + o / 59));
    memory.modeNumber = 4;
    memory.inputMode = 1;
    auto& box = rig.bus.AddBox(memory);
    box.Firmware().SetAcceptedIds(0x11223344, 0x0A0B0C0D);
    RecordingLink link(rig.manager);
    rig.db.SetDeviceLink(&link);
    rig.db.SetHandshakeIds(0x11223344, 0x0A0B0C0D);
    rig.db.Throttle().SetClock(&clock);
    rig.db.Throttle().Configure(200, &timers, 1012);

    ASSERT_EQ(rig.manager.RefreshDeviceList(), 1);
    ASSERT_TRUE(rig.manager.ConnectDevice(0));  // handshake, input mode, current mode, image
    ASSERT_TRUE(rig.db.IsConnected());
    EffectBlock image;
    for (int o = 0; o < kEffectBlockSize; ++o) image.SetByte(o, static_cast<uint8_t>(o % 256));
    ASSERT_TRUE(rig.db.SendBlock(image));
    rig.db.SetParam(4, 30);
    for (int n = 0; n < 6; ++n) rig.db.SetParam(5 + n, static_cast<uint16_t>(40 + n));
    for (int n = 0; n < 5; ++n) rig.db.SetParam(11 + n, static_cast<uint16_t>(0x0301 + n));
    ASSERT_TRUE(rig.db.Throttle().Flush());
    ASSERT_TRUE(rig.db.StoreDeviceMode(7));
    ASSERT_TRUE(rig.db.RecallDeviceMode(2));
    ASSERT_TRUE(rig.db.SetInputChannelMode(0));

    for (const Row& row : kSession) {
        SCOPED_TRACE(row.what);
        const RecordingLink::Exchange* e = link.Find(row.command, row.nth);
        ASSERT_NE(e, nullptr) << "not sent";
        EXPECT_EQ(Mismatch(e->request, Hex(row.request)), "");
        EXPECT_TRUE(e->answered);
        EXPECT_EQ(Mismatch(e->reply, Hex(row.reply)), "");
    }
}

// The key exchange carries four random values below 32767, so only the
// bytes around them are fixed; the box's new key is the same places of the
// request with every bit of 0x5A flipped.
TEST(FrameTable, KeyExchangeAndTheBoxsOwnNotification) {
    DeviceRig rig;
    auto& box = rig.AddBox();
    ASSERT_EQ(rig.manager.RefreshDeviceList(), 1);
    ASSERT_TRUE(rig.manager.ConnectDevice(0));
    const auto sent = box.Firmware().Requests();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Mismatch(sent.front(), Hex("0E 00 00 00 00 00"
                                         " ?? ?? 00 00"  // first value
                                         " 00 00"
                                         " ?? ?? 00 00"  // second value
                                         " 00*8"
                                         " ?? ?? 00 00"  // third value
                                         " 00*4"
                                         " ?? ?? 00 00"  // fourth value
                                         " 00*27"
                                         " ??")),
              "");

    emulator::BoxFirmware firmware;
    const auto reply =
        firmware.Handle(Bytes(Hex("0E 00 00 00 00 00"
                                  " 34 12 00 00"  // 0x1234
                                  " 00 00"
                                  " 78 56 00 00"  // 0x5678
                                  " 00*8"
                                  " BC 1A 00 00"  // 0x1ABC
                                  " 00*4"
                                  " F0 0D 00 00"  // 0x0DF0
                                  " 00*27"
                                  " CE")));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(Mismatch(reply->frame, Hex("0F 00 00 FF 00 00"
                                         " 6E 48 00 00"  // key bytes 6, 7
                                         " 00 00"
                                         " 22 00 00 00"  // key byte 12
                                         " 00*8"
                                         " E6 40 00 00"  // key bytes 24, 25
                                         " 00*4"
                                         " AA 00 00 00"  // key byte 32
                                         " 00*27"
                                         " B9")),
              "");

    const uint8_t payload[] = {1, 2, 3};
    EXPECT_EQ(Mismatch(firmware.Notification(payload, sizeof payload), Hex("7E 00 00 FF"
                                                                           " 01 02 03"  // payload
                                                                           " 00*56"
                                                                           " 28")),
              "");
}

}  // namespace
}  // namespace caraudio::test
