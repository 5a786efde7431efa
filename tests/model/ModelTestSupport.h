#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ModelFakes.h"
#include "ParamDatabase.h"

namespace caraudio::test {

// Records of one 0x9C frame as (parameter name, value).
inline std::vector<std::pair<std::string, int>> Records(const Frame& f) {
    std::vector<std::pair<std::string, int>> out;
    for (int r = 0; r < f[4]; ++r) {
        const int at = 5 + 5 * r;
        const int offset = f[at] | (f[at + 1] << 8);
        std::string name = "?";
        for (const auto& p : Parameters())
            if (p.offset == offset && p.size == f[at + 2]) name = p.name;
        out.emplace_back(name, f[at + 3] | (f[at + 4] << 8));
    }
    return out;
}

inline std::string NameOf(int index) {
    return std::string(FindParam(index)->Name());
}

// A model wired to a scripted box, a hand-driven clock and timer, already
// connected; the handshake's frames and lines are cleared away.
class ConnectedModel : public ::testing::Test {
protected:
    void SetUp() override {
        db.SetDeviceLink(&box);
        db.SetDebugLog(&log);
        db.Throttle().Configure(200, &timer, 1012);
        db.Throttle().SetClock(&clock);
        ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
        clock.now = 10000;  // long after any flush: the first change goes out at once
        box.sent.clear();
        log.lines.clear();
    }

    // Marks a flush now, so the changes that follow wait for the timer.
    void HoldSending() { db.Throttle().Flush(); }

    // Fires the throttle's timer if it is armed.
    void FireTimer() {
        if (timer.armed.count(1012)) db.Throttle().OnTimer(1012);
    }

    // Names of the parameters written through SetParam, in order.
    std::vector<std::string> WrittenNames() const {
        std::vector<std::string> out;
        for (const auto& l : log.Starting("CarAudio: SetParam ")) {
            const size_t start = l.find_first_not_of(' ', 19);
            out.push_back(l.substr(start, l.find(' ', start) - start));
        }
        return out;
    }

    FakeBox box;
    CaptureLog log;
    FakeTimerHost timer;
    FakeClock clock;
    ParamDatabase db;
};

}  // namespace caraudio::test
