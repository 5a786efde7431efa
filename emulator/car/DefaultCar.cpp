#include <cmath>
#include <numbers>

#include "ChannelPlan.h"
#include "CookbookSections.h"
#include "ValueScales.h"
#include "VirtualCar.h"

namespace caraudio::emulator {
namespace {

constexpr double kSpeedOfSound = 343;  // m/s at 20 degrees
constexpr double kResponseSeconds = 0.4;

struct Point {
    double x, y, z;  // metres: right, forward, up
};

double Distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// The listener's head in the driver's seat (left-hand drive) and where the
// speaker of each channel as the program names it sits: CH1, CH2 tweeters on
// the left and right pillars, CH3, CH4 mids low in the front doors, CH5, CH6
// subs in the trunk.
constexpr Point kHead{-0.37, 0.0, 1.10};
constexpr std::array<Point, kChannelCount> kSpeakers{{
    {-0.66, 1.02, 1.00},
    {0.66, 1.02, 1.00},
    {-0.76, 0.58, 0.42},
    {0.76, 0.58, 0.42},
    {-0.32, -1.85, 0.62},
    {0.32, -1.85, 0.62},
}};

struct Reflection {
    double extraM, gain;
};

struct Driver {
    std::vector<Section> sections;
    double gainAt1m;
    std::vector<Reflection> reflections;
};

// Tweeter: resonance near 1 kHz, the windscreen's reflection strong.
// Mid: 60 Hz resonance, cone breakup near 5 kHz, a door panel's lift.
// Sub: 30 Hz box, its upper roll-off, the cabin's gain.
Driver DriverOf(int number) {
    switch ((number - 1) / 2) {
    case 0:
        return {
            {PassSection(true, 1100, 0.9), PassSection(false, 21000, 0.7)}, 0.25, {{0.35, 0.5}, {1.4, -0.3}}};
    case 1:
        return {{PassSection(true, 60, 0.8), PassSection(false, 5200, 0.8), PeakSection(850, 2.5, 3)},
                0.35,
                {{0.6, 0.45}, {1.9, 0.3}}};
    default:
        return {{PassSection(true, 30, 0.7), PassSection(false, 300, 0.7), LowShelfSection(50, 10)},
                0.3,
                {{1.1, 0.5}, {2.6, 0.35}}};
    }
}

std::vector<double> ImpulseOf(const std::vector<Section>& sections, size_t n) {
    std::vector<double> x(n, 0.0);
    x[0] = 1;
    for (const Section& s : sections) {
        double z1 = 0, z2 = 0;
        for (double& v : x) {
            const double y = s.b0 * v + z1;
            z1 = s.b1 * v - s.a1 * y + z2;
            z2 = s.b2 * v - s.a2 * y;
            v = y;
        }
    }
    return x;
}

// x moved later by a fractional number of samples and scaled, added into
// out: a Blackman-windowed sinc of 129 taps, flat to 20 kHz.
void AddDelayed(const std::vector<double>& x, double samples, double scale, std::vector<double>& out) {
    constexpr int kHalf = 64;
    const auto whole = static_cast<long>(std::floor(samples));
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
    for (size_t m = 0; m < x.size(); ++m)
        for (int k = -kHalf; k <= kHalf; ++k) {
            const long n = static_cast<long>(m) + whole + k;
            if (n >= 0 && n < static_cast<long>(out.size()))
                out[static_cast<size_t>(n)] += scale * x[m] * taps[k + kHalf];
        }
}

}  // namespace

std::array<double, kChannelCount> DefaultCarPaths() {
    std::array<double, kChannelCount> paths{};
    for (int block = 0; block < kChannelCount; ++block)
        paths[static_cast<size_t>(block)] =
            Distance(kHead, kSpeakers[static_cast<size_t>(ChannelNumber(block) - 1)]);
    return paths;
}

VirtualCar DefaultCar() {
    VirtualCar car;
    const auto n = static_cast<size_t>(kResponseSeconds * kCarRate);
    const std::array<double, kChannelCount> paths = DefaultCarPaths();
    for (int block = 0; block < kChannelCount; ++block) {
        const Driver d = DriverOf(ChannelNumber(block));
        const std::vector<double> h = ImpulseOf(d.sections, n);
        std::vector<double>& out = car.responses[static_cast<size_t>(block)];
        out.assign(n, 0.0);
        const double path = paths[static_cast<size_t>(block)];
        AddDelayed(h, path / kSpeedOfSound * kCarRate, d.gainAt1m / path, out);
        for (const Reflection& r : d.reflections)
            AddDelayed(h, (path + r.extraM) / kSpeedOfSound * kCarRate,
                       r.gain * d.gainAt1m / (path + r.extraM), out);
    }
    return car;
}

}  // namespace caraudio::emulator
