// A measurement's way onto the editor: reading a 65,536-point file,
// smoothing it, and the steps after it on the 1024-point grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "GridInterpolation.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "Smoothing.h"

using namespace caraudio;
using namespace caraudio::analysis;

namespace {

constexpr int kPoints = 65536;

// A text export as measuring programs write it: comment header, then
// frequency, level and phase, log-spaced from 10 Hz to 24 kHz.
const std::string& LargeFile() {
    static const std::string file = [] {
        std::string s =
            "* Measurement data measured by a sweep program\n* Source: USB microphone\n"
            "* Freq(Hz) SPL(dB) Phase(degrees)\n";
        const double ratio = std::pow(2400.0, 1.0 / (kPoints - 1));
        double hz = 10;
        char line[80];
        for (int k = 0; k < kPoints; ++k, hz *= ratio) {
            std::snprintf(line, sizeof line, "%.4f %.3f %.2f\n", hz,
                          80 + 6 * std::sin(k * 0.01) + 0.3 * (k % 7), std::fmod(k * 1.7, 360.0) - 180);
            s += line;
        }
        return s;
    }();
    return file;
}

void BM_ReadMeasurement(benchmark::State& state) {
    const std::string& file = LargeFile();
    for (auto _ : state) benchmark::DoNotOptimize(ReadMeasurement(file));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadMeasurement)->Unit(benchmark::kMillisecond);

void BM_Smooth(benchmark::State& state) {
    const Measurement m = ReadMeasurement(LargeFile()).measurement;
    for (auto _ : state) benchmark::DoNotOptimize(SmoothMeasurement(m, Smoothing::Octave6));
}
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);

void BM_ReadAndSmooth(benchmark::State& state) {
    const std::string& file = LargeFile();
    for (auto _ : state) {
        const MeasurementRead r = ReadMeasurement(file);
        benchmark::DoNotOptimize(SmoothMeasurement(r.measurement, Smoothing::Octave6));
    }
}
BENCHMARK(BM_ReadAndSmooth)->Unit(benchmark::kMillisecond);

void BM_GridAndAlignment(benchmark::State& state) {
    FrequencyGrid grid;
    grid.Build(17);
    const Measurement m = SmoothMeasurement(ReadMeasurement(LargeFile()).measurement, Smoothing::Octave6);
    const Response flat{};
    for (auto _ : state) benchmark::DoNotOptimize(AlignLevel(InterpolateOntoGrid(m, grid), flat, grid));
}
BENCHMARK(BM_GridAndAlignment)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
