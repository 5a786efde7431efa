#pragma once

// Impulse responses of a car's speakers at the seat, made from physics and
// written apart from the program's code: each speaker is a cascade of
// minimum-phase digital sections (its own roll-offs, a passive or active
// crossover, cabin gain, a mode) run on a unit impulse at 48 kHz, sent down
// its path (path length / speed of sound, as a fractional delay) with
// weaker reflections behind it, plus measurement noise. Sample 0 is the
// timing reference every channel shares, so the true arrival of a speaker's
// direct sound is its path length over the speed of sound.
//
// The box's own crossovers are the one second-order section the box's
// curve is drawn with, repeated slope / 12 times; BoxCrossover builds them
// from the cookbook for slopes of whole sections (12, 24, 36, 48 dB/oct).

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace caraudio::test::car {

inline constexpr double kRate = 48000;
inline constexpr double kSpeedOfSound = 343;  // m/s, air at 20 degrees

// y = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2) x
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;

    std::complex<double> At(double hz) const {
        const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / kRate), z2 = z1 * z1;
        return (b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2);
    }
};

using Chain = std::vector<Biquad>;

inline std::complex<double> ChainAt(const Chain& chain, double hz) {
    std::complex<double> h = 1;
    for (const Biquad& s : chain) h *= s.At(hz);
    return h;
}

// The cookbook's second-order high- or low-pass of quality q at hz.
inline Biquad SecondOrder(bool high, double hz, double q) {
    const double w0 = 2 * std::numbers::pi * hz / kRate, c = std::cos(w0), alpha = std::sin(w0) / (2 * q);
    const double a0 = 1 + alpha;
    Biquad s;
    s.b0 = s.b2 = (high ? (1 + c) : (1 - c)) / 2 / a0;
    s.b1 = (high ? -(1 + c) : (1 - c)) / a0;
    s.a1 = -2 * c / a0;
    s.a2 = (1 - alpha) / a0;
    return s;
}

// A first-order section by the bilinear transform, prewarped to hz.
inline Biquad FirstOrder(bool high, double hz) {
    const double k = std::tan(std::numbers::pi * hz / kRate);
    Biquad s;
    s.b0 = (high ? 1 : k) / (1 + k);
    s.b1 = (high ? -1 : k) / (1 + k);
    s.a1 = (k - 1) / (1 + k);
    return s;
}

// The cookbook's peaking section and low shelf (shelf slope 1).
inline Biquad Peaking(double hz, double db, double q) {
    const double a = std::pow(10.0, db / 40), w0 = 2 * std::numbers::pi * hz / kRate;
    const double alpha = std::sin(w0) / (2 * q), c = std::cos(w0), a0 = 1 + alpha / a;
    return {(1 + alpha * a) / a0, -2 * c / a0, (1 - alpha * a) / a0, -2 * c / a0, (1 - alpha / a) / a0};
}

inline Biquad LowShelf(double hz, double db) {
    const double a = std::pow(10.0, db / 40), w0 = 2 * std::numbers::pi * hz / kRate;
    const double c = std::cos(w0), beta = std::sin(w0) * std::sqrt(2 * a);
    const double a0 = (a + 1) + (a - 1) * c + beta;
    return {a * ((a + 1) - (a - 1) * c + beta) / a0, 2 * a * ((a - 1) - (a + 1) * c) / a0,
            a * ((a + 1) - (a - 1) * c - beta) / a0, -2 * ((a - 1) + (a + 1) * c) / a0,
            ((a + 1) + (a - 1) * c - beta) / a0};
}

// Textbook crossovers: Butterworth of order n from its pole pairs (the
// pair at angle pi (n + 1 - 2k) / 2n from the negative real axis has
// Q = 1 / (2 cos of it); one first-order section when n is odd); Linkwitz-Riley of even order 2m as a
// Butterworth of order m twice.
enum class Kind { Butterworth, LinkwitzRiley };

inline Chain Crossover(Kind kind, bool high, int order, double hz) {
    if (kind == Kind::LinkwitzRiley) {
        Chain half = Crossover(Kind::Butterworth, high, order / 2, hz), both = half;
        both.insert(both.end(), half.begin(), half.end());
        return both;
    }
    Chain chain;
    for (int k = 1; k <= order / 2; ++k)
        chain.push_back(
            SecondOrder(high, hz, 1 / (2 * std::cos((order + 1 - 2 * k) * std::numbers::pi / (2 * order)))));
    if (order % 2) chain.push_back(FirstOrder(high, hz));
    return chain;
}

// The box's pass section for its type field (0 Butterworth, 1 Bessel,
// 2 Linkwitz): the quality its curve is drawn with.
inline double BoxSectionQ(int type) {
    return type == 2 ? 1 / std::sqrt(2.0) : type == 1 ? 1 / std::sqrt(3.0) : 1.718 / 2;
}

inline Chain BoxCrossover(int type, bool high, int slopeDb, double hz) {
    return Chain(static_cast<size_t>(slopeDb / 12), SecondOrder(high, hz, BoxSectionQ(type)));
}

struct Reflection {
    double extraM;  // path beyond the direct one
    double gain;    // against the direct sound; |gain| < 1
};

// One channel's speaker as the microphone hears it.
struct Speaker {
    std::string name;
    Chain chain;         // the speaker's own roll-offs, cabin gain, modes and any crossover in front
    double gain = 0.3;   // of the direct sound
    int polarity = 1;    // -1: wired inverted
    double pathM = 1.5;  // to the microphone
    std::vector<Reflection> reflections;
    double noiseDb = -70;  // RMS of the noise against the impulse response's largest sample

    double ArrivalMs() const { return pathM / kSpeedOfSound * 1000; }

    // What the speaker sends to the seat, time from the timing reference.
    std::complex<double> At(double hz) const {
        const double w = 2 * std::numbers::pi * hz;
        std::complex<double> paths = 1;
        for (const Reflection& r : reflections)
            paths += r.gain * std::polar(1.0, -w * r.extraM / kSpeedOfSound);
        return gain * polarity * ChainAt(chain, hz) * std::polar(1.0, -w * pathM / kSpeedOfSound) * paths;
    }
};

// The chain's response to a unit impulse, `n` samples.
inline std::vector<double> ChainImpulse(const Chain& chain, size_t n) {
    std::vector<double> x(n, 0.0);
    if (n) x[0] = 1;
    for (const Biquad& s : chain) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& v : x) {
            const double y = s.b0 * v + s.b1 * x1 + s.b2 * x2 - s.a1 * y1 - s.a2 * y2;
            x2 = x1, x1 = v, y2 = y1, y1 = y, v = y;
        }
    }
    return x;
}

// x moved later by `samples` (any real number >= 64) and scaled, added into
// out: a Blackman-windowed sinc of 129 taps, flat to within 0.01 dB and
// exact in delay below 20 kHz.
inline void AddDelayed(const std::vector<double>& x, double samples, double scale, std::vector<double>& out) {
    constexpr int kHalf = 64;
    const long whole = static_cast<long>(std::floor(samples));
    const double frac = samples - static_cast<double>(whole);
    double taps[2 * kHalf + 1];
    for (int k = -kHalf; k <= kHalf; ++k) {
        const double t = k - frac, pi = std::numbers::pi;
        const double sinc = t == 0 ? 1 : std::sin(pi * t) / (pi * t);
        const double u = (t + kHalf + 1) / (2 * kHalf + 2);
        const double window =
            u <= 0 || u >= 1 ? 0 : 0.42 - 0.5 * std::cos(2 * pi * u) + 0.08 * std::cos(4 * pi * u);
        taps[k + kHalf] = sinc * window;
    }
    for (size_t m = 0; m < x.size(); ++m) {
        if (x[m] == 0) continue;
        for (int k = -kHalf; k <= kHalf; ++k) {
            const long n = static_cast<long>(m) + whole + k;
            if (n >= 0 && n < static_cast<long>(out.size()))
                out[static_cast<size_t>(n)] += scale * x[m] * taps[k + kHalf];
        }
    }
}

// The speaker's impulse response as a measuring program exports it,
// `seconds` long, with its noise.
inline std::vector<double> Render(const Speaker& s, double seconds = 0.5, unsigned seed = 1) {
    const size_t n = static_cast<size_t>(seconds * kRate);
    const std::vector<double> h = ChainImpulse(s.chain, n);
    std::vector<double> out(n, 0.0);
    const double perM = kRate / kSpeedOfSound;
    AddDelayed(h, s.pathM * perM, s.gain * s.polarity, out);
    for (const Reflection& r : s.reflections)
        AddDelayed(h, (s.pathM + r.extraM) * perM, s.gain * s.polarity * r.gain, out);
    double peak = 0;
    for (double v : out) peak = std::max(peak, std::fabs(v));
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, peak * std::pow(10, s.noiseDb / 20));
    for (double& v : out) v += noise(random);
    return out;
}

// Speakers a car has, without what the box adds: each name's typical own
// roll-offs (sealed-box resonance, cone breakup, a tweeter's resonance and
// its passive high-pass), the cabin gain a sub gets.
inline Chain Tweeter(double resonanceHz = 1000) {
    return {SecondOrder(true, resonanceHz, 0.9), SecondOrder(false, 22000, 0.7)};
}
inline Chain DoorMid(double resonanceHz = 60, double breakupHz = 5000) {
    return {SecondOrder(true, resonanceHz, 0.8), SecondOrder(false, breakupHz, 0.8), Peaking(900, 3, 2)};
}
inline Chain Sub(double resonanceHz = 30, double cabinDb = 10) {
    return {SecondOrder(true, resonanceHz, 0.7), SecondOrder(false, 300, 0.7), LowShelf(50, cabinDb)};
}

inline Chain Then(Chain a, const Chain& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace caraudio::test::car
