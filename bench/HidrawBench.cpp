// A whole connect over the real hidraw code against a umockdev test bed;
// run under umockdev-wrapper (scripts/bench does).
#include <benchmark/benchmark.h>

#include "DeviceBenchRig.h"
#include "HidrawDevices.h"
#include "UmockdevBox.h"

using namespace caraudio;
using caraudio::bench::LinkRig;

namespace {

// One emulated box on a test bed, and the link over hidraw to it.
struct HidrawLink {
    HidrawLink() : backend(log), rig(backend) { bus.Add({kBoxVendorId, kBoxProductId, {}, true}); }
    emulator::UmockdevBus bus;
    LinkLog log;
    HidrawBackend backend;
    LinkRig rig;
};

void BM_ConnectHidraw(benchmark::State& state) {
    HidrawLink link;
    if (!emulator::UmockdevBus::InMockEnvironment()) {
        state.SkipWithError("run under umockdev-wrapper");
        return;
    }
    LinkRig& rig = link.rig;
    long sleeps = 0;
    for (auto _ : state) {
        rig.sleeper.slept = 0;
        rig.manager.RefreshDeviceList();
        if (!rig.manager.ConnectDevice(0)) state.SkipWithError("no connection");
        sleeps = rig.sleeper.slept;
        state.PauseTiming();
        rig.manager.DisconnectDevice();
        state.ResumeTiming();
    }
    state.counters["prescribed_waits_ms"] = static_cast<double>(sleeps);
}
BENCHMARK(BM_ConnectHidraw)->Unit(benchmark::kMillisecond);

void BM_OneExchangeHidraw(benchmark::State& state) {
    HidrawLink link;
    if (!emulator::UmockdevBus::InMockEnvironment()) {
        state.SkipWithError("run under umockdev-wrapper");
        return;
    }
    LinkRig& rig = link.rig;
    if (rig.db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    for (auto _ : state) benchmark::DoNotOptimize(rig.db.GetDeviceCurrentMode());
}
BENCHMARK(BM_OneExchangeHidraw)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
