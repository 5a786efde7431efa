#include "HidRecvThread.h"

#include "Protocol.h"

namespace caraudio {

namespace {
constexpr int kStopWaitMs = 2000;
}

CHidRecvThread::~CHidRecvThread() {
    Stop();
}

bool CHidRecvThread::Start() {
    if (IsRunning()) return false;
    wake_.Reset();
    forced_ = false;
    keepRunning_ = true;
    if (!StartThread()) {
        keepRunning_ = false;
        return false;
    }
    return true;
}

void CHidRecvThread::Stop() {
    if (!IsRunning()) {
        EndThread(0);  // joins a thread that already left Run()
        return;
    }
    keepRunning_ = false;
    wake_.Set();
    stop_.Set();
    EndThread(kStopWaitMs);
}

void CHidRecvThread::Attach(std::shared_ptr<CProtocol> protocol) {
    {
        std::lock_guard lock(attachLock_);
        attached_ = std::move(protocol);
    }
    wake_.Set();
}

std::shared_ptr<CProtocol> CHidRecvThread::Attached() {
    std::lock_guard lock(attachLock_);
    return attached_;
}

void CHidRecvThread::ForceEnd() {
    forced_ = true;
    if (auto p = Attached()) p->WakeReader();
    wake_.Set();
}

int CHidRecvThread::Run() {
    while (keepRunning_) {
        wake_.Wait(-1);
        if (!keepRunning_) break;
        std::shared_ptr<CProtocol> p = Attached();
        if (!p) continue;
        idle_.Reset();
        p->DoRecvThreadProc(forced_);
        {
            // Let go of a protocol that is done, unless a new one came meanwhile.
            std::lock_guard lock(attachLock_);
            if (attached_ == p) attached_.reset();
        }
        p.reset();
        idle_.Set();
        log_.Trace("CEffectSender::Run m_pProtocol->DoRecvThreadProc return.\n");
    }
    return 0;
}

}  // namespace caraudio
