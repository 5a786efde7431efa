// Measuring with the emulated devices: one channel's take turned into its
// response and what is read from it, against the loopback and against an
// acoustic reference with drift; and `measure` of all six channels, whose
// takes a real sound card would add in real time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "AcousticReference.h"
#include "Arrival.h"
#include "CliCommands.h"
#include "Deconvolution.h"
#include "EditorGrid.h"
#include "EmulatedAudio.h"
#include "ImpulseFrequencyResponse.h"
#include "ParameterTable.h"
#include "Sweep.h"

namespace caraudio::emulator {
namespace {

constexpr size_t kResponseFrames = 48000;

// The factory image with only the first channel open.
EffectBlock FirstChannelAlone() {
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::MuteCtrl), static_cast<uint16_t>(0x3F & ~1));
    return image;
}

void Analyse(const std::vector<double>& h) {
    const analysis::ImpulseResponse response{h, 48000};
    benchmark::DoNotOptimize(analysis::ImpulseFrequencyResponse(response, analysis::EditorGrid()));
    benchmark::DoNotOptimize(analysis::DetectArrival(response));
}

void BM_LoopbackTakeToResponse(benchmark::State& state) {
    const EffectBlock image = FirstChannelAlone();
    EmulatedAudio devices([&] { return image; }, DefaultCar(), FlatMicrophone());
    audio::PlayRecordRequest take;
    take.outputId = EmulatedAudio::kOutputId, take.inputId = EmulatedAudio::kInputId, take.inputChannels = 2;
    const std::vector<double> sweep = analysis::ExponentialSweep({});
    take.play.assign(1, std::vector<double>(12000, 0.0));
    take.play[0].insert(take.play[0].end(), sweep.begin(), sweep.end());
    take.recordFrames = take.play[0].size() + 36000;
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r = devices.PlayAndRecord(take, never);
    for (auto _ : state) Analyse(analysis::Deconvolve(r.recorded[0], r.recorded[1], kResponseFrames));
}
BENCHMARK(BM_LoopbackTakeToResponse)->Unit(benchmark::kMillisecond);

void BM_AcousticTakeToResponse(benchmark::State& state) {
    const EffectBlock image = FirstChannelAlone();
    EmulatedAudioOptions o;
    o.loopback = false, o.driftPpm = 50;
    EmulatedAudio devices([&] { return image; }, DefaultCar(), FlatMicrophone(), o);
    const analysis::AcousticTake layout =
        analysis::LayOutAcousticTake(analysis::ExponentialSweep({}), -12, 48000);
    audio::PlayRecordRequest take;
    take.outputId = EmulatedAudio::kOutputId, take.inputId = EmulatedAudio::kInputId, take.inputChannels = 1;
    // The chirp on input 1 as well: the one open channel is the reference.
    take.play = {layout.sweepChannel, layout.referenceChannel};
    for (size_t i = 0; i < take.play[0].size(); ++i) take.play[0][i] += take.play[1][i];
    take.recordFrames = layout.Frames();
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r = devices.PlayAndRecord(take, never);
    for (auto _ : state)
        Analyse(analysis::ResponseAgainstAcousticReference(r.recorded[0], layout, kResponseFrames, 48000)
                    .response);
}
BENCHMARK(BM_AcousticTakeToResponse)->Unit(benchmark::kMillisecond);

// `caraudio-cli --emulate measure CH1 .. CH6`: the quiet test and six
// takes of a 1.5 s sweep, each channel soloed on the emulated box; timed by
// the loopback (0) or by a chirp through CH1 on a microphone 50 ppm fast (1).
void BM_MeasureSixChannels(benchmark::State& state) {
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "measure-bench";
    const std::string folder = out.string();
    std::vector<std::string_view> args{"--emulate"};
    if (state.range(0)) args.insert(args.end(), {"--no-loopback", "--mic-drift=50"});
    args.insert(args.end(),
                {"measure", "CH1", "CH2", "CH3", "CH4", "CH5", "CH6", "--out", folder, "--allow-full-range"});
    if (state.range(0)) args.insert(args.end(), {"--reference", "acoustic:CH1"});
    std::FILE* quiet = std::fopen("/dev/null", "w");
    for (auto _ : state)
        if (cli::Run(args, quiet, quiet) != 0) state.SkipWithError("measure failed");
    std::fclose(quiet);
    std::filesystem::remove_all(out);
}
BENCHMARK(BM_MeasureSixChannels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace caraudio::emulator
