#pragma once

// Whole synthetic cars: left and right tweeters and door mids and one or
// two trunk subs, each a physical speaker (SyntheticCar.h) on a box channel
// with the crossovers a tuner sets, at its own distance, level and
// reflections; one may be wired inverted.
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "EffectBlock.h"
#include "ParameterTable.h"
#include "SyntheticCar.h"
#include "Target.h"
#include "Textbook.h"
#include "TextbookCrossover.h"
#include "ValueScales.h"

namespace caraudio::test::whole {

using namespace caraudio::test::car;

struct BoxPass {
    int type = 2;     // 0 Butterworth, 1 Bessel, 2 Linkwitz
    int slopeDb = 0;  // 0: off
    int hz = 0;
};

struct CarChannel {
    int block = 0;
    Speaker speaker;
    BoxPass highPass, lowPass;
};

inline void SetPass(EffectBlock& image, int block, bool high, const BoxPass& p) {
    const int slope = p.slopeDb ? p.slopeDb / 6 - 1 : kSlopeOff;
    image.Set(*FindParam(high ? param::HighPassType(block) : param::LowPassType(block)),
              WithCrossoverType(WithCrossoverSlope(0, slope), p.type));
    image.Set(*FindParam(high ? param::HighPassFreq(block) : param::LowPassFreq(block)),
              static_cast<uint16_t>(p.slopeDb ? p.hz
                                    : high    ? 0
                                              : 20000));
}

// The box as the installer left it: crossovers set, bands flat, no delay,
// every channel at 0 dB and in phase.
inline EffectBlock InstallersImage(const std::vector<CarChannel>& car) {
    EffectBlock image = DefaultEffectBlock();
    for (const CarChannel& c : car) {
        SetPass(image, c.block, true, c.highPass);
        SetPass(image, c.block, false, c.lowPass);
        image.Set(*FindParam(param::Volume(c.block)), 60);
        image.Set(*FindParam(param::Delay(c.block)), 0);
        for (int b = 0; b < kBandCount; ++b) image.Set(*FindParam(param::BandGain(c.block, b)), 0);
    }
    image.Set(*FindParam(param::PhaseCtrl), 0);
    image.Set(*FindParam(param::MuteCtrl), 0);
    return image;
}

// The box's crossovers of a channel as the sound meets them.
inline Chain BoxChain(const CarChannel& c) {
    Chain chain;
    if (c.highPass.slopeDb)
        chain = Then(chain, BoxCrossover(c.highPass.type, true, c.highPass.slopeDb, c.highPass.hz));
    if (c.lowPass.slopeDb)
        chain = Then(chain, BoxCrossover(c.lowPass.type, false, c.lowPass.slopeDb, c.lowPass.hz));
    return chain;
}

// Car `n` (0..): distances, levels, drivers, crossovers and reflections
// vary with n, and so do the crossovers' types and slopes (Linkwitz and
// Butterworth, 12 to 48 dB/oct); CH1/CH2 tweeters (blocks 2, 3),
// CH3/CH4 mids (4, 5), CH5 (block 0) a sub and, for odd n, CH6 (block 1) a
// second one. In every fourth car from n = 2 the right mid is wired inverted.
inline std::vector<CarChannel> WholeCar(int n) {
    const double v = n % 5;
    const int tweeterHz = 2500 + 500 * (n % 4), subHz = 60 + 20 * (n % 3);
    // Pairs a tuner would set on both sides of a crossover, as the box's
    // sections add there: Linkwitz 24 and Butterworth 48 sum flat, Linkwitz
    // 12 and Butterworth 36 within 3 dB with one side inverted.
    constexpr BoxPass kKinds[] = {{2, 24, 0}, {0, 48, 0}, {2, 12, 0}, {0, 36, 0}, {2, 24, 0}};
    auto pass = [&](int kind, int hz) {
        BoxPass p = kKinds[kind % 5];
        p.hz = hz;
        return p;
    };
    const BoxPass high = pass(n, tweeterHz), low = pass(n + 2, subHz);
    // Each side's reflections differ: the cabin is not symmetric about the seat.
    auto tweeter = [&](const char* name, double pathM, double gain, double resonance, double bounceM) {
        Speaker s{name, Then(Tweeter(resonance), {Peaking(8000, 3, 1.5)}), gain, 1, pathM, {}, -70};
        s.reflections = {{bounceM + 0.05 * v, 0.4}, {1.1, 0.3}};
        return s;
    };
    auto mid = [&](const char* name, double pathM, double gain, double bounceM) {
        Speaker s{name, Then(DoorMid(50 + 4 * v, 4500 + 300 * v), {Peaking(250, 5, 3)}), gain, 1, pathM, {},
                  -70};
        s.reflections = {{bounceM, 0.5}, {1.5 + 0.1 * v + bounceM, 0.3}};
        return s;
    };
    auto sub = [&](const char* name, double pathM, double gain) {
        return Speaker{name, Then(Sub(28 + 2 * v, 9 + v), {Peaking(55, 6, 4)}), gain, 1, pathM, {{1.0, 0.5}},
                       -70};
    };
    std::vector<CarChannel> car{
        {2, tweeter("left tweeter", 0.85 + 0.05 * v, 0.25, 1100, 0.35), high, {}},
        {3, tweeter("right tweeter", 1.25 + 0.04 * v, 0.18, 1000, 0.55), high, {}},
        {4, mid("left mid", 0.8 + 0.03 * v, 0.4, 0.6), low, high},
        {5, mid("right mid", 1.3 + 0.05 * v, 0.3, 0.95), low, high},
        {0, sub("sub", 2.7 + 0.1 * v, 0.5), {}, low},
    };
    if (n % 4 == 2) car[3].speaker.polarity = -1;
    if (n % 2) car.push_back({1, sub("second sub", 3.0 + 0.1 * v, 0.45), {}, low});
    return car;
}

// The channel's bands as the box holds them, as cookbook sections (the
// box's band takes a third of the Q it shows).
inline std::complex<double> BandsAt(const EffectBlock& image, int block, double hz) {
    std::complex<double> h = 1;
    for (int b = 0; b < kBandCount; ++b) {
        const auto gain = static_cast<int16_t>(image.Get(*FindParam(param::BandGain(block, b))));
        if (gain == 0) continue;
        h *= Peaking(image.Get(*FindParam(param::BandFreq(block, b))), gain / 100.0,
                     image.Get(*FindParam(param::BandQ(block, b))) / 300.0)
                 .At(hz);
    }
    return h;
}

// What the listener hears with the image's settings, from the speakers
// themselves: bands, the box's crossovers, level, polarity, delay.
// What one channel sends to the seat with the image's settings.
inline std::complex<double> ChannelAt(const CarChannel& c, const EffectBlock& image, double hz) {
    const double volumeDb = image.Get(*FindParam(param::Volume(c.block))) - 60.0;
    const double sign = image.Get(*FindParam(param::PhaseCtrl)) >> c.block & 1 ? -1 : 1;
    const double delayS = image.Get(*FindParam(param::Delay(c.block))) / 48000.0;
    return c.speaker.At(hz) * ChainAt(BoxChain(c), hz) * BandsAt(image, c.block, hz) * sign *
           std::pow(10.0, volumeDb / 20) * std::polar(1.0, -2 * std::numbers::pi * hz * delayS);
}

inline std::complex<double> HeardAt(const std::vector<CarChannel>& car, const EffectBlock& image, double hz) {
    std::complex<double> sum = 0;
    for (const CarChannel& c : car) sum += ChannelAt(c, image, hz);
    return sum;
}

// A crossover pair's worst loss of |a + b| against |a| + |b| from half to
// twice hz with the image's settings, and the best any delay of b against
// a (whole 1/48 ms steps, up to 20 ms either way) and either polarity can
// reach there.
struct PairLoss {
    double tunedDb, bestDb;
};

inline PairLoss PairLossAt(const CarChannel& lower, const CarChannel& higher, const EffectBlock& image,
                           double hz) {
    std::vector<double> w;
    std::vector<std::complex<double>> a, b;
    for (int i = 0; i < 1024; ++i) {
        const double f = test::EditorGridHz(i);
        if (f < hz / 2 || f > hz * 2) continue;
        w.push_back(2 * std::numbers::pi * f / 48000);
        a.push_back(ChannelAt(lower, image, f));
        b.push_back(ChannelAt(higher, image, f));
    }
    auto loss = [&](int shift, double sign) {
        double worst = 0;
        for (size_t k = 0; k < w.size(); ++k) {
            const std::complex<double> moved = sign * b[k] * std::polar(1.0, -w[k] * shift);
            const double perfect = std::abs(a[k]) + std::abs(b[k]);
            if (perfect > 0)
                worst = std::max(worst, -20 * std::log10(std::max(1e-9, std::abs(a[k] + moved) / perfect)));
        }
        return worst;
    };
    PairLoss out{loss(0, 1), 1e9};
    for (int shift = -960; shift <= 960; ++shift)
        for (const double sign : {1.0, -1.0}) out.bestDb = std::min(out.bestDb, loss(shift, sign));
    return out;
}

// The RMS over 20..20000 Hz of the 1/6-octave-smoothed sum against the
// target, the sum's level set onto the target over 200..2000 Hz.
inline double HeardRms(const std::vector<CarChannel>& car, const EffectBlock& image,
                       const analysis::HouseCurve& house) {
    std::vector<double> hz, db;
    for (int i = 0; i < 1024; ++i) {
        hz.push_back(test::EditorGridHz(i));
        db.push_back(20 * std::log10(std::abs(HeardAt(car, image, hz.back()))));
    }
    const std::vector<double> smooth = test::OctaveSmoothed(hz, db, 6);
    double offset = 0;
    int n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 200 && hz[i] <= 2000) offset += analysis::HouseCurveDb(house, hz[i]) - smooth[i], ++n;
    offset /= n;
    double sum = 0;
    n = 0;
    for (size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= 20 && hz[i] <= 20000) {
            const double e = smooth[i] + offset - analysis::HouseCurveDb(house, hz[i]);
            sum += e * e, ++n;
        }
    return std::sqrt(sum / n);
}

}  // namespace caraudio::test::whole
