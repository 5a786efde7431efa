#pragma once

// A synthetic car as the alignment tests use it: each channel's speaker (its
// own roll-offs and any passive crossover in its chain), the box crossovers
// set on its channel, and its volume. The truth of what a channel sends to
// the seat is computed here from the speaker and the textbook sections, never
// with the program's models.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "BoxSettings.h"
#include "EditorGrid.h"
#include "SeatChannel.h"
#include "SyntheticCar.h"

namespace caraudio::test::car {

// A box crossover of whole sections; slopeDb 0 leaves it off.
struct BoxPass {
    int type = 2;  // 0 Butterworth, 1 Bessel, 2 Linkwitz
    int slopeDb = 0;
    int hz = 0;
};

struct CarChannel {
    std::string name;
    int block = 0;
    analysis::Side side = analysis::Side::Unknown;
    Speaker speaker;
    BoxPass highPass, lowPass;
    int volumeDb = 0;
};
using Car = std::vector<CarChannel>;

// The channels' crossovers and volumes; no delay, no phase button.
inline EffectBlock Settings(const Car& car) {
    EffectBlock image = DefaultEffectBlock();
    for (const CarChannel& c : car) {
        box::SetOff(image, c.block);
        if (c.highPass.slopeDb)
            box::SetPass(image, c.block, true, c.highPass.type, c.highPass.slopeDb, c.highPass.hz);
        if (c.lowPass.slopeDb)
            box::SetPass(image, c.block, false, c.lowPass.type, c.lowPass.slopeDb, c.lowPass.hz);
        box::SetLevelPolarityDelay(image, c.block, c.volumeDb, false, 0);
    }
    return image;
}

// What the channel sends to the seat at hz with the box's crossovers,
// the volume raw, the delay raw and the phase button given.
inline std::complex<double> Truth(const CarChannel& c, double hz, int volumeRaw, int delayRaw,
                                  bool inverted) {
    std::complex<double> h = c.speaker.At(hz) * std::pow(10.0, (volumeRaw - 60) / 20.0) *
                             (inverted ? -1.0 : 1.0) *
                             std::polar(1.0, -2 * std::numbers::pi * hz * delayRaw / kRate);
    if (c.highPass.slopeDb)
        h *= ChainAt(BoxCrossover(c.highPass.type, true, c.highPass.slopeDb, c.highPass.hz), hz);
    if (c.lowPass.slopeDb)
        h *= ChainAt(BoxCrossover(c.lowPass.type, false, c.lowPass.slopeDb, c.lowPass.hz), hz);
    return h;
}

// Long enough for the slowest sub's ringing to die into the noise.
inline constexpr double kRecordingS = 0.3;

inline analysis::ImpulseResponse Recording(const Speaker& s, unsigned seed) {
    return {Render(s, kRecordingS, seed), static_cast<int>(kRate)};
}

// The channel's speaker as the microphone hears it through its box
// crossovers, as a tuner measures it.
inline Speaker ThroughCrossovers(const CarChannel& c) {
    Speaker s = c.speaker;
    if (c.highPass.slopeDb)
        s.chain = Then(s.chain, BoxCrossover(c.highPass.type, true, c.highPass.slopeDb, c.highPass.hz));
    if (c.lowPass.slopeDb)
        s.chain = Then(s.chain, BoxCrossover(c.lowPass.type, false, c.lowPass.slopeDb, c.lowPass.hz));
    return s;
}

// Every channel measured alone (flat) or through its crossovers, each with
// its own noise.
inline std::vector<analysis::SeatChannel> Measure(
    const Car& car, const EffectBlock& image, analysis::MeasuredWith with = analysis::MeasuredWith::Flat) {
    std::vector<analysis::SeatChannel> out;
    unsigned seed = 1;
    for (const CarChannel& c : car) {
        const Speaker heard = with == analysis::MeasuredWith::Crossovers ? ThroughCrossovers(c) : c.speaker;
        const analysis::SeatChannelRead read = analysis::SeatChannelFromImpulse(
            Recording(heard, seed++), {with, c.block, image}, c.side, analysis::EditorGrid());
        EXPECT_EQ(read.status, analysis::ArrivalStatus::Found) << c.name;
        out.push_back(read.channel);
    }
    return out;
}

}  // namespace caraudio::test::car
