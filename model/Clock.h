#pragma once

#include <cstdint>

namespace caraudio {

// Milliseconds since some fixed start, wrapping at 32 bits; differences are
// taken in unsigned arithmetic so the wrap does no harm.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
};

// The monotonic clock of the machine.
class SteadyClock final : public Clock {
public:
    uint32_t TickCount() override;
};

// Whatever owns the throttle's one-shot timer (the main window). When the
// timer fires on the interface thread the host calls SendThrottle::OnTimer.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    virtual void SetTimer(int timerId, int milliseconds) = 0;
    virtual void KillTimer(int timerId) = 0;
};

}  // namespace caraudio
