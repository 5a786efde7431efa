#include "Event.h"

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
    if (timeoutMs >= 0)
        return WaitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return set_; });
    if (mode_ == Mode::AutoReset) set_ = false;
    return true;
}

bool Event::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_until(lock, deadline, [this] { return set_; })) return false;
    if (mode_ == Mode::AutoReset) set_ = false;
    return true;
}

}  // namespace caraudio
