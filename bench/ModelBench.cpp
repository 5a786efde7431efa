// What an edit costs on the interface thread: the model's share of a drag,
// a flush of a full batch, a whole-image dump, the value rules, and what
// undo adds: a step around one edit and the undo of a whole image.
#include <benchmark/benchmark.h>

#include "EditSession.h"
#include "ParamDatabase.h"
#include "ValueScales.h"

using namespace caraudio;

namespace {

// Accepts every request at once, so only the model's own work is measured.
class InstantBox final : public DeviceLink {
public:
    bool IsOpen() const override { return true; }
    int RefreshDeviceList() override { return 1; }
    bool ConnectDevice(int) override { return true; }
    bool SendAndReceive(Frame& request, Frame& reply, int, int) override {
        reply.fill(0);
        reply[0] = static_cast<uint8_t>(request[0] + 1);
        reply[3] = 0xFF;
        reply[4] = 1;
        return true;
    }
};

class NullLog final : public DebugLog {
public:
    void Write(std::string_view line) override { benchmark::DoNotOptimize(line.data()); }
};

class IdleTimer final : public TimerHost {
public:
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
};

class FrozenClock final : public Clock {
public:
    uint32_t TickCount() override { return 1000; }
};

struct Wired {
    Wired() {
        db.SetDeviceLink(&box);
        db.SetDebugLog(&log);
        db.Throttle().Configure(200, &timer, 1012);
        db.Throttle().SetClock(&clock);
        db.Connect();
        db.Throttle().Flush();
    }
    InstantBox box;
    NullLog log;
    IdleTimer timer;
    FrozenClock clock;
    ParamDatabase db;
};

// One drag step: frequency and gain of a band on three linked channels.
void BM_LinkedBandDragStep(benchmark::State& state) {
    Wired w;
    w.db.LinkChannel(2, 2);
    w.db.LinkChannel(3, 2);
    w.db.LinkChannel(4, 2);
    uint16_t v = 0;
    for (auto _ : state) {
        ++v;
        w.db.SetBandFreq(2, 7, static_cast<uint16_t>(100 + (v & 255)));
        w.db.SetBandGain(2, 7, v);
    }
}
BENCHMARK(BM_LinkedBandDragStep);

// A timer flush of 31 queued band gains: three 0x9C frames.
void BM_FlushFullChannel(benchmark::State& state) {
    Wired w;
    uint16_t v = 0;
    for (auto _ : state) {
        ++v;
        for (int b = 0; b < kBandCount; ++b) w.db.SetBandGain(2, b, static_cast<uint16_t>(v + b));
        w.db.Throttle().OnTimer(1012);
    }
}
BENCHMARK(BM_FlushFullChannel);

void BM_DumpParams(benchmark::State& state) {
    Wired w;
    for (auto _ : state) w.db.DumpParams();
}
BENCHMARK(BM_DumpParams);

// One wheel step as a window makes it: a step around a band gain, the
// state captured and compared, the diff merged into the run.
void BM_EditStepAroundOneChange(benchmark::State& state) {
    Wired w;
    EditSession session(w.db);
    session.SetClock(&w.clock);
    uint16_t v = 0;
    for (auto _ : state) {
        EditSession::Scope step(session, "CH3 band 7 gain", "gain.2.7");
        w.db.SetBandGain(2, 7, ++v);
    }
}
BENCHMARK(BM_EditStepAroundOneChange);

// Undo and redo in turn of a scene load that changed every band of every
// channel: 372 parameters sent as 34 frames each time.
void BM_UndoWholeImageStepModel(benchmark::State& state) {
    Wired w;
    EditSession session(w.db);
    session.SetClock(&w.clock);
    EffectBlock scene = DefaultEffectBlock();
    for (int ch = 0; ch < kChannelCount; ++ch)
        for (int b = 0; b < kBandCount; ++b) {
            scene.Set(*FindParam(param::BandFreq(ch, b)), static_cast<uint16_t>(30 + ch * 31 + b));
            scene.Set(*FindParam(param::BandGain(ch, b)), static_cast<uint16_t>(1 + ch * 31 + b));
        }
    {
        EditSession::Scope step(session, "scene");
        w.db.LoadBlock(scene);
    }
    long steps = 0;
    for (auto _ : state) {
        if (steps++ % 2 == 0)
            session.Undo();
        else
            session.Redo();
    }
    state.counters["history_bytes"] = static_cast<double>(session.MemoryBytes());
}
BENCHMARK(BM_UndoWholeImageStepModel);

void BM_StepQ(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(StepQ("12.3", 1));
}
BENCHMARK(BM_StepQ);

void BM_ParseGain(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ParseGain(" -7.25dB "));
}
BENCHMARK(BM_ParseGain);

}  // namespace

BENCHMARK_MAIN();
