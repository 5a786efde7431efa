// A measurement taken through the channel's crossovers or its settings:
// the prediction takes out what played and puts in what the box will do, so
// it is the same as for the speaker measured alone.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>

#include "ChannelCurves.h"
#include "MeasuredCurve.h"
#include "MeasuredWith.h"
#include "PredictedResponse.h"
#include "Textbook.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

constexpr int kChannel = 3;  // CH2

// The crossovers as the box makes them, textbook filters at 48 kHz: a
// Linkwitz-Riley 24 dB/oct is two Butterworth (Q 1/sqrt 2) sections; a
// 12 dB/oct Linkwitz setting one Butterworth section; a 12 dB/oct Bessel
// one section of the Bessel Q 1/sqrt 3.
enum class Pass { Off, Linkwitz12, Linkwitz24, Bessel12 };

double PassDb(Pass p, bool high, double f0, double hz) {
    const double butterworth = 1 / std::sqrt(2.0), bessel = 1 / std::sqrt(3.0);
    switch (p) {
    case Pass::Off:
        return 0;
    case Pass::Linkwitz12:
        return test::TextbookPassDb(high, f0, butterworth, hz);
    case Pass::Linkwitz24:
        return 2 * test::TextbookPassDb(high, f0, butterworth, hz);
    case Pass::Bessel12:
        return test::TextbookPassDb(high, f0, bessel, hz);
    }
    return 0;
}

// The type byte: type in bits 7..6 (1 Bessel, 2 Linkwitz), slope index in
// bits 4..0 (1: 12 dB/oct, 3: 24 dB/oct, 8: off).
uint16_t PassByte(Pass p) {
    switch (p) {
    case Pass::Off:
        return 8;
    case Pass::Linkwitz12:
        return 2 << 6 | 1;
    case Pass::Linkwitz24:
        return 2 << 6 | 3;
    case Pass::Bessel12:
        return 1 << 6 | 1;
    }
    return 8;
}

// An analog minimum-phase second-order high- (or low-) pass at f0 and Q, in dB.
double AnalogPassDb(bool high, double f0, double q, double hz) {
    const std::complex<double> s(0, hz / f0);
    return 20 * std::log10(std::abs((high ? s * s : 1.0) / (s * s + s / q + 1.0)));
}

struct Speaker {
    const char* name;
    std::function<double(double)> aloneDb;  // what the speaker alone measures
    double fromHz, toHz;                    // the measurement's span
    Pass highPass;
    double highHz;
    Pass lowPass;
    double lowHz;
};

const Speaker kSpeakers[] = {
    {"tweeter rolling off at 1.2 kHz behind a 3 kHz high-pass",
     [](double hz) { return 88 + AnalogPassDb(true, 1200, 0.8, hz) + AnalogPassDb(false, 22000, 0.7, hz); },
     500, 20000, Pass::Linkwitz24, 3000, Pass::Off, 20000},
    {"door midbass between 80 Hz and 3 kHz",
     [](double hz) {
         return 86 + AnalogPassDb(true, 55, 0.6, hz) + AnalogPassDb(false, 6000, 0.6, hz) +
                4 * std::exp(-std::pow(std::log2(hz / 140) / 0.2, 2));
     },
     20, 20000, Pass::Linkwitz12, 80, Pass::Bessel12, 3000},
    {"trunk subwoofer with cabin gain under an 80 Hz low-pass",
     [](double hz) {
         return 90 + AnalogPassDb(true, 25, 0.7, hz) + AnalogPassDb(false, 400, 0.6, hz) +
                10 * std::log10(1 + std::pow(45 / hz, 2));
     },
     15, 2000, Pass::Off, 20, Pass::Linkwitz24, 80},
};

// As a measuring program exports it: 48 points per octave, off the grid.
Measurement Measure(const std::function<double(double)>& db, double fromHz, double toHz) {
    Measurement m;
    for (double hz = fromHz; hz <= toHz; hz *= std::pow(2.0, 1.0 / 48)) m.points.push_back({hz, db(hz), NAN});
    return m;
}

EffectBlock WithCrossovers(const Speaker& s) {
    EffectBlock image;
    image.Set(*FindParam(param::HighPassType(kChannel)), PassByte(s.highPass));
    image.Set(*FindParam(param::HighPassFreq(kChannel)), static_cast<uint16_t>(s.highHz));
    image.Set(*FindParam(param::LowPassType(kChannel)), PassByte(s.lowPass));
    image.Set(*FindParam(param::LowPassFreq(kChannel)), static_cast<uint16_t>(s.lowHz));
    return image;
}

struct Grid {
    Grid() { grid.Build(17); }
    FrequencyGrid grid;
};

// The editor's predicted curve for a measurement taken through `played`,
// with the channel as `now` holds it.
Response Predicted(const FrequencyGrid& grid, const Measurement& m, Smoothing smoothing,
                   const PlayedSettings& played, const EffectBlock& now) {
    const Response flat{};
    const LevelAlignment aligned = MeasuredCurveOnGrid(m, smoothing, flat, grid, {}, kEverywhere,
                                                       PlayedOnGrid(played, m, smoothing, grid));
    EXPECT_EQ(aligned.status, LevelAlignment::Status::Aligned);
    FrequencyGrid built = grid;
    ChannelCurves curves(built);
    curves.RebuildChannel(kChannel, now);
    return PredictedResponse(aligned.aligned, curves.Model(kChannel));
}

// The largest difference where both have levels, and how many points those are.
std::pair<double, int> Apart(const Response& a, const Response& b) {
    double worst = 0;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::isnan(a[i]) || std::isnan(b[i])) {
            EXPECT_EQ(std::isnan(a[i]), std::isnan(b[i])) << "the same points have levels, " << i;
            continue;
        }
        worst = std::max(worst, std::abs(a[i] - b[i]));
        ++n;
    }
    return {worst, n};
}

TEST(MeasuredWith, ThroughTheCrossoversPredictsAsTheSpeakerAlone) {
    Grid g;
    for (const Speaker& s : kSpeakers) {
        const EffectBlock image = WithCrossovers(s);
        auto throughCrossovers = [&](double hz) {
            return s.aloneDb(hz) + PassDb(s.highPass, true, s.highHz, hz) +
                   PassDb(s.lowPass, false, s.lowHz, hz);
        };
        const Measurement alone = Measure(s.aloneDb, s.fromHz, s.toHz);
        const Measurement through = Measure(throughCrossovers, s.fromHz, s.toHz);
        for (Smoothing smoothing :
             {Smoothing::None, Smoothing::Octave12, Smoothing::Octave6, Smoothing::Octave3}) {
            const Response expected =
                Predicted(g.grid, alone, smoothing, {MeasuredWith::Flat, kChannel, {}}, image);
            const Response got =
                Predicted(g.grid, through, smoothing, {MeasuredWith::Crossovers, kChannel, image}, image);
            const auto [worst, points] = Apart(got, expected);
            EXPECT_GT(points, 300) << s.name;
            EXPECT_LT(worst, 0.05) << s.name << ", smoothing " << SmoothingText(smoothing);
            // Taken as flat, the crossovers count twice.
            const auto [twice, n] = Apart(
                Predicted(g.grid, through, smoothing, {MeasuredWith::Flat, kChannel, {}}, image), expected);
            EXPECT_GT(twice, 3) << s.name;
        }
    }
}

TEST(MeasuredWith, ThroughItsSettingsTakesOutThoseItWasTakenThrough) {
    Grid g;
    const Speaker& mid = kSpeakers[1];
    // At load: two bands, the crossovers and a level of -8 dB.
    struct Band {
        int index;
        uint16_t hz, q;  // raw Q: three times the cookbook Q, times 100
        int16_t gainCentiDb;
    };
    const Band atLoad[] = {{5, 200, 420, -400}, {17, 1000, 300, 600}};
    EffectBlock loaded = WithCrossovers(mid);
    for (const Band& b : atLoad) {
        loaded.Set(*FindParam(param::BandFreq(kChannel, b.index)), b.hz);
        loaded.Set(*FindParam(param::BandQ(kChannel, b.index)), b.q);
        loaded.Set(*FindParam(param::BandGain(kChannel, b.index)), static_cast<uint16_t>(b.gainCentiDb));
    }
    loaded.Set(*FindParam(param::Volume(kChannel)), static_cast<uint16_t>(-8 - kMinVolumeDb));
    auto throughSettings = [&](double hz) {
        double db = mid.aloneDb(hz) - 8 + PassDb(mid.highPass, true, mid.highHz, hz) +
                    PassDb(mid.lowPass, false, mid.lowHz, hz);
        for (const Band& b : atLoad)
            db += test::TextbookPeakingDb(b.hz, b.gainCentiDb / 100.0, b.q / 300.0, hz);
        return db;
    };
    const Measurement alone = Measure(mid.aloneDb, mid.fromHz, mid.toHz);
    const Measurement through = Measure(throughSettings, mid.fromHz, mid.toHz);

    // Edited since: a band moved, one added, the high-pass and the level changed.
    EffectBlock edited = loaded;
    edited.Set(*FindParam(param::BandGain(kChannel, 5)), static_cast<uint16_t>(-150));
    edited.Set(*FindParam(param::BandGain(kChannel, 24)), static_cast<uint16_t>(-300));
    edited.Set(*FindParam(param::HighPassFreq(kChannel)), 100);
    edited.Set(*FindParam(param::Volume(kChannel)), static_cast<uint16_t>(-2 - kMinVolumeDb));

    const struct {
        const char* what;
        EffectBlock now;
    } cases[] = {{"as loaded", loaded}, {"edited since", edited}};
    for (const auto& c : cases)
        for (Smoothing smoothing : {Smoothing::None, Smoothing::Octave6}) {
            const Response expected =
                Predicted(g.grid, alone, smoothing, {MeasuredWith::Flat, kChannel, {}}, c.now);
            const auto [worst, points] =
                Apart(Predicted(g.grid, through, smoothing, {MeasuredWith::Current, kChannel, loaded}, c.now),
                      expected);
            EXPECT_GT(points, 900) << c.what;
            EXPECT_LT(worst, 0.05) << c.what << ", smoothing " << SmoothingText(smoothing);
        }
    // Taking out the edited settings in place of those it was taken through
    // misses by the edits.
    const auto [wrong, n] =
        Apart(Predicted(g.grid, through, Smoothing::None, {MeasuredWith::Current, kChannel, edited}, edited),
              Predicted(g.grid, alone, Smoothing::None, {MeasuredWith::Flat, kChannel, {}}, edited));
    EXPECT_GT(wrong, 2);
}

TEST(MeasuredWith, TheWordsOfTheSettingsFileAndTheCommandLine) {
    const struct {
        const char* text;
        std::optional<MeasuredWith> with;
    } cases[] = {{"flat", MeasuredWith::Flat},       {"crossovers", MeasuredWith::Crossovers},
                 {"current", MeasuredWith::Current}, {"Flat", std::nullopt},
                 {"crossover", std::nullopt},        {"", std::nullopt},
                 {"current ", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseMeasuredWith(c.text), c.with) << c.text;
        if (c.with) {
            EXPECT_EQ(MeasuredWithText(*c.with), c.text);
        }
    }
}

}  // namespace
}  // namespace caraudio::analysis
