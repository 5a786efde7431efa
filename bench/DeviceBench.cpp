// The device link against the in-process emulator: one exchange, a whole
// connect, a whole-image write, a flush of every parameter, and the A/B
// switch and whole-image undo that send only the differences.
#include <benchmark/benchmark.h>

#include "DeviceBenchRig.h"
#include "DeviceCommands.h"
#include "EditSession.h"
#include "EmulatedHid.h"

using namespace caraudio;
using caraudio::bench::LinkRig;

namespace {

struct EmulatedLink {
    EmulatedLink() : bus(kBoxVendorId, kBoxProductId), rig(bus) { box = &bus.AddBox().Firmware(); }
    emulator::EmulatedHidBackend bus;
    LinkRig rig;
    emulator::BoxFirmware* box = nullptr;
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

// A and B differ in every band of every channel: 186 gains a switch.
void BM_SwitchEveryBandDiffers(benchmark::State& state) {
    EmulatedLink link;
    ParamDatabase& db = link.rig.db;
    if (db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    EditSession session(db);
    session.Switch();
    {
        EditSession::Scope step(session, "every band");
        for (int ch = 0; ch < kChannelCount; ++ch)
            for (int b = 0; b < kBandCount; ++b)
                db.SetBandGain(ch, b, static_cast<uint16_t>(1 + ch * 31 + b));
    }
    // The box keeps a bounded log of requests: one switch is counted alone.
    emulator::BoxFirmware& box = *link.box;
    box.ClearRequests();
    session.Switch();
    state.counters["frames_per_switch"] = box.RequestCount(command::WriteParams);
    state.counters["other_frames"] =
        static_cast<double>(box.Requests().size()) - box.RequestCount(command::WriteParams);
    for (auto _ : state) session.Switch();
    if (box.CurrentImage() != db.Block()) state.SkipWithError("the box does not hold the shown side");
}
BENCHMARK(BM_SwitchEveryBandDiffers)->Unit(benchmark::kMillisecond);

// A scene of the factory image with every band of every channel changed,
// loaded as one step, then undone and redone in turn.
void BM_UndoWholeImageStep(benchmark::State& state) {
    EmulatedLink link;
    ParamDatabase& db = link.rig.db;
    if (db.Connect() != ConnectStatus::Connected) state.SkipWithError("no connection");
    EditSession session(db);
    EffectBlock scene = DefaultEffectBlock();
    for (int ch = 0; ch < kChannelCount; ++ch)
        for (int b = 0; b < kBandCount; ++b) {
            scene.Set(*FindParam(param::BandFreq(ch, b)), static_cast<uint16_t>(30 + ch * 31 + b));
            scene.Set(*FindParam(param::BandGain(ch, b)), static_cast<uint16_t>(1 + ch * 31 + b));
        }
    {
        EditSession::Scope step(session, "scene");
        db.LoadBlock(scene);
    }
    emulator::BoxFirmware& box = *link.box;
    box.ClearRequests();
    session.Undo();
    state.counters["frames_per_undo"] = box.RequestCount(command::WriteParams);
    long steps = 0;
    for (auto _ : state) {
        if (steps++ % 2 == 0)
            session.Redo();
        else
            session.Undo();
    }
    if (box.CurrentImage() != db.Block()) state.SkipWithError("the box does not hold the PC's image");
}
BENCHMARK(BM_UndoWholeImageStep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
