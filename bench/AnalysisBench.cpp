// A measurement's way onto the editor: reading a 65,536-point file,
// smoothing it, and the steps after it on the 1024-point grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Arrival.h"
#include "AutoEq.h"
#include "BoxSettings.h"
#include "CrossoverAlignment.h"
#include "DelayProposal.h"
#include "EditorGrid.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "GridInterpolation.h"
#include "ImpulseResponse.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "Smoothing.h"
#include "SyntheticCar.h"

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

// The same file as a Windows program saves it: UTF-16 with a byte-order
// mark, decoded to UTF-8 before it is read.
void BM_ReadMeasurementUtf16(benchmark::State& state) {
    static const std::string file = [] {
        std::string s = "\xFF\xFE";
        for (const char c : LargeFile()) s.append({c, '\0'});
        return s;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(ReadMeasurement(file));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadMeasurementUtf16)->Unit(benchmark::kMillisecond);

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

// A car door speaker on the editor grid, level-aligned: high-pass roll-off
// at 55 Hz, low-pass above 15 kHz, eight cabin peaks and dips, a reflection's
// comb and a little noise.
Response CarMeasurement() {
    const double pi = 3.14159265358979;
    struct Mode {
        double hz, db, q;
    };
    const Mode modes[] = {{72, 6, 4},    {130, -4, 3},  {190, 5, 5},  {420, -3, 2},
                          {900, 3, 2.5}, {2300, -5, 3}, {4500, 4, 3}, {8000, -3, 2}};
    Response r;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = EditorGrid().Hz(i), hp = 55 / hz, lp = hz / 15000;
        double db = -10 * std::log10(std::pow(1 - hp * hp, 2) + 2 * hp * hp) -
                    10 * std::log10(std::pow(1 - lp * lp, 2) + 2 * lp * lp);
        for (const Mode& m : modes) {
            const double x = std::log2(hz / m.hz) * m.q * 1.4;
            db += m.db / (1 + x * x);
        }
        db += 1.5 * std::cos(2 * pi * hz * 1.1e-3) + 0.2 * std::sin(i * 12.9898);
        r[static_cast<size_t>(i)] = db;
    }
    return r;
}

// One channel's fit with 31 bands against the flat target, as the preview runs it.
void BM_AutoEqOneChannel(benchmark::State& state) {
    const Response measured = CarMeasurement();
    Response flat;
    flat.fill(0);
    double after = 0;
    for (auto _ : state) {
        const AutoEqResult r = FitAutoEq(measured, flat, DefaultEffectBlock(), 3, {});
        after = r.rmsAfterDb;
        benchmark::DoNotOptimize(r);
    }
    state.counters["rms_after_dB"] = after;
}
BENCHMARK(BM_AutoEqOneChannel)->Unit(benchmark::kMillisecond);
// Filter sets with shelves or a graphic EQ curve, planned as the window
// plans an import: read, peaks into bands, the rest followed by fitted bands.
void PlanImport(benchmark::State& state, const std::string& text) {
    const FilterSet set = ReadFilterSet(text);
    int bands = 0;
    for (auto _ : state) {
        const FilterImportPlan plan = PlanFilterImport(set.filters, DefaultEffectBlock(), 3, {}, {});
        bands = 0;
        for (const ApproximatedFilter& a : plan.approximation.lines) bands += a.bandCount;
        benchmark::DoNotOptimize(plan);
    }
    state.counters["approximating_bands"] = bands;
}

// AutoEQ's ParametricEQ.txt for a headphone: a low shelf, five peaks, a high shelf.
void BM_ImportShelves(benchmark::State& state) {
    PlanImport(state,
               "Preamp: -6.1 dB\n"
               "Filter 1: ON LSC Fc 105 Hz Gain 6.9 dB Q 0.70\n"
               "Filter 2: ON PK Fc 8865 Hz Gain 4.9 dB Q 1.30\n"
               "Filter 3: ON PK Fc 197 Hz Gain -2.8 dB Q 0.56\n"
               "Filter 4: ON PK Fc 1307 Hz Gain -1.7 dB Q 1.67\n"
               "Filter 5: ON PK Fc 3450 Hz Gain 3.2 dB Q 2.94\n"
               "Filter 6: ON PK Fc 5905 Hz Gain -3.9 dB Q 4.40\n"
               "Filter 7: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70\n");
}
BENCHMARK(BM_ImportShelves)->Unit(benchmark::kMillisecond);

// Steep shelves of 12 dB at both ends, the hardest for few bands to follow.
void BM_ImportSteepShelves(benchmark::State& state) {
    PlanImport(state,
               "Filter 1: ON LS 12dB Fc 200 Hz Gain -12.0 dB\n"
               "Filter 2: ON HS 6dB Fc 5000 Hz Gain 12.0 dB\n");
}
BENCHMARK(BM_ImportSteepShelves)->Unit(benchmark::kMillisecond);

// AutoEQ's GraphicEQ.txt: 127 points from 20 Hz, about 1/12 octave apart.
void BM_ImportGraphicEq(benchmark::State& state) {
    std::string text = "GraphicEQ:";
    char point[40];
    for (int n = 0; n < 127; ++n) {
        const double hz = std::round(20 * std::pow(1.0563, n));
        const double db = 6 * std::exp(-std::pow(std::log2(hz / 40), 2) / 2) -
                          3 * std::exp(-4 * std::pow(std::log2(hz / 3000), 2)) + 2 * std::sin(n * 0.2);
        std::snprintf(point, sizeof point, "%s %.0f %.1f", n ? ";" : "", hz, db);
        text += point;
    }
    PlanImport(state, text + "\n");
}
BENCHMARK(BM_ImportGraphicEq)->Unit(benchmark::kMillisecond);

// Six channels' impulse responses, one second at 48 kHz each: an 8 kHz
// band-limited pulse arriving 1 ms later per channel, a reflection 3 ms after
// it, and noise 35 dB below its peak throughout.
std::vector<ImpulseResponse> SixResponses() {
    std::vector<ImpulseResponse> six;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.5 * std::pow(10, -35.0 / 20));
    const auto pulse = [](double t) {
        const double x = 2 * 8000 * t;
        return std::fabs(t) > 0.002 ? 0 : x == 0 ? 1 : std::sin(M_PI * x) / (M_PI * x);
    };
    for (int c = 0; c < 6; ++c) {
        ImpulseResponse ir{std::vector<double>(48000), 48000};
        for (size_t n = 0; n < ir.samples.size(); ++n) {
            const double t = n / 48000.0 - (0.005 + 0.001 * c + 0.0000037 * c);
            ir.samples[n] = 0.5 * (pulse(t) + 0.7 * pulse(t - 0.003)) + noise(random);
        }
        six.push_back(std::move(ir));
    }
    return six;
}

void BM_AlignSixChannels(benchmark::State& state) {
    const std::vector<ImpulseResponse> six = SixResponses();
    for (auto _ : state) {
        std::vector<double> arrivals;
        for (const ImpulseResponse& ir : six) arrivals.push_back(DetectArrival(ir).ms);
        benchmark::DoNotOptimize(ProposeDelays(arrivals));
    }
}
BENCHMARK(BM_AlignSixChannels)->Unit(benchmark::kMicrosecond);

// A trunk sub and a door mid behind Linkwitz-Riley crossovers at 80 Hz,
// each measured alone (half a second at 48 kHz): the widest delay search
// there is, a period of 80 Hz either side.
struct PairRecordings {
    EffectBlock image = DefaultEffectBlock();
    std::vector<std::pair<int, ImpulseResponse>> recordings;  // block, impulse response
};

PairRecordings SubAndMid() {
    namespace car = caraudio::test::car;
    PairRecordings p;
    const car::Speaker sub{"sub", car::Sub(), 0.5, 1, 2.9, {{1.1, 0.5}}, -70};
    const car::Speaker mid{"mid", car::DoorMid(), 0.3, 1, 1.1, {{0.6, 0.3}}, -70};
    const int subBlock = 0, midBlock = 4;
    test::box::SetOff(p.image, subBlock);
    test::box::SetOff(p.image, midBlock);
    test::box::SetPass(p.image, subBlock, false, 2, 24, 80);
    test::box::SetPass(p.image, midBlock, true, 2, 24, 80);
    p.recordings.push_back({subBlock, {car::Render(sub), 48000}});
    p.recordings.push_back({midBlock, {car::Render(mid), 48000}});
    return p;
}

std::vector<SeatChannel> Measured(const PairRecordings& p) {
    std::vector<SeatChannel> channels;
    for (const auto& [block, r] : p.recordings)
        channels.push_back(
            SeatChannelFromImpulse(r, {MeasuredWith::Flat, block, p.image}, Side::Unknown, EditorGrid())
                .channel);
    return channels;
}

// One pair's alignment: the channels through their settings, the delay and
// polarity search, the losses before and after; with `fromImpulses` the
// spectra and arrivals of the two impulse responses first.
void AlignOnePair(benchmark::State& state, bool fromImpulses) {
    const PairRecordings p = SubAndMid();
    const std::vector<SeatChannel> measured = Measured(p);
    double after = 0;
    for (auto _ : state) {
        const std::vector<SeatChannel> channels = fromImpulses ? Measured(p) : measured;
        const CrossoverAlignment a =
            AlignCrossovers(channels, p.image, FindCrossoverPairs(channels, p.image), EditorGrid());
        after = a.crossovers.empty() ? -1 : a.crossovers[0].lossAfterDb;
        benchmark::DoNotOptimize(a);
    }
    state.counters["loss_after_dB"] = after;
}

void BM_AlignOnePair(benchmark::State& state) {
    AlignOnePair(state, false);
}
BENCHMARK(BM_AlignOnePair)->Unit(benchmark::kMillisecond);

void BM_AlignOnePairFromImpulses(benchmark::State& state) {
    AlignOnePair(state, true);
}
BENCHMARK(BM_AlignOnePairFromImpulses)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
