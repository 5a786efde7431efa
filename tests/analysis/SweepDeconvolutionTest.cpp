// The measuring sweep and the response deconvolved from what comes back:
// the sweep checked against its textbook law, the response against the
// speaker it was played through.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "Deconvolution.h"
#include "Sweep.h"
#include "SyntheticCar.h"
#include "TextbookDft.h"

namespace caraudio::analysis {
namespace {

namespace car = test::car;

TEST(Sweep, FollowsTheExponentialLawAndFades) {
    const SweepSettings cases[] = {
        {20, 20000, 1.5, -12, 48000}, {40, 16000, 0.7, -6, 48000}, {100, 10000, 3, -20, 44100}};
    for (const SweepSettings& s : cases) {
        const std::vector<double> x = ExponentialSweep(s);
        ASSERT_EQ(x.size(), static_cast<size_t>(std::lround(s.seconds * s.rate)));
        double peak = 0;
        for (double v : x) peak = std::max(peak, std::fabs(v));
        EXPECT_NEAR(20 * std::log10(peak), s.levelDbfs, 0.01);
        EXPECT_LT(std::fabs(x.front()), 1e-6);
        EXPECT_LT(std::fabs(x.back()), 0.05 * peak);
        // Half a period between zero crossings: the frequency at that time,
        // low * (high / low)^(t / T), checked from a quarter to nine tenths of the way.
        std::vector<double> crossings;
        for (size_t i = 1; i < x.size(); ++i)
            if ((x[i - 1] < 0) != (x[i] < 0))
                crossings.push_back((static_cast<double>(i) - 1 + x[i - 1] / (x[i - 1] - x[i])) / s.rate);
        for (size_t k = 1; k < crossings.size(); ++k) {
            const double t = 0.5 * (crossings[k] + crossings[k - 1]);
            if (t < 0.25 * s.seconds || t > 0.9 * s.seconds) continue;
            const double expected = s.lowHz * std::pow(s.highHz / s.lowHz, t / s.seconds);
            if (expected > 0.05 * s.rate) continue;  // too few samples a period to time it by lines
            EXPECT_NEAR(1 / (2 * (crossings[k] - crossings[k - 1])), expected, 0.01 * expected)
                << "at " << t << " s";
        }
    }
}

// y = x * h, from the definition.
std::vector<double> Convolve(const std::vector<double>& x, const std::vector<double>& h, size_t length) {
    std::vector<double> y(length, 0.0);
    for (size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0)
            for (size_t j = 0; j < h.size() && i + j < length; ++j) y[i + j] += x[i] * h[j];
    return y;
}

// A speaker played by a sweep that starts some way into the take (the
// loopback hears it start there too), recorded with noise; the response
// deconvolved against the loopback is the speaker's, and in time it
// counts from the sweep leaving the output.
TEST(Deconvolution, RecoversTheSpeakerAgainstTheLoopback) {
    const struct {
        const char* what;
        car::Chain chain;
        double pathM, noiseDbfs, toleranceDb;
    } cases[] = {
        {"tweeter behind a 3 kHz high-pass, quiet",
         car::Then(car::Tweeter(), car::Crossover(car::Kind::LinkwitzRiley, true, 4, 3000)), 1.1, -100, 0.05},
        {"door mid, noisy", car::Then(car::DoorMid(), car::Crossover(car::Kind::Butterworth, false, 3, 2500)),
         0.9, -70, 0.3},
        {"sub with the cabin's gain",
         car::Then(car::Sub(), car::Crossover(car::Kind::LinkwitzRiley, false, 4, 80)), 2.1, -85, 0.1},
    };
    const SweepSettings settings{20, 20000, 0.5, -12, 48000};
    const std::vector<double> sweep = ExponentialSweep(settings);
    constexpr size_t kLead = 3000, kTake = 24000 + 3000 + 4800, kResponse = 4800;
    std::vector<double> loopback(kTake, 0.0);
    for (size_t i = 0; i < sweep.size(); ++i) loopback[kLead + i] = sweep[i];
    for (const auto& c : cases) {
        car::Speaker s;
        s.chain = c.chain;
        s.pathM = c.pathM;
        s.reflections = {{0.7, 0.4}};
        s.noiseDb = -300;
        const std::vector<double> h = car::Render(s, 0.1);
        std::vector<double> mic = Convolve(loopback, h, kTake);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0, std::pow(10, c.noiseDbfs / 20));
        for (double& v : mic) v += noise(random);
        const std::vector<double> found = Deconvolve(mic, loopback, kResponse);
        ASSERT_EQ(found.size(), kResponse);
        double loudest = 0;
        for (double hz = 30; hz < 18000; hz *= 1.05)
            loudest = std::max(loudest, std::abs(test::Dtft(h, car::kRate, hz)));
        for (double hz = 30; hz < 18000; hz *= 1.05) {
            const std::complex<double> truth =
                test::Dtft(std::vector<double>(h.begin(), h.begin() + kResponse), car::kRate, hz);
            if (std::abs(truth) < 0.1 * loudest) continue;  // within 20 dB of the loudest
            const std::complex<double> ratio = test::Dtft(found, car::kRate, hz) / truth;
            EXPECT_NEAR(20 * std::log10(std::abs(ratio)), 0, c.toleranceDb) << c.what << " at " << hz;
            EXPECT_NEAR(std::arg(ratio) * 180 / std::numbers::pi, 0, 10 * c.toleranceDb)
                << c.what << " at " << hz;
        }
    }
}

}  // namespace
}  // namespace caraudio::analysis
