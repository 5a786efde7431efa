#include "Event.h"

#include <chrono>

namespace caraudio {

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    if (mode_ == Mode::AutoReset)
        cv_.notify_one();
    else
        cv_.notify_all();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool Event::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return set_; };
    if (timeoutMs < 0)
        cv_.wait(lock, ready);
    else if (timeoutMs == 0 ? !ready() : !cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    if (mode_ == Mode::AutoReset) set_ = false;
    return true;
}

}  // namespace caraudio
