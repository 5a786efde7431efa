#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "AutoEq.h"
#include "BandLevels.h"
#include "EditorGrid.h"
#include "EffectBlock.h"
#include "Target.h"
#include "Textbook.h"

namespace caraudio::analysis {
namespace {

using test::BandsDb;
using test::EditorGridHz;
using test::TextbookPeakingDb;

constexpr int kCh2 = 3;
constexpr double kPi = 3.14159265358979323846;

struct Mode {
    double hz, db, q;
};

// A car speaker at the listening position, level-aligned to 0 dB: a
// second-order high-pass roll-off, a low-pass roll-off in the top octave,
// cabin gain, cabin modes and dips (peaking shapes), the comb of one
// reflection (rippleDb up and down) and light measurement noise.
struct CarSpeaker {
    double highPassHz = 55;
    double lowPassHz = 15000;
    double cabinGainDb = 0;  // lift below about 70 Hz
    std::vector<Mode> modes;
    double rippleDb = 1.5;
    double noiseDb = 0.2;
    unsigned seed = 7;
};

double SecondOrderDb(double ratio) {  // Butterworth pass, ratio = f/fc for a low-pass
    return -10 * std::log10(std::pow(1 - ratio * ratio, 2) + 2 * ratio * ratio);
}

// A reflection 1.1 ms late whose level gives +-rippleDb: 20 log10|1 + a e^-jwt|.
double CombDb(double rippleDb, double hz) {
    const double a = (std::pow(10, rippleDb / 20) - 1), delay = 1.1e-3;
    return 20 * std::log10(std::abs(1.0 + a * std::polar(1.0, -2 * kPi * hz * delay)));
}

Response Measure(const CarSpeaker& s) {
    std::mt19937 random(s.seed);
    std::normal_distribution<double> noise(0, s.noiseDb);
    Response r;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = EditorGridHz(i);
        double db = SecondOrderDb(s.highPassHz / hz) + SecondOrderDb(hz / s.lowPassHz);
        db += s.cabinGainDb / (1 + std::pow(hz / 70, 2));
        for (const Mode& m : s.modes) db += TextbookPeakingDb(m.hz, m.db, m.q, hz);
        db += CombDb(s.rippleDb, hz);
        r[static_cast<size_t>(i)] = db + noise(random);
    }
    return r;
}

const std::vector<Mode> kCabin = {{72, 6, 4},    {130, -4, 3},  {190, 5, 5},  {420, -3, 2},
                                  {900, 3, 2.5}, {2300, -5, 3}, {4500, 4, 3}, {8000, -3, 2}};

Response Flat() {
    Response r;
    r.fill(0);
    return r;
}

// Every used band as the box's fields hold it, and counted as used only
// when it has a gain.
void ExpectHeldByTheBox(const AutoEqResult& r, const AutoEqOptions& o) {
    int withGain = 0;
    for (const BandValues& b : r.bands) withGain += b.gain != 0;
    EXPECT_EQ(r.bandsUsed, withGain);
    for (const BandValues& b : r.bands) {
        EXPECT_GE(b.freq, 20);
        EXPECT_LE(b.freq, 20000);
        EXPECT_GE(b.q, 40);
        EXPECT_LE(b.q, 12800);
        const int step = b.q >= 10000 ? 100 : b.q >= 1000 ? 10 : 1;
        EXPECT_EQ(b.q % step, 0) << b.q;
        EXPECT_LE(b.gain, std::lround(o.maxBoostDb * 100));
        EXPECT_LE(b.gain, o.limits.maxvol * 100);
        EXPECT_GE(b.gain, o.limits.minvol * 100);
        if (b.gain == 0) continue;
        EXPECT_GE(b.freq, r.fitted.lowHz);
        EXPECT_LE(b.freq, r.fitted.highHz);
    }
    // The boost limit holds for the bands together: stacked bands lift no further.
    const double limitDb = std::min(o.maxBoostDb, double(o.limits.maxvol));
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 48))
        EXPECT_LE(BandsDb(r.bands, hz), limitDb + 0.1) << hz << " Hz";
}

TEST(AutoEqRmsError, SmoothsToASixthOctaveThenTakesTheRmsOverTheRange) {
    // A slope in dB per octave survives the smoothing; a ripple of exactly
    // 1/6 octave period averages out over the 1/6-octave window.
    struct Case {
        std::string name;
        double offset, slopePerOctave, ripple;
        double lo, hi;
    };
    const std::vector<Case> cases = {
        {"offset", 2, 0, 0, 40, 16000},
        {"slope", 1, 0.5, 0, 100, 10000},
        {"ripple", 3, 0, 2, 40, 16000},
    };
    for (const Case& c : cases) {
        Response predicted, target = Flat();
        double sum = 0;
        int n = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = EditorGridHz(i), octaves = std::log2(hz / 1000);
            target[static_cast<size_t>(i)] = 0.1 * octaves;
            predicted[static_cast<size_t>(i)] = target[static_cast<size_t>(i)] + c.offset +
                                                c.slopePerOctave * octaves +
                                                c.ripple * std::sin(2 * kPi * 6 * octaves);
            if (hz >= c.lo && hz <= c.hi) {
                const double e = c.offset + c.slopePerOctave * octaves;
                sum += e * e;
                ++n;
            }
        }
        EXPECT_NEAR(AutoEqRmsError(predicted, target, c.lo, c.hi), std::sqrt(sum / n), 0.03) << c.name;
    }
    // Points without a measurement do not count; none at all gives NaN.
    Response partly = Flat();
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        partly[static_cast<size_t>(i)] = EditorGridHz(i) > 1000 ? std::nan("") : 4;
    EXPECT_NEAR(AutoEqRmsError(partly, Flat(), 100, 16000), 4, 0.01);
    EXPECT_TRUE(std::isnan(AutoEqRmsError(partly, Flat(), 2000, 16000)));
}

TEST(AutoEq, BringsCarMeasurementsBelowOneDbWithinTheBox) {
    HouseCurve house;
    house.bassDb = 6;
    house.bassHz = 80;
    house.tiltDbPerDecade = -1.5;
    struct Case {
        std::string name;
        CarSpeaker speaker;
        bool houseTarget;
        GainLimits limits;
        double lo = 40, hi = 16000;
    };
    const std::vector<Case> cases = {
        {"flat target", {55, 15000, 0, kCabin, 1.5, 0.2, 7}, false, {}},
        // A door speaker that stops early, fitted where it plays.
        {"flat target, early roll-off", {75, 12000, 0, kCabin, 1.5, 0.2, 11}, false, {}, 90, 14000},
        {"house curve", {60, 15000, 8, kCabin, 1.5, 0.2, 3}, true, {}},
        {"house curve, narrow gain limits", {50, 14000, 8, kCabin, 1.0, 0.2, 5}, true, {-8, 6}},
    };
    for (const Case& c : cases) {
        const Response target = c.houseTarget ? HouseCurveOnGrid(house, EditorGrid()) : Flat();
        AutoEqOptions o;
        o.limits = c.limits;
        o.range = FrequencySpan{c.lo, c.hi};
        const AutoEqResult r = FitAutoEq(Measure(c.speaker), target, DefaultEffectBlock(), kCh2, o);
        ASSERT_EQ(r.status, AutoEqStatus::Fitted) << c.name;
        std::printf("[ %s ] RMS %.2f dB -> %.2f dB with %d bands\n", c.name.c_str(), r.rmsBeforeDb,
                    r.rmsAfterDb, r.bandsUsed);
        EXPECT_LT(r.rmsAfterDb, 1.0) << c.name;
        EXPECT_GT(r.rmsBeforeDb, 2.0) << c.name;
        EXPECT_LE(r.bandsUsed, 31);
        ExpectHeldByTheBox(r, o);
        // The reported curve is the measurement plus the bands as the box draws them.
        const Response measured = Measure(c.speaker);
        for (int i = 0; i < FrequencyGrid::kPoints; i += 37) {
            const double hz = EditorGridHz(i);
            if (hz < c.lo || hz > c.hi) continue;
            EXPECT_NEAR(r.predicted[static_cast<size_t>(i)],
                        measured[static_cast<size_t>(i)] + r.levelDb + BandsDb(r.bands, hz), 0.05)
                << c.name << " at " << hz << " Hz";
        }
    }
}

TEST(AutoEq, BoostLimitsHold) {
    struct Case {
        double maxBoostDb;
        GainLimits limits;
        int highestGainRaw;
    };
    // A speaker that wants lifts: broad dips of 5 dB.
    CarSpeaker dippy{45,  16000, 0, {{150, -5, 1.5}, {700, -5, 1.2}, {3000, -5, 1.5}, {9000, -4, 1.5}},
                     0.5, 0.1,   2};
    for (const Case& c : std::vector<Case>{{6, {}, 600}, {3, {}, 300}, {6, {-10, 2}, 200}, {0, {}, 0}}) {
        AutoEqOptions o;
        o.maxBoostDb = c.maxBoostDb;
        o.limits = c.limits;
        const AutoEqResult r = FitAutoEq(Measure(dippy), Flat(), DefaultEffectBlock(), kCh2, o);
        int highest = -100000;
        for (const BandValues& b : r.bands) highest = std::max(highest, b.gain);
        EXPECT_LE(highest, c.highestGainRaw) << c.maxBoostDb;
        ExpectHeldByTheBox(r, o);
        EXPECT_LE(r.rmsAfterDb, r.rmsBeforeDb);
    }
}

TEST(AutoEq, GraphicModeMovesOnlyTheGains) {
    // A graphic EQ: 31 bands a third of an octave apart, cookbook Q 4.32.
    EffectBlock image = DefaultEffectBlock();
    for (int b = 0; b < kBandCount; ++b) {
        image.Set(*FindParam(param::BandFreq(kCh2, b)),
                  static_cast<uint16_t>(std::min(20000L, std::lround(20 * std::pow(2, b / 3.0)))));
        image.Set(*FindParam(param::BandQ(kCh2, b)), 1300);
        image.Set(*FindParam(param::BandGain(kCh2, b)), static_cast<uint16_t>(-300));
    }
    AutoEqOptions o;
    o.geq = true;
    const AutoEqResult r = FitAutoEq(Measure({55, 15000, 0, kCabin, 1.5, 0.2, 7}), Flat(), image, kCh2, o);
    ASSERT_EQ(r.status, AutoEqStatus::Fitted);
    int moved = 0;
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& v = r.bands[static_cast<size_t>(b)];
        EXPECT_EQ(v.freq, image.Get(*FindParam(param::BandFreq(kCh2, b))));
        EXPECT_EQ(v.q, 1300);
        moved += v.gain != 0;
        // Bands outside the fitted range stay flat.
        if (v.freq < r.fitted.lowHz || v.freq > r.fitted.highHz) {
            EXPECT_EQ(v.gain, 0) << v.freq;
        }
    }
    EXPECT_GT(moved, 5);
    std::printf("[ graphic ] RMS %.2f dB -> %.2f dB with %d bands\n", r.rmsBeforeDb, r.rmsAfterDb,
                r.bandsUsed);
    EXPECT_LT(r.rmsAfterDb, 1.5);
    ExpectHeldByTheBox(r, o);
}

TEST(AutoEq, LeavesADeepNarrowDipAlone) {
    CarSpeaker s{55, 15000, 0, kCabin, 1.0, 0.2, 9};
    s.modes.push_back({1250, -15, 10});
    AutoEqOptions o;
    const AutoEqResult r = FitAutoEq(Measure(s), Flat(), DefaultEffectBlock(), kCh2, o);
    std::printf("[ deep dip ] RMS %.2f dB -> %.2f dB, bands at 1250 Hz %.2f dB\n", r.rmsBeforeDb,
                r.rmsAfterDb, BandsDb(r.bands, 1250));
    EXPECT_LE(BandsDb(r.bands, 1250), 1.0);
    // No lift sits in the dip itself (it is half as deep over about 1/10
    // octave); the reflection's own shallow dip at 1364 Hz beside it may be
    // filled.
    for (const BandValues& b : r.bands)
        if (b.gain > 100) {
            EXPECT_GT(std::fabs(std::log2(b.freq / 1250.0)), 1.0 / 12) << b.freq << " Hz " << b.gain;
        }
    // The rest is still fitted.
    EXPECT_LT(r.rmsAfterDb, r.rmsBeforeDb * 0.7);
}

TEST(AutoEq, SameInputsGiveTheSameBands) {
    const Response measured = Measure({60, 14000, 4, kCabin, 1.5, 0.3, 21});
    const AutoEqResult a = FitAutoEq(measured, Flat(), DefaultEffectBlock(), kCh2, {});
    const AutoEqResult b = FitAutoEq(measured, Flat(), DefaultEffectBlock(), kCh2, {});
    EXPECT_EQ(a.bands, b.bands);
    EXPECT_EQ(a.rmsAfterDb, b.rmsAfterDb);
}

TEST(AutoEq, FewerBandsStillHelp) {
    const Response measured = Measure({55, 15000, 0, kCabin, 1.5, 0.2, 7});
    for (int n : {1, 5, 12}) {
        AutoEqOptions o;
        o.maxBands = n;
        const AutoEqResult r = FitAutoEq(measured, Flat(), DefaultEffectBlock(), kCh2, o);
        int withGain = 0;
        for (const BandValues& b : r.bands) withGain += b.gain != 0;
        EXPECT_LE(withGain, n);
        EXPECT_LE(r.bandsUsed, n);
        std::printf("[ %d bands ] RMS %.2f dB -> %.2f dB\n", n, r.rmsBeforeDb, r.rmsAfterDb);
        EXPECT_LT(r.rmsAfterDb, r.rmsBeforeDb * (n == 1 ? 0.95 : 0.7)) << n;
    }
}

// NaN outside [fromHz, toHz], as a curve on the grid is where its file ends.
Response Only(Response r, double fromHz, double toHz) {
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (EditorGridHz(i) < fromHz || EditorGridHz(i) > toHz) r[static_cast<size_t>(i)] = std::nan("");
    return r;
}

// A target or a measurement over part of the fit range: only the part both
// cover is fitted, its errors are numbers, and no band leaves it; less than
// an octave of it is not fitted at all.
TEST(AutoEq, KeepsToWhereTheMeasurementAndTheTargetBothHaveLevels) {
    const Response measured = Measure({55, 15000, 4, kCabin, 1.5, 0.2, 7});
    const struct {
        const char* what;
        Response measured, target;
        FrequencySpan covered;
        double lo, hi;
        AutoEqStatus status;
        FrequencySpan fitted;
    } cases[] = {
        {"a target over 500..2000 Hz",
         measured,
         Only(Flat(), 500, 2000),
         {500, 2000},
         40,
         16000,
         AutoEqStatus::Fitted,
         {500, 2000}},
        {"a measurement over 300..5000 Hz",
         Only(measured, 300, 5000),
         Flat(),
         {300, 5000},
         40,
         16000,
         AutoEqStatus::Fitted,
         {300, 5000}},
        {"a range inside both", measured, Flat(), {20, 20000}, 100, 8000, AutoEqStatus::Fitted, {100, 8000}},
        {"a measurement over 900..1100 Hz",
         Only(measured, 900, 1100),
         Flat(),
         {900, 1100},
         40,
         16000,
         AutoEqStatus::NotCovered,
         {900, 1100}},
        {"a measurement beside the range",
         Only(measured, 5000, 20000),
         Flat(),
         {5000, 20000},
         40,
         3000,
         AutoEqStatus::NotCovered,
         {5000, 3000}},
    };
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::BandGain(kCh2, 4)), static_cast<uint16_t>(-250));
    for (const auto& c : cases) {
        for (const bool geq : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (geq ? ", GEQ" : ", PEQ"));
            AutoEqOptions o;
            o.range = FrequencySpan{c.lo, c.hi};
            o.geq = geq;
            const AutoEqResult r = FitAutoEq(c.measured, c.target, image, kCh2, o, c.covered);
            ASSERT_EQ(r.status, c.status);
            EXPECT_EQ(r.fitted, c.fitted);
            if (c.status != AutoEqStatus::Fitted) {
                EXPECT_EQ(r.bands[4].gain, -250) << "the image's own bands come back";
                continue;
            }
            EXPECT_TRUE(std::isfinite(r.rmsBeforeDb) && std::isfinite(r.rmsAfterDb));
            EXPECT_LT(r.rmsAfterDb, r.rmsBeforeDb);
            int withGain = 0;
            for (const BandValues& b : r.bands) {
                if (b.gain == 0) continue;
                ++withGain;
                EXPECT_GE(b.freq, c.fitted.lowHz);
                EXPECT_LE(b.freq, c.fitted.highHz);
            }
            EXPECT_GT(withGain, 0);
        }
    }
    // A caller that cannot say where the target ends still gets numbers.
    const AutoEqResult r = FitAutoEq(measured, Only(Flat(), 500, 2000), DefaultEffectBlock(), kCh2, {});
    EXPECT_TRUE(std::isfinite(r.rmsBeforeDb) && std::isfinite(r.rmsAfterDb));
}

TEST(AutoEq, RefusesWhatCannotBeFitted) {
    const Response measured = Measure({55, 15000, 0, kCabin, 1.5, 0.2, 7});
    Response nothing;
    nothing.fill(std::nan(""));
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::BandGain(kCh2, 4)), static_cast<uint16_t>(-250));
    struct Case {
        double lo, hi;
        bool measuredAtAll;
        AutoEqStatus status;
        int channel = kCh2;
    };
    for (const Case& c : std::vector<Case>{{1000, 1000, true, AutoEqStatus::BadRange},
                                           {5000, 100, true, AutoEqStatus::BadRange},
                                           {21000, 30000, true, AutoEqStatus::BadRange},
                                           {1, 19, true, AutoEqStatus::BadRange},
                                           {40, 16000, false, AutoEqStatus::NoMeasurement},
                                           {40, 16000, true, AutoEqStatus::BadChannel, 6},
                                           {40, 16000, true, AutoEqStatus::BadChannel, -1}}) {
        AutoEqOptions o;
        o.range = FrequencySpan{c.lo, c.hi};
        const AutoEqResult r = FitAutoEq(c.measuredAtAll ? measured : nothing, Flat(), image, c.channel, o);
        EXPECT_EQ(r.status, c.status) << c.lo << ".." << c.hi;
        // Nothing changes: the image's own bands come back.
        if (c.status != AutoEqStatus::BadChannel) {
            EXPECT_EQ(r.bands[4].gain, -250);
        }
    }
}

}  // namespace
}  // namespace caraudio::analysis
