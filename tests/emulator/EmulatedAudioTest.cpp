// The emulated sound devices as a measurement meets them: the car heard
// through the box, the recording's late and drifting start, clipping.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "BoxSettings.h"
#include "EmulatedAudio.h"
#include "SeatMicrophone.h"

namespace caraudio::emulator {
namespace {

audio::PlayRecordRequest Take(std::vector<double> play, size_t frames, int inputs = 2) {
    audio::PlayRecordRequest r;
    r.outputId = EmulatedAudio::kOutputId;
    r.inputId = EmulatedAudio::kInputId;
    r.play = {std::move(play)};
    r.inputChannels = inputs;
    r.recordFrames = frames;
    return r;
}

std::vector<double> ClickAt(size_t at, size_t length, double level = 0.5) {
    std::vector<double> x(length, 0.0);
    x[at] = level;
    return x;
}

size_t LargestAt(const std::vector<double>& x) {
    size_t at = 0;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > std::fabs(x[at])) at = i;
    return at;
}

// Where a band-limited click peaks between samples: the vertex of the parabola through its top three.
double PeakBetweenSamples(const std::vector<double>& x) {
    const size_t i = LargestAt(x);
    const double a = x[i - 1], b = x[i], c = x[i + 1];
    return static_cast<double>(i) + 0.5 * (a - c) / (a - 2 * b + c);
}

TEST(EmulatedAudio, MicrophoneHearsEachChannelThroughTheCar) {
    VirtualCar car = DefaultCar();
    car.noiseDb = -200;
    constexpr size_t kClick = 12000, kFrames = 48000;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const EffectBlock image = test::box::FlatFromInputOne(channel);
        EmulatedAudio devices([&] { return image; }, car, FlatMicrophone(),
                              {.seed = static_cast<unsigned>(channel + 3)});
        const audio::PlayRecordResult r = devices.PlayAndRecord(Take(ClickAt(kClick, kFrames), kFrames), {});
        ASSERT_EQ(r.status, audio::AudioStatus::Done) << r.message;
        ASSERT_EQ(r.recorded.size(), 2u);
        // The loopback places the click; the microphone holds the car's response from there.
        const size_t click = LargestAt(r.recorded[1]);
        EXPECT_EQ(click, kClick - static_cast<size_t>(devices.LastStartBlocks()) * kCarBlockFrames);
        const std::vector<double>& h = car.responses[static_cast<size_t>(channel)];
        double worst = 0, largest = 0;
        for (size_t n = 0; n < h.size() && click + n < kFrames; ++n) {
            worst = std::max(worst, std::fabs(r.recorded[0][click + n] - 0.5 * h[n]));
            largest = std::max(largest, std::fabs(0.5 * h[n]));
        }
        EXPECT_LT(worst, 1e-9 * 1e3 * largest) << "CH" << channel + 1;
    }
}

TEST(EmulatedAudio, RecordingStartsLateByWholeBlocksAndDrifts) {
    const EffectBlock image = test::box::FlatFromInputOne(0);
    const VirtualCar car = DefaultCar();
    // Late: whole blocks, not the same every take, within the bounds.
    EmulatedAudio devices([&] { return image; }, car, FlatMicrophone(),
                          {.fewestStartBlocks = 2, .mostStartBlocks = 9});
    std::vector<int> starts;
    for (int take = 0; take < 12; ++take) {
        const auto r = devices.PlayAndRecord(Take(ClickAt(20000, 30000), 30000), {});
        ASSERT_EQ(r.status, audio::AudioStatus::Done);
        starts.push_back(devices.LastStartBlocks());
        EXPECT_EQ(LargestAt(r.recorded[1]), 20000 - static_cast<size_t>(starts.back()) * kCarBlockFrames);
        EXPECT_GE(starts.back(), 2);
        EXPECT_LE(starts.back(), 9);
    }
    EXPECT_NE(*std::min_element(starts.begin(), starts.end()),
              *std::max_element(starts.begin(), starts.end()));

    // Drift: two clicks 5 s apart by the output's clock are 5 s (1 + drift) apart by the input's.
    for (const double ppm : {50.0, -120.0}) {
        EmulatedAudio drifting([&] { return image; }, car, FlatMicrophone(), {.driftPpm = ppm});
        constexpr size_t kFirst = 12000, kGap = 5 * 48000, kFrames = kFirst + kGap + 8000;
        std::vector<double> play(kFrames, 0.0);
        // Band-limited clicks (a short raised cosine), so their peaks can be read between samples.
        for (const size_t at : {kFirst, kFirst + kGap})
            for (int k = -8; k <= 8; ++k) play[at + k] = 0.25 * (1 + std::cos(std::numbers::pi * k / 8.0));
        const auto r = drifting.PlayAndRecord(Take(play, kFrames), {});
        ASSERT_EQ(r.status, audio::AudioStatus::Done);
        const std::vector<double>& loop = r.recorded[1];
        const size_t half = kFirst + kGap / 2;
        const double first = PeakBetweenSamples({loop.begin(), loop.begin() + static_cast<long>(half)});
        const double second = half + PeakBetweenSamples({loop.begin() + static_cast<long>(half), loop.end()});
        EXPECT_NEAR(second - first, kGap * (1 + ppm * 1e-6), 0.05) << ppm << " ppm";
    }
}

TEST(EmulatedAudio, ClipsAtFullScaleAndStops) {
    const EffectBlock image = test::box::FlatFromInputOne(4);
    VirtualCar loud = DefaultCar();
    for (auto& h : loud.responses)
        for (double& v : h) v *= 200;
    EmulatedAudio devices([&] { return image; }, loud, FlatMicrophone());
    std::vector<double> tone(24000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = 1.6 * std::sin(2 * std::numbers::pi * 50 * i / 48000.0);
    double loudest = 0;
    auto take = Take(tone, 24000);
    take.level = [&](double peak) { loudest = std::max(loudest, peak); };
    const auto r = devices.PlayAndRecord(take, {});
    ASSERT_EQ(r.status, audio::AudioStatus::Done);
    double mic = 0, loop = 0;
    for (double v : r.recorded[0]) mic = std::max(mic, std::fabs(v));
    for (double v : r.recorded[1]) loop = std::max(loop, std::fabs(v));
    EXPECT_EQ(mic, 1.0);
    EXPECT_EQ(loop, 1.0);
    EXPECT_EQ(loudest, 1.0);

    std::atomic<bool> cancel{true};
    EXPECT_EQ(devices.PlayAndRecord(take, cancel).status, audio::AudioStatus::Cancelled);
    auto wrong = take;
    wrong.inputId = "hw:7";
    const auto refused = devices.PlayAndRecord(wrong, {});
    EXPECT_EQ(refused.status, audio::AudioStatus::NoSuchDevice);
    EXPECT_NE(refused.message.find("hw:7"), std::string::npos);
}

// With every channel muted the microphone hears the cabin's noise alone, at its level.
TEST(EmulatedAudio, MutedBoxLeavesTheNoise) {
    const EffectBlock image = test::box::FlatFromInputOne(test::box::kAllMuted);
    VirtualCar car = DefaultCar();
    car.noiseDb = -60;
    EmulatedAudio devices([&] { return image; }, car, FlatMicrophone(), {.loopback = false});
    ASSERT_EQ(devices.Inputs().front().channels, 1);
    const auto r = devices.PlayAndRecord(Take(ClickAt(100, 48000), 48000, 1), {});
    ASSERT_EQ(r.status, audio::AudioStatus::Done);
    double power = 0;
    for (double v : r.recorded[0]) power += v * v;
    EXPECT_NEAR(10 * std::log10(power / 48000), -60, 0.2);
}

}  // namespace
}  // namespace caraudio::emulator
