#pragma once

// Hand-driven stand-ins for what the model needs from outside: a clock, the
// throttle's timer, the debug log, curve models and a scripted box.

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Clock.h"
#include "CurveModels.h"
#include "DebugLog.h"
#include "DeviceLink.h"
#include "EffectBlock.h"

namespace caraudio::test {

class CaptureLog final : public DebugLog {
public:
    void Write(std::string_view line) override { lines.emplace_back(line); }
    // Lines that start with the given text.
    std::vector<std::string> Starting(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    std::vector<std::string> lines;
};

class FakeClock final : public Clock {
public:
    uint32_t TickCount() override { return now; }
    uint32_t now = 0;
};

class FakeTimerHost final : public TimerHost {
public:
    void SetTimer(int id, int ms) override {
        armed.insert(id);
        lastMs = ms;
        ++sets;
    }
    void KillTimer(int id) override {
        armed.erase(id);
        ++kills;
    }
    std::set<int> armed;
    int lastMs = 0;
    int sets = 0;
    int kills = 0;
};

class RecordingCurves final : public CurveModels {
public:
    void RebuildChannel(int channel, const EffectBlock&) override { rebuilt.push_back(channel); }
    void RefreshCrossovers(int channel, const EffectBlock&) override { refreshed.push_back(channel); }
    std::vector<int> rebuilt;
    std::vector<int> refreshed;
};

// A box that answers every command the model sends and applies what it is
// sent to its own image, so tests can compare both ends.
class FakeBox final : public DeviceLink {
public:
    bool IsOpen() const override { return open; }
    int RefreshDeviceList() override {
        ++listings;
        return attached;
    }
    bool ConnectDevice(int position) override {
        connectPositions.push_back(position);
        if (!openSucceeds) return false;
        open = true;
        return true;
    }
    bool SendAndReceive(Frame& request, Frame& reply, int tries, int timeoutMs) override {
        sent.push_back(request);
        timeouts.push_back(timeoutMs);
        lastTries = tries;
        reply.fill(0);
        if (!open || static_cast<int>(sent.size()) - 1 == failRequest) return false;
        reply[0] = static_cast<uint8_t>(request[0] + 1);
        reply[3] = 0xFF;
        switch (request[0]) {
        case 0x90:
            reply[4] = acceptHandshake ? 1 : 0;
            break;
        case 0x94:
            reply[4] = modeNumber;
            reply[5] = static_cast<uint8_t>(imageSize & 0xFF);
            reply[6] = static_cast<uint8_t>(imageSize >> 8);
            break;
        case 0x96: {
            const int k = request[2];
            reply[2] = static_cast<uint8_t>(k == wrongEchoChunk ? k + 1 : k);
            std::memcpy(reply.data() + 4, image.data() + 59 * k, static_cast<size_t>(ChunkLen(k)));
            break;
        }
        case 0x98: {
            const int k = request[2];
            std::memcpy(image.data() + 59 * k, request.data() + 4, static_cast<size_t>(ChunkLen(k)));
            break;
        }
        case 0x9C:
            for (int r = 0; r < request[4]; ++r) {
                const int at = 5 + 5 * r;
                const int offset = request[at] | (request[at + 1] << 8);
                const uint16_t value = static_cast<uint16_t>(request[at + 3] | (request[at + 4] << 8));
                if (request[at + 2] == 1)
                    image.SetByte(offset, static_cast<uint8_t>(value));
                else
                    image.SetWord(offset, value);
            }
            break;
        case 0xA6:
            if (request[4] == 1) inputMode = request[5];
            reply[5] = inputMode;
            break;
        default:
            break;
        }
        return true;
    }

    // Requests with the given command, in the order sent.
    std::vector<Frame> SentWith(uint8_t command) const {
        std::vector<Frame> out;
        for (const auto& f : sent)
            if (f[0] == command) out.push_back(f);
        return out;
    }

    static int ChunkLen(int k) { return k < 20 ? 59 : 1230 - 59 * 20; }

    bool open = true;
    bool openSucceeds = true;
    int attached = 1;
    int listings = 0;
    std::vector<int> connectPositions;
    bool acceptHandshake = true;
    uint8_t modeNumber = 1;
    uint16_t imageSize = 1230;
    int wrongEchoChunk = -1;
    uint8_t inputMode = 1;
    int failRequest = -1;  // position in `sent` of a request that gets no reply
    EffectBlock image = DefaultEffectBlock();
    std::vector<Frame> sent;
    std::vector<int> timeouts;
    int lastTries = 0;
};

}  // namespace caraudio::test
