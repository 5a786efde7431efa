#include "SendThrottle.h"

#include "ParamDatabase.h"

namespace caraudio {

SendThrottle::SendThrottle(ParamDatabase& owner) : owner_(owner) {}

void SendThrottle::Configure(int intervalMs, TimerHost* host, int timerId) {
    interval_ = intervalMs;
    host_ = host;
    timerId_ = timerId;
}

void SendThrottle::SetClock(Clock* clock) {
    clock_ = clock ? clock : &steadyClock_;
}

void SendThrottle::Touch() {
    if (host_) host_->KillTimer(timerId_);
    const uint32_t now = clock_->TickCount();
    // Without a timer host nothing could send the changes later, so they go now
    // rather than wait for an edit that may never come.
    if (!host_ || now - lastFlushTick_ >= static_cast<uint32_t>(interval_)) {
        lastFlushTick_ = now;
        lastFlushOk_ = owner_.WriteCurrentParam();
        return;
    }
    host_->SetTimer(timerId_, interval_);
}

bool SendThrottle::Flush() {
    if (host_) host_->KillTimer(timerId_);
    lastFlushTick_ = clock_->TickCount();
    lastFlushOk_ = owner_.WriteCurrentParam();
    return lastFlushOk_;
}

void SendThrottle::OnTimer(int timerId) {
    if (timerId == timerId_) Flush();
}

}  // namespace caraudio
