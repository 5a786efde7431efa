// The whole-car tune from six impulse responses: the spectra, the crossover
// alignment, the levels, each channel's EQ, the corrections and the timing
// at the seat.
#include <benchmark/benchmark.h>

#include "CarTune.h"
#include "EditorGrid.h"
#include "Target.h"
#include "WholeCar.h"

using namespace caraudio;
using namespace caraudio::analysis;
using namespace caraudio::test::whole;

namespace {

void BM_TuneCar(benchmark::State& state) {
    const std::vector<CarChannel> car = WholeCar(1);
    const EffectBlock image = InstallersImage(car);
    std::vector<ImpulseResponse> responses;
    unsigned seed = 1;
    for (const CarChannel& c : car) responses.push_back({Render(c.speaker, 0.5, seed++), 48000});
    CarTuneOptions options;
    options.target = HouseCurveOnGrid({6, 80, -1.5, 1000}, EditorGrid());
    for (auto _ : state) {
        std::vector<SeatChannel> channels;
        for (size_t i = 0; i < car.size(); ++i)
            channels.push_back(SeatChannelFromImpulse(responses[i], {MeasuredWith::Flat, car[i].block, image},
                                                      Side::Unknown, EditorGrid())
                                   .channel);
        CarTuneOutcome out = TuneCar(channels, image, options);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_TuneCar)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
