#pragma once

// Impulse responses as a measuring program would export them, built from
// continuous-time shapes so the direct sound can sit between samples, and
// written to WAV bytes in memory with libsndfile.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace caraudio::analysis::synthetic {

// A direct sound's shape over time in seconds from its start, peak magnitude 1.
using Shape = std::function<double(double)>;

inline double Sinc(double x) {
    return x == 0 ? 1 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

// Zero outside +-2 ms: a Hann taper keeps the ideal pulse's tails finite.
inline double Taper(double t) {
    constexpr double kHalf = 0.002;
    return std::fabs(t) >= kHalf ? 0 : std::pow(std::cos(std::numbers::pi * t / (2 * kHalf)), 2);
}

// A broadband speaker: everything below `hz`, centred on t = 0.
inline Shape LowPassPulse(double hz) {
    return [hz](double t) { return Sinc(2 * hz * t) * Taper(t); };
}

// A tweeter: the pulse through a second-order Butterworth high-pass at `hz`
// (the cookbook biquad, Q = 1/sqrt 2), run at 1 MHz where it matches the
// analog filter, and read back by linear interpolation. Its peak stays near
// t = 0, followed by the high-pass's negative tail; nothing rings before it.
inline Shape HighPassed(const Shape& pulse, double hz) {
    constexpr double kRate = 1e6, kFrom = -0.003, kTo = 0.02;
    const double w0 = 2 * std::numbers::pi * hz / kRate, alpha = std::sin(w0) / (2 / std::sqrt(2.0));
    const double c = std::cos(w0), a0 = 1 + alpha;
    const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0, a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
    auto table = std::make_shared<std::vector<double>>();
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, peak = 0;
    for (int n = 0; n < (kTo - kFrom) * kRate; ++n) {
        const double x = pulse(kFrom + n / kRate), y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        table->push_back(y);
        peak = std::max(peak, std::fabs(y));
    }
    for (double& y : *table) y /= peak;
    return [table](double t) {
        const double at = (t - kFrom) * kRate;
        if (at < 0 || at + 1 >= table->size()) return 0.0;
        const size_t i = static_cast<size_t>(at);
        return (*table)[i] + (at - i) * ((*table)[i + 1] - (*table)[i]);
    };
}

// A sub behind a second-order Butterworth low-pass at `hz`: the textbook
// impulse response e^(-at) sin(at), a = 2 pi hz / sqrt 2, scaled to peak 1
// (its peak is at at = pi / 4).
inline Shape ButterworthLowPass(double hz) {
    const double a = 2 * std::numbers::pi * hz / std::sqrt(2.0);
    const double top = std::exp(-std::numbers::pi / 4) * std::sin(std::numbers::pi / 4);
    return [a, top](double t) { return t < 0 ? 0 : std::exp(-a * t) * std::sin(a * t) / top; };
}

// Where the shape first rises to half its peak, found on the continuous
// shape: a fine scan for the peak, then bisection on the rising edge.
inline double HalfRise(const Shape& shape) {
    double peakT = -0.003, peak = 0;
    for (double t = -0.003; t < 0.02; t += 1e-7)
        if (std::fabs(shape(t)) > peak) peak = std::fabs(shape(t)), peakT = t;
    double lo = peakT - 0.003, hi = peakT;
    while (std::fabs(shape(lo)) >= peak / 2) lo -= 0.001;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (std::fabs(shape(mid)) < peak / 2 ? lo : hi) = mid;
    }
    return lo;
}

struct Room {
    double arrivalS = 0.005;  // when the shape starts (t = 0 of the shape)
    double amplitude = 0.5;   // negative: inverted polarity
    double reflectionDelayS = 0;
    double reflectionGain = 0;  // relative to the direct sound, negative inverts it
    double snrDb = 200;         // direct sound's peak to the noise's RMS
    double lengthS = 0.1;
    unsigned seed = 1;
};

inline std::vector<double> Render(const Shape& shape, const Room& room, int rate) {
    std::vector<double> x(static_cast<size_t>(room.lengthS * rate));
    std::mt19937 random(room.seed);
    std::normal_distribution<double> noise(0, std::fabs(room.amplitude) * std::pow(10, -room.snrDb / 20));
    for (size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) / rate - room.arrivalS;
        x[n] = room.amplitude * (shape(t) + room.reflectionGain * shape(t - room.reflectionDelayS)) +
               noise(random);
    }
    return x;
}

// libsndfile's virtual I/O writing into a string.
struct Sink {
    std::string bytes;
    sf_count_t position = 0;
};

inline SF_VIRTUAL_IO SinkIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* u) -> sf_count_t { return static_cast<Sink*>(u)->bytes.size(); };
    io.seek = [](sf_count_t offset, int whence, void* u) -> sf_count_t {
        auto* s = static_cast<Sink*>(u);
        s->position = whence == SEEK_SET   ? offset
                      : whence == SEEK_CUR ? s->position + offset
                                           : s->bytes.size() + offset;
        return s->position;
    };
    io.read = [](void* out, sf_count_t count, void* u) -> sf_count_t {
        auto* s = static_cast<Sink*>(u);
        const sf_count_t n = std::min<sf_count_t>(count, s->bytes.size() - s->position);
        if (n <= 0) return 0;
        std::memcpy(out, s->bytes.data() + s->position, n);
        s->position += n;
        return n;
    };
    io.write = [](const void* in, sf_count_t count, void* u) -> sf_count_t {
        auto* s = static_cast<Sink*>(u);
        if (s->bytes.size() < static_cast<size_t>(s->position + count)) s->bytes.resize(s->position + count);
        std::memcpy(s->bytes.data() + s->position, in, count);
        s->position += count;
        return count;
    };
    io.tell = [](void* u) -> sf_count_t { return static_cast<Sink*>(u)->position; };
    return io;
}

// A WAV of `channels` interleaved channels; `subtype` is SF_FORMAT_PCM_16,
// SF_FORMAT_PCM_24 or SF_FORMAT_FLOAT.
inline std::string Wav(const std::vector<double>& interleaved, int rate, int subtype, int channels = 1) {
    SF_VIRTUAL_IO io = SinkIo();
    Sink sink;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* f = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
    if (!f) return {};
    sf_writef_double(f, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(f);
    return sink.bytes;
}

}  // namespace caraudio::analysis::synthetic
