#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "LinkLog.h"
#include "ThreadObject.h"

namespace caraudio {

class CProtocol;

// The one receive thread of the program: it serves one protocol at a time,
// reading its frames and handing each to it, and idles between protocols.
class CHidRecvThread final : public CThreadObject {
public:
    explicit CHidRecvThread(LinkLog& log) : log_(log) {}
    ~CHidRecvThread() override;

    bool Start();
    void Stop();
    // Hands the thread a protocol to serve and wakes it.
    void Attach(std::shared_ptr<CProtocol> protocol);
    // Waits until the thread is between protocols.
    bool WaitIdle(int timeoutMs) { return idle_.Wait(timeoutMs); }

protected:
    int Run() override;
    void ForceEnd() override;

private:
    std::shared_ptr<CProtocol> Attached();

    LinkLog& log_;
    std::atomic<bool> keepRunning_{false};
    // Set when the thread must leave the protocol it serves at once.
    std::atomic<bool> forced_{false};
    Event wake_{Event::Mode::AutoReset, false};
    Event idle_{Event::Mode::AutoReset, true};
    std::mutex attachLock_;  // guards attached_
    std::shared_ptr<CProtocol> attached_;
};

}  // namespace caraudio
