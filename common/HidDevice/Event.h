#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace caraudio {

// A signal one thread sets and another waits for. Auto-reset events let one
// waiter through and clear themselves; manual-reset events stay set.
class Event {
public:
    enum class Mode { ManualReset, AutoReset };

    Event(Mode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits up to timeoutMs (negative: without limit); true when signalled.
    bool Wait(int timeoutMs);
    // Waits until the deadline at most; true when signalled.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);

private:
    const Mode mode_;
    mutable std::mutex mutex_;  // guards set_
    std::condition_variable cv_;
    bool set_;
};

}  // namespace caraudio
