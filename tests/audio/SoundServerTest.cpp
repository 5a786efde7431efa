// The real sound back end against a sound server in user space, with the
// virtual car as another client between the measurement's output and its
// input: a channel measured through it matches the same channel measured
// through the emulated devices.
#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <atomic>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>

#include "BandLevels.h"
#include "BoxSettings.h"
#include "BoxSound.h"
#include "Deconvolution.h"
#include "EmulatedAudio.h"
#include "PulseAudioSystem.h"
#include "SeatMicrophone.h"
#include "SoundServer.h"
#include "Sweep.h"
#include "TextbookDft.h"
#include "ValueScales.h"

namespace caraudio {
namespace {

using emulator::kBlockFrames;
using emulator::kCarBlockFrames;

// The box and the car as a client of the server: what plays into
// "box_input" comes back on "microphone", channel 1 the microphone at the
// seat, channel 2 the box's input looped back.
class CarClient {
public:
    CarClient(const EffectBlock& image, const emulator::VirtualCar& car)
        : box_([image] { return image; }), seat_(car, emulator::FlatMicrophone(), 5) {
        pa_sample_spec format{PA_SAMPLE_FLOAT32LE, 48000, 2};
        int code = 0;
        in_ = pa_simple_new(nullptr, "virtual car", PA_STREAM_RECORD, "box_input.monitor", "box input",
                            &format, nullptr, nullptr, &code);
        out_ = pa_simple_new(nullptr, "virtual car", PA_STREAM_PLAYBACK, "microphone", "seat", &format,
                             nullptr, nullptr, &code);
        if (in_ && out_) thread_ = std::thread([this] { Run(); });
    }
    ~CarClient() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (in_) pa_simple_free(in_);
        if (out_) pa_simple_free(out_);
    }
    bool Running() const { return thread_.joinable(); }

private:
    void Run() {
        std::vector<float> interleaved(2 * kCarBlockFrames);
        std::array<std::vector<double>, kInputCount> in;
        for (auto& v : in) v.assign(kCarBlockFrames, 0.0);
        std::array<std::vector<double>, kChannelCount> out;
        for (auto& v : out) v.assign(kCarBlockFrames, 0.0);
        std::vector<double> mic(kCarBlockFrames);
        std::array<const double*, kChannelCount> outs{};
        for (size_t c = 0; c < kChannelCount; ++c) outs[c] = out[c].data();
        while (!stop_) {
            if (pa_simple_read(in_, interleaved.data(), interleaved.size() * sizeof(float), nullptr) < 0)
                return;
            for (size_t i = 0; i < kCarBlockFrames; ++i)
                in[0][i] = interleaved[2 * i], in[1][i] = interleaved[2 * i + 1];
            for (size_t sub = 0; sub < kCarBlockFrames; sub += kBlockFrames) {
                std::array<const double*, kInputCount> ins{};
                std::array<double*, kChannelCount> o{};
                for (size_t k = 0; k < kInputCount; ++k) ins[k] = in[k].data() + sub;
                for (size_t c = 0; c < kChannelCount; ++c) o[c] = out[c].data() + sub;
                box_.RenderBlock(ins, o);
            }
            seat_.Run(outs, mic.data());
            for (size_t i = 0; i < kCarBlockFrames; ++i) {
                interleaved[2 * i + 1] = static_cast<float>(in[0][i]);
                interleaved[2 * i] = static_cast<float>(mic[i]);
            }
            if (pa_simple_write(out_, interleaved.data(), interleaved.size() * sizeof(float), nullptr) < 0)
                return;
        }
    }

    emulator::BoxSound box_;
    emulator::SeatMicrophone seat_;
    pa_simple* in_ = nullptr;
    pa_simple* out_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The take a measurement makes: a quarter second of lead, the sweep, and
// time for the reverberation and the server's latency.
audio::PlayRecordRequest SweepTake(const std::string& output, const std::string& input) {
    audio::PlayRecordRequest take;
    take.outputId = output;
    take.inputId = input;
    take.inputChannels = 2;
    take.play.assign(1, std::vector<double>(12000, 0.0));
    const std::vector<double> sweep = analysis::ExponentialSweep({});
    take.play[0].insert(take.play[0].end(), sweep.begin(), sweep.end());
    take.recordFrames = take.play[0].size() + 72000;
    return take;
}

TEST(SoundServer, OneChannelMeasuredThroughItMatchesTheEmulatedMeasurement) {
    test::SoundServer server;
    ASSERT_TRUE(server.Ready()) << "the sound server could not be started in user space:\n" << server.Log();
    audio::PulseAudioSystem devices;
    bool hasBoxInput = false, hasMicrophone = false;
    for (const audio::AudioDevice& d : devices.Outputs())
        hasBoxInput |= d.id == "box_input" && d.channels == 2;
    for (const audio::AudioDevice& d : devices.Inputs()) hasMicrophone |= d.id == "microphone.monitor";
    ASSERT_TRUE(hasBoxInput && hasMicrophone);

    const int block = BlockOfChannel(3);  // the driver's door mid
    const EffectBlock image = test::box::FlatFromInputOne(block);
    emulator::VirtualCar car = emulator::DefaultCar();
    car.noiseDb = -100;
    CarClient client(image, car);
    ASSERT_TRUE(client.Running());
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult real =
        devices.PlayAndRecord(SweepTake("box_input", "microphone.monitor"), never);
    ASSERT_EQ(real.status, audio::AudioStatus::Done) << real.message;
    emulator::EmulatedAudio emulated([&] { return image; }, car, emulator::FlatMicrophone());
    const audio::PlayRecordResult reference = emulated.PlayAndRecord(
        SweepTake(emulator::EmulatedAudio::kOutputId, emulator::EmulatedAudio::kInputId), never);
    ASSERT_EQ(reference.status, audio::AudioStatus::Done);

    const std::vector<double> measured = analysis::Deconvolve(real.recorded[0], real.recorded[1], 24000);
    const std::vector<double> expected =
        analysis::Deconvolve(reference.recorded[0], reference.recorded[1], 24000);
    const test::BandLevels b = test::CompareBandLevels(measured, expected, 30);
    EXPECT_LT(b.worstDb, 1.0);
    EXPECT_GT(b.points, 20);
}

TEST(SoundServer, AnOutputThatIsNotThereIsNamed) {
    test::SoundServer server;
    ASSERT_TRUE(server.Ready()) << "the sound server could not be started in user space:\n" << server.Log();
    audio::PulseAudioSystem devices;
    const std::atomic<bool> never{false};
    const audio::PlayRecordResult r =
        devices.PlayAndRecord(SweepTake("no_such_sink", "microphone.monitor"), never);
    EXPECT_EQ(r.status, audio::AudioStatus::NoSuchDevice);
    EXPECT_NE(r.message.find("no_such_sink"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace caraudio
