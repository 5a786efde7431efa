#pragma once

// A connected device link for measuring: the prescribed waits of the
// connection steps are counted, not slept, so the figures are the work.

#include <atomic>

#include "BoxIds.h"
#include "DeviceManager.h"
#include "ParamDatabase.h"

namespace caraudio::bench {

class CountingSleeper final : public Sleeper, public MessagePump {
public:
    void SleepMs(int ms) override { slept += ms; }
    void PumpFor(int ms) override { slept += ms; }
    std::atomic<long> slept{0};
};

struct LinkRig {
    explicit LinkRig(HidBackend& backend)
        : manager(backend, db, kBoxVendorId, kBoxProductId, log, sleeper, sleeper) {
        db.SetDeviceLink(&manager);
        db.Throttle().Configure(SendThrottle::kDefaultInterval, nullptr, SendThrottle::kTimerId);
        manager.CreateRecvThread();
    }
    LinkLog log;
    CountingSleeper sleeper;
    ParamDatabase db;
    CDeviceManager manager;
};

}  // namespace caraudio::bench
