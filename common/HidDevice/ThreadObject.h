#pragma once

#include <thread>

#include "Event.h"

namespace caraudio {

// A thread with an explicit lifecycle: StartThread runs Run() on a new
// thread; the running event is set while Run() runs. A derived class stops
// its own thread before it is destroyed, since Run() uses its members.
class CThreadObject {
public:
    CThreadObject() = default;
    CThreadObject(const CThreadObject&) = delete;
    CThreadObject& operator=(const CThreadObject&) = delete;
    virtual ~CThreadObject();

    bool IsRunning() const { return running_.IsSet(); }

protected:
    virtual int Run() = 0;
    // Releases whatever Run() may be blocked in, so the thread can be joined.
    virtual void ForceEnd() = 0;

    // Creates the thread and waits until Run() has begun.
    bool StartThread();
    // Waits up to timeoutMs for Run() to return; if it has not, forces it out.
    // Then joins the thread.
    void EndThread(int timeoutMs);

    Event running_{Event::Mode::ManualReset, false};
    Event stop_{Event::Mode::ManualReset, false};

private:
    void ThreadProc();

    Event ended_{Event::Mode::ManualReset, false};
    std::thread thread_;
};

}  // namespace caraudio
