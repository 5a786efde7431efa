// The emulated box's sound against what the program predicts the box does:
// an impulse played through each setting, its spectrum read at the
// prediction's frequencies.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "BoxSettings.h"
#include "BoxSound.h"
#include "Fft.h"
#include "FrequencyGrid.h"
#include "ProcessingResponse.h"

namespace caraudio::emulator {
namespace {

constexpr size_t kImpulseFrames = size_t{1} << 17;
constexpr size_t kSpectrumSize = size_t{1} << 19;

// `frames` of every output while `input` plays into the inputs (each
// input's samples, silence past their end).
std::vector<std::vector<double>> Play(BoxSound& box,
                                      const std::array<std::vector<double>, kInputCount>& input,
                                      size_t frames) {
    std::vector<std::vector<double>> out(kChannelCount, std::vector<double>(frames, 0.0));
    std::array<std::vector<double>, kInputCount> block;
    std::array<std::vector<double>, kChannelCount> rendered;
    for (auto& b : block) b.resize(kBlockFrames);
    for (auto& r : rendered) r.resize(kBlockFrames);
    for (size_t at = 0; at < frames; at += kBlockFrames) {
        std::array<const double*, kInputCount> in{};
        std::array<double*, kChannelCount> o{};
        for (size_t k = 0; k < kInputCount; ++k) {
            for (size_t i = 0; i < kBlockFrames; ++i)
                block[k][i] = at + i < input[k].size() ? input[k][at + i] : 0.0;
            in[k] = block[k].data();
        }
        for (size_t c = 0; c < kChannelCount; ++c) o[c] = rendered[c].data();
        box.RenderBlock(in, o);
        for (size_t c = 0; c < kChannelCount; ++c)
            for (size_t i = 0; i < kBlockFrames && at + i < frames; ++i) out[c][at + i] = rendered[c][i];
    }
    return out;
}

std::vector<std::vector<double>> ImpulseThrough(const EffectBlock& image, size_t frames = kImpulseFrames) {
    BoxSound box([&] { return image; });
    std::array<std::vector<double>, kInputCount> input;
    input[0] = {1.0};
    return Play(box, input, frames);
}

const FrequencyGrid& Grid() {
    static const FrequencyGrid grid = [] {
        FrequencyGrid g;
        g.Build(20);
        return g;
    }();
    return grid;
}

// The rendered impulse's spectrum at each grid frequency: a zero-padded
// transform, linear between its bins (a tenth of a hertz apart).
analysis::ComplexResponse SpectrumAtGrid(const std::vector<double>& h) {
    const std::vector<std::complex<double>> bins = analysis::RealSpectrum(h, kSpectrumSize);
    analysis::ComplexResponse out;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double at = Grid().W(i) / (2 * std::numbers::pi) * static_cast<double>(kSpectrumSize);
        const auto k = static_cast<size_t>(at);
        const double f = at - static_cast<double>(k);
        out[static_cast<size_t>(i)] = (1 - f) * bins[k] + f * bins[k + 1];
    }
    return out;
}

struct Difference {
    double worstDb = 0, worstDegrees = 0;
};

// Over 20..20000 Hz; the phase where the prediction is within 20 dB of its largest.
Difference Compare(const analysis::ComplexResponse& rendered, const analysis::ComplexResponse& predicted) {
    double loudest = 0;
    for (const auto& p : predicted) loudest = std::max(loudest, std::abs(p));
    Difference d;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = Grid().Hz(i);
        if (hz < 20 || hz > 20000) continue;
        const auto n = static_cast<size_t>(i);
        const std::complex<double> ratio = rendered[n] / predicted[n];
        d.worstDb = std::max(d.worstDb, std::fabs(20 * std::log10(std::abs(ratio))));
        if (std::abs(predicted[n]) >= 0.1 * loudest)
            d.worstDegrees = std::max(d.worstDegrees, std::fabs(std::arg(ratio)) * 180 / std::numbers::pi);
    }
    return d;
}

void ExpectAsPredicted(const EffectBlock& image, int channel, const std::string& what) {
    const std::vector<std::vector<double>> out = ImpulseThrough(image);
    const Difference d = Compare(SpectrumAtGrid(out[static_cast<size_t>(channel)]),
                                 analysis::ProcessingResponse(image, channel, {}, Grid()));
    EXPECT_LE(d.worstDb, 0.05) << what;
    EXPECT_LE(d.worstDegrees, 2.0) << what;
}

const char* kTypeNames[] = {"Butterworth", "Bessel", "Linkwitz"};

TEST(BoxSound, EveryCrossoverTypeAndSlopeAsPredicted) {
    for (int type = 0; type < 3; ++type)
        for (int slope = 6; slope <= 48; slope += 6)
            for (const bool high : {true, false}) {
                EffectBlock image = test::box::FlatFromInputOne();
                const int channel = (slope / 6 + type) % kChannelCount;
                test::box::SetPass(image, channel, high, type, slope, high ? 45 : 2500);
                ExpectAsPredicted(image, channel,
                                  std::string(kTypeNames[type]) + " " + std::to_string(slope) + " dB/oct " +
                                      (high ? "high-pass at 45 Hz" : "low-pass at 2500 Hz"));
            }
}

TEST(BoxSound, EqAndFullSettingsAsPredicted) {
    struct Band {
        int band, hz;
        double q, db;
    };
    const struct {
        const char* what;
        std::vector<Band> bands;
        bool crossovers, levels;
    } cases[] = {
        {"one narrow cut at 20 Hz", {{0, 20, 8, -9}}, false, false},
        {"boosts and cuts across the band",
         {{2, 40, 2, 6}, {8, 180, 4.5, -12}, {14, 900, 1, 3}, {20, 4000, 9, -6}, {28, 16000, 1.5, 9}},
         false,
         false},
        {"every band a little", {}, false, false},
        {"EQ, crossovers, level, phase and delay",
         {{5, 63, 3, 4}, {12, 600, 6, -8}, {22, 6300, 2, -3}},
         true,
         true},
    };
    for (const auto& c : cases) {
        EffectBlock image = test::box::FlatFromInputOne();
        const int channel = 3;
        std::vector<Band> bands = c.bands;
        if (bands.empty())
            for (int b = 0; b < kBandCount; ++b)
                bands.push_back({b, static_cast<int>(20 * std::pow(2.0, b / 3.0)), 1.4, (b % 5) - 2.0});
        for (const Band& b : bands) test::box::SetBand(image, channel, b.band, b.hz, b.q, b.db);
        if (c.crossovers) {
            test::box::SetPass(image, channel, true, 2, 18, 70);
            test::box::SetPass(image, channel, false, 1, 30, 3200);
        }
        if (c.levels) test::box::SetLevelPolarityDelay(image, channel, -7, true, 77);
        ExpectAsPredicted(image, channel, c.what);
    }
}

TEST(BoxSound, DelayMuteMixAndPhaseAsSet) {
    EffectBlock image = test::box::FlatFromInputOne();
    // Flat channels, each its own mix of the four inputs.
    const int levels[kChannelCount][kInputCount] = {{100, 0, 0, 0}, {50, 25, 0, 0},       {0, 0, 100, 10},
                                                    {0, 0, 0, 0},   {100, 100, 100, 100}, {30, 0, 60, 0}};
    const int delays[kChannelCount] = {0, 1, 123, 500, 960, 7};
    const int volumesDb[kChannelCount] = {0, -6, 6, 0, -59, -20};
    const bool inverted[kChannelCount] = {false, true, false, false, true, false};
    for (int c = 0; c < kChannelCount; ++c) {
        for (int k = 0; k < kInputCount; ++k)
            image.Set(*FindParam(param::Input(c, k)), static_cast<uint16_t>(levels[c][k]));
        test::box::SetLevelPolarityDelay(image, c, volumesDb[c], inverted[c], delays[c]);
    }
    image.Set(*FindParam(param::MainVol), 57);  // -3 dB
    image.Set(*FindParam(param::MuteCtrl), 1 << 5);
    // An impulse on each input, a millisecond apart.
    std::array<std::vector<double>, kInputCount> input;
    for (size_t k = 0; k < kInputCount; ++k) {
        input[k].assign(2000, 0.0);
        input[k][48 * k] = 1;
    }
    BoxSound box([&] { return image; });
    const std::vector<std::vector<double>> out = Play(box, input, 4096);
    for (int c = 0; c < kChannelCount; ++c) {
        std::vector<double> expected(4096, 0.0);
        const double gain = (inverted[c] ? -1 : 1) * std::pow(10.0, (volumesDb[c] - 3) / 20.0);
        if (c != 5)
            for (int k = 0; k < kInputCount; ++k) expected[48 * k + delays[c]] += gain * levels[c][k] / 100.0;
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_NEAR(out[static_cast<size_t>(c)][i], expected[i], 1e-12)
                << "channel " << c + 1 << " at " << i;
    }
}

// A 1 kHz tone while the settings change: one block after the change the
// sound is what the new settings play from the start, and on the way
// there it moves no faster than the two tones it fades between.
TEST(BoxSound, ChangeMidStreamTakesOneBlockWithoutAClick) {
    const struct {
        const char* what;
        void (*change)(EffectBlock&);
    } cases[] = {
        {"volume up 6 dB", [](EffectBlock& i) { test::box::SetLevelPolarityDelay(i, 0, 6, false, 0); }},
        {"a 9 dB band at the tone", [](EffectBlock& i) { test::box::SetBand(i, 0, 15, 1000, 2, 9); }},
        {"a low-pass below the tone", [](EffectBlock& i) { test::box::SetPass(i, 0, false, 2, 18, 700); }},
        {"phase inverted and delayed",
         [](EffectBlock& i) { test::box::SetLevelPolarityDelay(i, 0, 0, true, 300); }},
        {"muted", [](EffectBlock& i) { i.Set(*FindParam(param::MuteCtrl), 1); }},
    };
    constexpr size_t kFrames = 96 * kBlockFrames, kChangeBlock = 60;
    std::array<std::vector<double>, kInputCount> tone;
    tone[0].resize(kFrames);
    for (size_t i = 0; i < kFrames; ++i)
        tone[0][i] = 0.5 * std::sin(2 * std::numbers::pi * 1000 * i / 48000.0);
    for (const auto& c : cases) {
        EffectBlock before = test::box::FlatFromInputOne(), after = before;
        c.change(after);
        size_t blocks = 0;
        BoxSound changing([&] { return blocks++ < kChangeBlock ? before : after; });
        BoxSound oldOnly([&] { return before; }), newOnly([&] { return after; });
        const auto heard = Play(changing, tone, kFrames)[0];
        const auto was = Play(oldOnly, tone, kFrames)[0], willBe = Play(newOnly, tone, kFrames)[0];
        const size_t from = kChangeBlock * kBlockFrames, to = from + kBlockFrames;
        double worstAfter = 0, worstStep = 0, allowedStep = 0;
        for (size_t i = to; i < kFrames; ++i)
            worstAfter = std::max(worstAfter, std::fabs(heard[i] - willBe[i]));
        for (size_t i = from; i <= to; ++i) {
            worstStep = std::max(worstStep, std::fabs(heard[i] - heard[i - 1]));
            allowedStep =
                std::max({allowedStep, std::fabs(was[i] - was[i - 1]), std::fabs(willBe[i] - willBe[i - 1])});
        }
        EXPECT_LE(worstAfter, 1e-3) << c.what;
        // The fade adds at most the gap between the tones spread over a block.
        EXPECT_LE(worstStep, allowedStep + 2.5 * 1.0 / kBlockFrames) << c.what;
        for (size_t i = 0; i < from; ++i) ASSERT_EQ(heard[i], was[i]) << c.what << " at " << i;
    }
}

}  // namespace
}  // namespace caraudio::emulator
