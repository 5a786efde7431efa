#pragma once

// The speakers a car has, measured at the listening position as a
// measuring program exports them, made from physics: the driver's own
// minimum-phase roll-offs (second-order sections at its resonance and
// breakup), the cabin's pressure gain (a low shelf), cabin modes (peaking
// shapes), reflections (combs), a noise floor and measurement noise. Each
// comes with the crossovers a tuner puts in front of it, as the box's
// fields hold them and as textbook filters.

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "ParameterTable.h"
#include "Textbook.h"
#include "TextbookCrossover.h"
#include "ValueScales.h"

namespace caraudio::analysis::speakers {

using test::EditorGridHz;
using test::PassKind;

struct Crossover {
    PassKind kind;
    int order;
    double hz;
};

// The box's type field for a textbook kind: 0 Butterworth, 1 Bessel, 2 Linkwitz.
inline int BoxType(PassKind k) {
    return k == PassKind::Butterworth ? 0 : k == PassKind::Bessel ? 1 : 2;
}

struct Mode {
    double hz, db, q;
};

struct Speaker {
    std::string name;
    // The speaker's own level at the seat in dB SPL, without noise: what it
    // plays with nothing in front of it. Its roll-offs and cabin gain, then
    // the modes and reflections on top.
    std::function<double(double)> rollOffs;
    std::function<double(double)> details = [](double) { return 0.0; };
    double Alone(double hz) const { return rollOffs(hz) + details(hz); }
    std::optional<Crossover> highPass, lowPass;
    // Deep narrow notches no EQ can fill: a tuner leaves them, and judges
    // the rest (1/6 octave either side of each left out).
    std::vector<double> notchesHz;
    double floorDb = 40;   // the noise floor under the response, dB SPL
    double noiseDb = 0.3;  // measurement noise on each point
    unsigned seed = 1;
};

inline double ModesDb(const std::vector<Mode>& modes, double hz) {
    double db = 0;
    for (const Mode& m : modes) db += test::TextbookPeakingDb(m.hz, m.db, m.q, hz);
    return db;
}

// What the crossovers do at hz, from their textbook magnitudes.
inline double CrossoversDb(const Speaker& s, double hz) {
    double db = 0;
    if (s.highPass) db += test::PassDb(s.highPass->kind, true, s.highPass->order, s.highPass->hz, hz);
    if (s.lowPass) db += test::PassDb(s.lowPass->kind, false, s.lowPass->order, s.lowPass->hz, hz);
    return db;
}

// The speaker alone measured on the editor grid: its level over the noise
// floor, with measurement noise; NaN outside fromHz..toHz.
inline Response MeasuredAlone(const Speaker& s, double fromHz = 17, double toHz = 24000) {
    std::mt19937 random(s.seed);
    std::normal_distribution<double> noise(0, s.noiseDb);
    Response r;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = EditorGridHz(i);
        const double db = test::PowerSumDb(s.Alone(hz), s.floorDb) + noise(random);
        r[static_cast<size_t>(i)] = hz < fromHz || hz > toHz ? std::nan("") : db;
    }
    return r;
}

// The image with the speaker's crossovers set on the channel; an end
// without one is off.
inline EffectBlock WithCrossovers(EffectBlock image, int channel, const Speaker& s) {
    auto set = [&](int typeIndex, int freqIndex, const std::optional<Crossover>& x, int offHz) {
        const int slope = x ? x->order - 1 : kSlopeOff;
        uint8_t byte = WithCrossoverSlope(0, slope);
        byte = WithCrossoverType(byte, x ? BoxType(x->kind) : 0);
        image.Set(*FindParam(typeIndex), byte);
        image.Set(*FindParam(freqIndex), static_cast<uint16_t>(x ? x->hz : offHz));
    };
    set(param::HighPassType(channel), param::HighPassFreq(channel), s.highPass, 0);
    set(param::LowPassType(channel), param::LowPassFreq(channel), s.lowPass, 20000);
    return image;
}

// A subwoofer in the trunk, heard through the rear seat: a sealed box
// (second order at 32 Hz, Q 0.8), 10 dB of cabin gain below about 45 Hz,
// the seat's path rolling off above 250 Hz, a mode and a dip; behind an
// 80 Hz 24 dB/oct Linkwitz-Riley low-pass.
inline Speaker TrunkSub(unsigned seed = 3) {
    Speaker s;
    s.name = "trunk subwoofer";
    s.rollOffs = [](double hz) {
        return 88 + test::SecondOrderDb(true, 32, 0.8, hz) + test::LowShelfDb(45, 10, hz) +
               test::SecondOrderDb(false, 250, 0.7, hz);
    };
    s.details = [](double hz) { return ModesDb({{58, -4, 5}, {105, 4, 4}}, hz); };
    s.lowPass = Crossover{PassKind::LinkwitzRiley, 4, 80};
    s.floorDb = 40;
    s.seed = seed;
    return s;
}

// A 6.5" midbass in the door: a leaky door baffle (second order at 55 Hz,
// Q 0.9), cabin gain below 60 Hz, cone breakup above 3.5 kHz with its peak,
// cabin modes and dips, the dash's reflection; behind an 80 Hz 12 dB/oct
// Butterworth high-pass and a 3 kHz 24 dB/oct Linkwitz-Riley low-pass.
inline Speaker DoorMidbass(unsigned seed = 5) {
    Speaker s;
    s.name = "door midbass";
    s.rollOffs = [](double hz) {
        return 84 + test::SecondOrderDb(true, 55, 0.9, hz) + test::LowShelfDb(60, 6, hz) +
               test::SecondOrderDb(false, 3500, 0.8, hz);
    };
    s.details = [](double hz) {
        return ModesDb({{4800, 5, 3}, {130, -4, 3}, {190, 5, 5}, {420, -3, 2}, {900, 3, 2.5}, {2300, -5, 3}},
                       hz) +
               test::ReflectionDb(0.3, 0.0009, hz);
    };
    s.highPass = Crossover{PassKind::Butterworth, 2, 80};
    s.lowPass = Crossover{PassKind::LinkwitzRiley, 4, 3000};
    s.seed = seed;
    return s;
}

// A dome tweeter on the A-pillar: its resonance rolls it off below 1.2 kHz
// (second order, Q 1), it beams above 14 kHz, the windscreen reflects it;
// behind a 3 kHz 24 dB/oct Linkwitz-Riley high-pass.
inline Speaker PillarTweeter(unsigned seed = 7) {
    Speaker s;
    s.name = "tweeter";
    s.rollOffs = [](double hz) {
        return 86 + test::SecondOrderDb(true, 1200, 1.0, hz) + test::FirstOrderDb(false, 14000, hz);
    };
    s.details = [](double hz) {
        return ModesDb({{4200, -3, 4}, {9000, 3, 3}}, hz) + test::ReflectionDb(0.3, 0.00028, hz);
    };
    s.highPass = Crossover{PassKind::LinkwitzRiley, 4, 3000};
    s.floorDb = 45;
    s.seed = seed;
    return s;
}

// A full-range door speaker with no crossover at all: its own roll-offs at
// 60 Hz and 15 kHz, cabin modes and a reflection.
inline Speaker FullRange(unsigned seed = 9) {
    Speaker s;
    s.name = "full-range";
    s.rollOffs = [](double hz) {
        return 82 + test::SecondOrderDb(true, 60, 0.8, hz) + test::SecondOrderDb(false, 15000, 0.7, hz);
    };
    s.details = [](double hz) {
        return ModesDb({{72, 6, 4}, {130, -4, 3}, {420, -3, 2}, {900, 3, 2.5}, {2300, -5, 3}, {4500, 4, 3}},
                       hz) +
               test::ReflectionDb(0.25, 0.0011, hz);
    };
    s.seed = seed;
    return s;
}

// A 6.5" woofer in the door measured with nothing in front of it, as an
// installer measures it first: the door's leaky baffle (second order at
// 50 Hz, Q 1), cabin gain, cone breakup rolling it off steeply above
// 3 kHz with its peak, and the cabin's modes and peaks over its band.
inline Speaker DoorWoofer(unsigned seed = 13) {
    Speaker s;
    s.name = "door woofer";
    s.rollOffs = [](double hz) {
        return 85 + test::SecondOrderDb(true, 50, 1.0, hz) + test::LowShelfDb(55, 5, hz) +
               test::SecondOrderDb(false, 3200, 1.2, hz) + test::SecondOrderDb(false, 4500, 0.7, hz);
    };
    s.details = [](double hz) {
        return ModesDb({{85, 6, 5},
                        {140, -5, 4},
                        {230, 5, 5},
                        {400, 4, 3},
                        {650, -4, 3},
                        {1100, 4, 3},
                        {1800, -4, 3}},
                       hz) +
               test::ReflectionDb(0.25, 0.0012, hz);
    };
    s.seed = seed;
    return s;
}

}  // namespace caraudio::analysis::speakers
