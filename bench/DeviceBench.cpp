// The device link against the in-process emulator: one exchange, a whole
// connect, a whole-image write and a flush of every parameter.
#include <benchmark/benchmark.h>

#include "DeviceBenchRig.h"
#include "EmulatedHid.h"

using namespace caraudio;
using caraudio::bench::LinkRig;

namespace {

struct EmulatedLink {
    EmulatedLink() : bus(kBoxVendorId, kBoxProductId), rig(bus) { bus.AddBox(); }
    emulator::EmulatedHidBackend bus;
    LinkRig rig;
};

void BM_OneExchange(benchmark::State& state) {
    EmulatedLink link;
    if (link.rig.db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    for (auto _ : state) benchmark::DoNotOptimize(link.rig.db.GetDeviceCurrentMode());
}
BENCHMARK(BM_OneExchange)->Unit(benchmark::kMicrosecond);

// Key exchange, handshake, input mode, current mode and 21 chunks; the
// prescribed waits are reported beside the time, not inside it.
void BM_Connect(benchmark::State& state) {
    EmulatedLink link;
    long sleeps = 0;
    for (auto _ : state) {
        link.rig.sleeper.slept = 0;
        link.rig.manager.RefreshDeviceList();
        if (!link.rig.manager.ConnectDevice(0)) state.SkipWithError("no connection");
        sleeps = link.rig.sleeper.slept;
        state.PauseTiming();
        link.rig.manager.DisconnectDevice();
        state.ResumeTiming();
    }
    state.counters["prescribed_waits_ms"] = static_cast<double>(sleeps);
}
BENCHMARK(BM_Connect)->Unit(benchmark::kMillisecond);

void BM_SendBlock(benchmark::State& state) {
    EmulatedLink link;
    if (link.rig.db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    const EffectBlock image = DefaultEffectBlock();
    for (auto _ : state) benchmark::DoNotOptimize(link.rig.db.SendBlock(image));
}
BENCHMARK(BM_SendBlock)->Unit(benchmark::kMillisecond);

// All 642 parameters changed, then sent in 59 frames of 11.
void BM_WriteAllParameters(benchmark::State& state) {
    EmulatedLink link;
    if (link.rig.db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    // Queue without sending: the throttle thinks it flushed a moment ago.
    class Held final : public TimerHost {
    public:
        void SetTimer(int, int) override {}
        void KillTimer(int) override {}
    } held;
    link.rig.db.Throttle().Configure(1 << 30, &held, SendThrottle::kTimerId);
    link.rig.db.Throttle().Flush();
    uint16_t v = 1;
    for (auto _ : state) {
        state.PauseTiming();
        ++v;
        for (int i = 0; i < kParamCount; ++i) link.rig.db.SetParam(i, static_cast<uint16_t>(v + i));
        state.ResumeTiming();
        benchmark::DoNotOptimize(link.rig.db.WriteCurrentParam());
    }
}
BENCHMARK(BM_WriteAllParameters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
