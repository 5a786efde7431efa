#pragma once

// Whole synthetic cars: left and right tweeters and door mids and one or
// two trunk subs, each a physical speaker (SyntheticCar.h) on a box channel
// with the crossovers a tuner sets, at its own distance, level and
// reflections; one may be wired inverted.
#include <string>
#include <vector>

#include "EffectBlock.h"
#include "ParameterTable.h"
#include "SyntheticCar.h"
#include "ValueScales.h"

namespace caraudio::test::car {

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
// vary with n; CH1/CH2 tweeters (blocks 2, 3), CH3/CH4 mids (4, 5),
// CH5 (block 0) a sub and, for odd n, CH6 (block 1) a second one.
inline std::vector<CarChannel> WholeCar(int n) {
    const double v = n % 5;
    const int tweeterHz = 2500 + 500 * (n % 4), subHz = 60 + 20 * (n % 3);
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
        {2, tweeter("left tweeter", 0.85 + 0.05 * v, 0.25, 1100, 0.35), {2, 24, tweeterHz}, {}},
        {3, tweeter("right tweeter", 1.25 + 0.04 * v, 0.18, 1000, 0.55), {2, 24, tweeterHz}, {}},
        {4, mid("left mid", 0.8 + 0.03 * v, 0.4, 0.6), {0, 12, 70}, {2, 24, tweeterHz}},
        {5, mid("right mid", 1.3 + 0.05 * v, 0.3, 0.95), {0, 12, 70}, {2, 24, tweeterHz}},
        {0, sub("sub", 2.7 + 0.1 * v, 0.5), {}, {2, 24, subHz}},
    };
    if (n % 2) car.push_back({1, sub("second sub", 3.0 + 0.1 * v, 0.45), {}, {2, 24, subHz}});
    return car;
}

}  // namespace caraudio::test::car
