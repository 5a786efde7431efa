#pragma once

#include <cstdint>

#include "Clock.h"

namespace caraudio {

class ParamDatabase;

// Sends queued changes at most about once per interval while the user keeps
// editing, and once more an interval after the last edit.
class SendThrottle {
public:
    static constexpr int kDefaultInterval = 200;
    static constexpr int kTimerId = 1012;

    explicit SendThrottle(ParamDatabase& owner);

    // The window that owns the timer sets this up when it is created.
    void Configure(int intervalMs, TimerHost* host, int timerId);
    void SetClock(Clock* clock);

    // After each queued change: flush now if the last flush is at least an
    // interval ago, otherwise (re)arm the timer.
    void Touch();

    // Flush now: kill the timer, note the time, send the queued changes.
    bool Flush();

    // Called by the timer host when one of its timers fires.
    void OnTimer(int timerId);

    // Whether the last flush sent everything it had (true when it had nothing).
    bool LastFlushOk() const { return lastFlushOk_; }

    int Interval() const { return interval_; }
    int TimerId() const { return timerId_; }
    uint32_t LastFlushTick() const { return lastFlushTick_; }

private:
    int interval_ = kDefaultInterval;
    TimerHost* host_ = nullptr;
    int timerId_ = kTimerId;
    uint32_t lastFlushTick_ = 0;
    bool lastFlushOk_ = true;
    ParamDatabase& owner_;
    SteadyClock steadyClock_;
    Clock* clock_ = &steadyClock_;
};

}  // namespace caraudio
