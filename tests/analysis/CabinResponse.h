#pragma once

// Speakers measured in a car cabin, as a measuring program exports the
// impulse response, and the other files a user might pick by mistake. The
// speakers are a unit impulse through minimum-phase IIR band limits (the
// audio-EQ-cookbook biquads at the file's own rate), with reflections and
// noise.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace caraudio::analysis::cabin {

struct Biquad {
    double b0, b1, b2, a1, a2;  // normalised by a0
};

// The cookbook's low-pass, high-pass (at Q) and low shelf (at S = 1).
inline Biquad Cookbook(char kind, double hz, double q, int rate, double gainDb = 0) {
    const double w0 = 2 * std::numbers::pi * hz / rate, c = std::cos(w0), s = std::sin(w0);
    if (kind == 'S') {
        const double a = std::pow(10, gainDb / 40), alpha = s / 2 * std::sqrt(2.0),
                     k = 2 * std::sqrt(a) * alpha;
        const double a0 = (a + 1) + (a - 1) * c + k;
        return {a * ((a + 1) - (a - 1) * c + k) / a0, 2 * a * ((a - 1) - (a + 1) * c) / a0,
                a * ((a + 1) - (a - 1) * c - k) / a0, -2 * ((a - 1) + (a + 1) * c) / a0,
                ((a + 1) + (a - 1) * c - k) / a0};
    }
    const double alpha = s / (2 * q), a0 = 1 + alpha;
    const double b0 = (kind == 'L' ? 1 - c : 1 + c) / 2 / a0;
    return {b0, (kind == 'L' ? 2 : -2) * b0, b0, -2 * c / a0, (1 - alpha) / a0};
}

inline void Filter(std::vector<double>& x, const Biquad& f) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& v : x) {
        const double y = f.b0 * v + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
        x2 = x1, x1 = v, y2 = y1, y1 = y, v = y;
    }
}

enum class Speaker {
    Sub,  // sealed box rolling off at 25 Hz, a 4th-order low-pass at 80 Hz, +10 dB of cabin gain below 50 Hz
    Midrange,  // 2nd-order high-pass at 300 Hz and low-pass at 5 kHz
    Tweeter,   // 4th-order (Linkwitz-Riley) high-pass at 3 kHz, rolling off at 20 kHz
};

struct Take {
    Speaker speaker = Speaker::Midrange;
    int rate = 48000;
    double lengthS = 0.5;
    size_t zeroAt = 256;     // the sample of the timing reference (the sound leaves the speaker)
    double distanceM = 0.9;  // speaker to microphone
    double reflection = 0;   // the strongest reflection against the direct sound; two weaker follow
    double snrDb = 40;       // the response's peak to the noise's RMS
    bool inverted = false;
    unsigned seed = 1;
};

inline std::vector<double> WhiteNoise(size_t n, double rms, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> g(0, rms);
    std::vector<double> x(n);
    for (double& v : x) v = g(random);
    return x;
}

// Scaled to peak 1, as a program's "normalise" export does.
inline void Normalise(std::vector<double>& x) {
    double peak = 0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    if (peak > 0)
        for (double& v : x) v /= peak;
}

inline std::vector<double> Measure(const Take& t) {
    const size_t n = static_cast<size_t>(t.lengthS * t.rate);
    std::vector<double> direct(n, 0.0);
    const size_t arrives = t.zeroAt + static_cast<size_t>(t.distanceM / 343 * t.rate);
    direct.at(arrives) = 1;
    switch (t.speaker) {
    case Speaker::Sub:
        Filter(direct, Cookbook('H', 25, std::sqrt(0.5), t.rate));
        Filter(direct, Cookbook('L', 80, 0.5412, t.rate));
        Filter(direct, Cookbook('L', 80, 1.3066, t.rate));
        Filter(direct, Cookbook('S', 50, 0, t.rate, 10));
        break;
    case Speaker::Midrange:
        Filter(direct, Cookbook('H', 300, std::sqrt(0.5), t.rate));
        Filter(direct, Cookbook('L', 5000, std::sqrt(0.5), t.rate));
        break;
    case Speaker::Tweeter:
        Filter(direct, Cookbook('H', 3000, std::sqrt(0.5), t.rate));
        Filter(direct, Cookbook('H', 3000, std::sqrt(0.5), t.rate));
        Filter(direct, Cookbook('L', 20000, std::sqrt(0.5), t.rate));
        break;
    }
    Normalise(direct);
    // Door, windscreen and roof: later, weaker, one of them inverted.
    const double delaysS[] = {0.0017, 0.0041, 0.0068},
                 gains[] = {t.reflection, -0.8 * t.reflection, 0.6 * t.reflection};
    std::vector<double> x = direct;
    for (int k = 0; k < 3; ++k) {
        const size_t d = static_cast<size_t>(delaysS[k] * t.rate);
        for (size_t i = d; i < n; ++i) x[i] += gains[k] * direct[i - d];
    }
    const std::vector<double> noise = WhiteNoise(n, std::pow(10, -t.snrDb / 20), t.seed);
    for (size_t i = 0; i < n; ++i) x[i] = (t.inverted ? -x[i] : x[i]) + noise[i];
    Normalise(x);
    return x;
}

// Pink noise: white noise through Kellet's sum of first-order low-passes,
// within 0.05 dB of -3 dB per octave above 10 Hz at 44.1 kHz.
inline std::vector<double> PinkNoise(size_t n, unsigned seed) {
    std::vector<double> x = WhiteNoise(n, 1, seed);
    double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
    for (double& v : x) {
        const double w = v;
        b0 = 0.99886 * b0 + w * 0.0555179, b1 = 0.99332 * b1 + w * 0.0750759;
        b2 = 0.96900 * b2 + w * 0.1538520, b3 = 0.86650 * b3 + w * 0.3104856;
        b4 = 0.55000 * b4 + w * 0.5329522, b5 = -0.7616 * b5 - w * 0.0168980;
        v = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
        b6 = w * 0.115926;
    }
    Normalise(x);
    return x;
}

// Eight notes a quarter second apart, each four harmonics with a quick
// attack and a decay, as a recording of a melody would be.
inline std::vector<double> Melody(int rate) {
    const double notes[] = {220, 262, 330, 392, 440, 349, 294, 247};
    std::vector<double> x(static_cast<size_t>(2.2 * rate));
    for (int k = 0; k < 8; ++k) {
        const size_t start = static_cast<size_t>((0.05 + k * 0.25) * rate);
        for (size_t i = start; i < x.size(); ++i) {
            const double t = static_cast<double>(i - start) / rate;
            const double envelope = std::min(1.0, t / 0.01) * std::exp(-t / 0.15);
            for (int h = 1; h <= 4; ++h)
                x[i] += envelope * std::sin(2 * std::numbers::pi * notes[k] * h * t + h) / h;
        }
    }
    Normalise(x);
    return x;
}

// An exponential sweep 20 Hz..20 kHz over `seconds` (Farina's formula),
// with 5 ms fades: the excitation, not the response.
inline std::vector<double> LogSweep(int rate, double seconds) {
    std::vector<double> x(static_cast<size_t>(seconds * rate));
    const double f1 = 20, f2 = 20000, l = seconds / std::log(f2 / f1);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double fade = std::min({1.0, t / 0.005, (seconds - t) / 0.005});
        x[i] = 0.5 * fade * std::sin(2 * std::numbers::pi * f1 * l * (std::exp(t / l) - 1));
    }
    return x;
}

}  // namespace caraudio::analysis::cabin
