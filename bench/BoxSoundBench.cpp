// The emulated box's rendering against real time: six channels of a tuned
// car (EQ on every channel, crossovers of every kind, odd slopes that run
// as taps), one block of 256 frames per iteration. Real time for a block
// is 256 / 48000 s = 5.33 ms.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "BoxSettings.h"
#include "BoxSound.h"

namespace caraudio::emulator {
namespace {

EffectBlock TunedCar() {
    EffectBlock image = DefaultEffectBlock();
    namespace box = test::box;
    // Tweeters, mids, subs: high-passes and low-passes of 18..48 dB/oct.
    const int highHz[kChannelCount] = {3000, 3000, 80, 80, 0, 0};
    const int lowHz[kChannelCount] = {0, 0, 3000, 3000, 80, 80};
    const int slopes[kChannelCount] = {18, 24, 30, 48, 42, 24};
    for (int c = 0; c < kChannelCount; ++c) {
        box::SetOff(image, c);
        if (highHz[c]) box::SetPass(image, c, true, c % 3, slopes[c], highHz[c]);
        if (lowHz[c]) box::SetPass(image, c, false, (c + 1) % 3, slopes[c], lowHz[c]);
        for (int b = 0; b < kBandCount; ++b) box::SetBand(image, c, b, 20 + 600 * b, 3, (b % 7) - 3.0);
        box::SetLevelPolarityDelay(image, c, -3, c == 3, 48 * c);
    }
    return image;
}

void BM_RenderSixChannelsOneBlock(benchmark::State& state) {
    const EffectBlock image = TunedCar();
    BoxSound box([&] { return image; });
    std::array<std::vector<double>, kInputCount> in;
    std::array<std::vector<double>, kChannelCount> out;
    std::array<const double*, kInputCount> inputs{};
    std::array<double*, kChannelCount> outputs{};
    for (size_t k = 0; k < kInputCount; ++k)
        in[k].assign(kBlockFrames, 0.1 * static_cast<double>(k)), inputs[k] = in[k].data();
    for (size_t c = 0; c < kChannelCount; ++c) out[c].resize(kBlockFrames), outputs[c] = out[c].data();
    for (auto _ : state) {
        box.RenderBlock(inputs, outputs);
        benchmark::DoNotOptimize(out[0][0]);
    }
    // Seconds of sound per second of work.
    state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(kBlockFrames) / BoxSound::kRate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderSixChannelsOneBlock);

// A change on every channel: planning, two seconds of warm-up, the fade.
void BM_FollowChangeOnEveryChannel(benchmark::State& state) {
    EffectBlock a = TunedCar(), b = a;
    for (int c = 0; c < kChannelCount; ++c) test::box::SetBand(b, c, 3, 200, 2, 4);
    bool flip = false;
    BoxSound box([&] { return flip ? b : a; });
    std::array<std::vector<double>, kInputCount> in;
    std::array<std::vector<double>, kChannelCount> out;
    std::array<const double*, kInputCount> inputs{};
    std::array<double*, kChannelCount> outputs{};
    for (size_t k = 0; k < kInputCount; ++k) in[k].assign(kBlockFrames, 0.0), inputs[k] = in[k].data();
    for (size_t c = 0; c < kChannelCount; ++c) out[c].resize(kBlockFrames), outputs[c] = out[c].data();
    box.RenderBlock(inputs, outputs);
    for (auto _ : state) {
        flip = !flip;
        box.RenderBlock(inputs, outputs);
    }
}
BENCHMARK(BM_FollowChangeOnEveryChannel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace caraudio::emulator
BENCHMARK_MAIN();
