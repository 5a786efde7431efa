// The whole job in the car, as an installer does it with the emulated box
// and its built-in car: measure every speaker, tune from the measurements,
// measure again. Judged on what the second measurement says the listener
// hears: the six channels' sum at the seat against the target, and each
// crossover's sum against its two speakers' levels added.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>

#include "BoxSettings.h"
#include "CliRig.h"
#include "MonoWav.h"
#include "Target.h"
#include "Textbook.h"
#include "TextbookCrossover.h"
#include "TextbookDft.h"

namespace caraudio::cli {
namespace {

// Measuring and tuning run under the sanitizers in their own tests; this
// one, their sum, is judged in the normal build, where it takes seconds.
#ifndef CARAUDIO_SANITIZED

using namespace rig;

const analysis::HouseCurve kHouse{6, 80, -1.5, 1000};

// The installer's crossovers for the built-in car: tweeters above 3.5 kHz,
// door mids 70 Hz..3.5 kHz, subs below 70 Hz, all Linkwitz 24 dB/oct; no EQ,
// equal levels, no delays.
EffectBlock InstallersImage() {
    EffectBlock image = test::box::FlatFromInputOne();
    for (const int ch : {1, 2}) test::box::SetPass(image, BlockOfChannel(ch), true, 2, 24, 3500);
    for (const int ch : {3, 4}) {
        test::box::SetPass(image, BlockOfChannel(ch), true, 2, 24, 70);
        test::box::SetPass(image, BlockOfChannel(ch), false, 2, 24, 3500);
    }
    for (const int ch : {5, 6}) test::box::SetPass(image, BlockOfChannel(ch), false, 2, 24, 70);
    return image;
}

class CliClosedLoop : public CliWithBox {
protected:
    // Every channel measured into `folder`; the responses by channel number less one.
    std::vector<std::vector<double>> MeasureAll(const char* folder) {
        const Result r = Box({"measure", "CH1", "CH2", "CH3", "CH4", "CH5", "CH6", "--out", File(folder),
                              "--allow-full-range"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::vector<double>> h;
        for (int n = 1; n <= kChannelCount; ++n)
            h.push_back(test::ReadMonoWav(File(folder) + "/CH" + std::to_string(n) + ".wav"));
        return h;
    }
};

std::vector<double> GridHz() {
    std::vector<double> hz;
    for (int i = 0; i < 1024; ++i) hz.push_back(test::EditorGridHz(i));
    return hz;
}

// Each channel's spectrum on the editor's grid, from the response's first
// 0.3 s: the cabin has long fallen quiet by then.
using Spectra = std::vector<std::vector<std::complex<double>>>;
Spectra SpectraOf(const std::vector<std::vector<double>>& h) {
    Spectra s;
    for (const std::vector<double>& x : h) {
        const std::vector<double> early(x.begin(),
                                        x.begin() + static_cast<long>(std::min<size_t>(x.size(), 14400)));
        std::vector<std::complex<double>> one;
        for (const double hz : GridHz()) one.push_back(test::Dtft(early, 48000, hz));
        s.push_back(std::move(one));
    }
    return s;
}

// Levels in dB on the editor's grid of the channels' sum at the seat,
// smoothed over 1/6 octave.
std::vector<double> SumDb(const Spectra& s, std::initializer_list<int> numbers) {
    std::vector<double> db;
    for (size_t i = 0; i < GridHz().size(); ++i) {
        std::complex<double> sum = 0;
        for (const int n : numbers) sum += s[static_cast<size_t>(n - 1)][i];
        db.push_back(20 * std::log10(std::abs(sum) + 1e-12));
    }
    return test::OctaveSmoothed(GridHz(), db, 6);
}

// The RMS over 20..20000 Hz of the 1/6-octave-smoothed sum against the
// target, the sum's level set onto the target over 200..2000 Hz.
double SumRmsDb(const Spectra& h) {
    const std::vector<double> hz = GridHz();
    const std::vector<double> smooth = SumDb(h, {1, 2, 3, 4, 5, 6});
    double offset = 0, sum = 0;
    int n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 200 && hz[i] <= 2000) offset += analysis::HouseCurveDb(kHouse, hz[i]) - smooth[i], ++n;
    offset /= n;
    n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 20 && hz[i] <= 20000) {
            const double e = smooth[i] + offset - analysis::HouseCurveDb(kHouse, hz[i]);
            sum += e * e, ++n;
        }
    return std::sqrt(sum / n);
}

// A crossover's worst loss from half to twice its frequency: the two
// speakers' smoothed levels added as if in phase, against their smoothed sum.
double CrossoverLossDb(const Spectra& h, int lower, int higher, double crossoverHz) {
    const std::vector<double> hz = GridHz();
    const std::vector<double> a = SumDb(h, {lower}), b = SumDb(h, {higher}), both = SumDb(h, {lower, higher});
    double worst = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= crossoverHz / 2 && hz[i] <= crossoverHz * 2)
            worst =
                std::max(worst, 20 * std::log10(std::pow(10, a[i] / 20) + std::pow(10, b[i] / 20)) - both[i]);
    return worst;
}

TEST_F(CliClosedLoop, MeasureTuneMeasureAgainMeetsTheTarget) {
    const EffectBlock installer = InstallersImage();
    const std::string bin = File("installer.bin");
    std::ofstream(bin, std::ios::binary)
        .write(reinterpret_cast<const char*>(installer.data()), EffectBlock::size());
    ASSERT_EQ(Box({"write", bin}).status, 0);

    const Spectra before = SpectraOf(MeasureAll("before"));
    ASSERT_EQ(before.size(), 6u);
    std::vector<std::string> tune{"tune",   "--target", "house:6@80,-1.5", "--measured-with", "current",
                                  "--left", "CH1,CH3",  "--right",         "CH2,CH4"};
    for (int n = 1; n <= kChannelCount; ++n)
        tune.push_back("CH" + std::to_string(n) + "=" + File("before") + "/CH" + std::to_string(n) + ".wav");
    const Result tuned = Box(std::vector<std::string_view>(tune.begin(), tune.end()));
    ASSERT_EQ(tuned.status, 0) << tuned.err << tuned.out;

    const Spectra after = SpectraOf(MeasureAll("after"));
    const double rmsBefore = SumRmsDb(before), rmsAfter = SumRmsDb(after);
    EXPECT_LT(rmsAfter, 2.5) << tuned.out;
    EXPECT_LT(rmsAfter, rmsBefore) << tuned.out;
    // Every crossover the tune set, as the microphone heard it afterwards.
    int crossovers = 0;
    for (const std::string& line : Lines(tuned.out)) {
        int lower = 0, higher = 0;
        double hz = 0;
        if (std::sscanf(line.c_str(), "* Crossover CH%d to CH%d at %lf Hz", &lower, &higher, &hz) != 3)
            continue;
        ++crossovers;
        EXPECT_LT(CrossoverLossDb(after, lower, higher, hz), 1.5) << line;
    }
    EXPECT_GE(crossovers, 4) << tuned.out;
    std::printf("sum against the target: %.2f dB RMS measured before the tune, %.2f after\n", rmsBefore,
                rmsAfter);
}
#endif

}  // namespace
}  // namespace caraudio::cli
