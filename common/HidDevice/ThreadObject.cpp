#include "ThreadObject.h"

#include <system_error>

namespace caraudio {

CThreadObject::~CThreadObject() {
    // Derived classes end their thread first; this only guards a forgotten one.
    if (thread_.joinable()) {
        stop_.Set();
        thread_.join();
    }
}

bool CThreadObject::StartThread() {
    if (thread_.joinable()) return false;
    ended_.Reset();
    try {
        thread_ = std::thread(&CThreadObject::ThreadProc, this);
    } catch (const std::system_error&) {
        return false;
    }
    running_.Wait(-1);
    return true;
}

void CThreadObject::EndThread(int timeoutMs) {
    if (!thread_.joinable()) return;
    if (!ended_.Wait(timeoutMs)) ForceEnd();
    thread_.join();
}

void CThreadObject::ThreadProc() {
    stop_.Reset();
    running_.Set();
    Run();
    running_.Reset();
    ended_.Set();
}

}  // namespace caraudio
