// One take through the emulated devices: a 1.5 s sweep into the box, the
// box's six channels, the default car, the microphone, the loopback.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <numbers>

#include "EmulatedAudio.h"

namespace caraudio::emulator {
namespace {

void BM_TakeOfOneAndAHalfSeconds(benchmark::State& state) {
    const EffectBlock image = DefaultEffectBlock();
    EmulatedAudio devices([&] { return image; }, DefaultCar(), FlatMicrophone());
    audio::PlayRecordRequest take;
    take.outputId = EmulatedAudio::kOutputId;
    take.inputId = EmulatedAudio::kInputId;
    take.inputChannels = 2;
    constexpr size_t kFrames = 72000;
    take.play.assign(1, std::vector<double>(kFrames));
    // An exponential sweep 20 Hz .. 20 kHz.
    const double k = std::log(1000.0), seconds = kFrames / 48000.0;
    for (size_t i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / 48000;
        take.play[0][i] =
            0.25 * std::sin(2 * std::numbers::pi * 20 * seconds / k * (std::exp(t / seconds * k) - 1));
    }
    take.recordFrames = kFrames + 24000;
    const std::atomic<bool> never{false};
    for (auto _ : state) benchmark::DoNotOptimize(devices.PlayAndRecord(take, never).recorded.size());
    state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(take.recordFrames) / 48000,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TakeOfOneAndAHalfSeconds)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace caraudio::emulator

BENCHMARK_MAIN();
