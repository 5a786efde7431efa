#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "Textbook.h"

namespace caraudio::analysis {
namespace {

constexpr int kCh2 = 3;  // block 3 is shown as CH2

struct Peak {
    double fc, gain, q;
    bool on = true;
};

// A REW filter file as a measurement program in a decimal-comma locale
// writes it, for the peaks given.
std::string RewFileWithCommas(const std::vector<Peak>& peaks) {
    std::string text =
        "Filter Settings file\n\nRoom EQ V5.31.3\nDated: 08.01.2025 11:32:39\n\nNotes:\n\n"
        "Equaliser: Generic\nRMS Average\n";
    auto comma = [](double v, int decimals) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
        std::string s = buffer;
        for (char& c : s)
            if (c == '.') c = ',';
        return s;
    };
    int n = 1;
    for (const Peak& p : peaks) {
        char line[160];
        std::snprintf(line, sizeof line, "Filter %2d: %-3s PK       Fc %7s Hz  Gain %6s dB  Q %6s\n", n++,
                      p.on ? "ON" : "OFF", comma(p.fc, p.fc < 1000 ? 2 : 0).c_str(), comma(p.gain, 2).c_str(),
                      comma(p.q, 3).c_str());
        text += line;
    }
    return text;
}

std::string ApoLines(const std::vector<Peak>& peaks) {
    std::string text;
    for (const Peak& p : peaks) {
        char line[160];
        std::snprintf(line, sizeof line, "Filter: %s PK Fc %.2f Hz Gain %.4f dB Q %.6f\n",
                      p.on ? "ON" : "OFF", p.fc, p.gain, p.q);
        text += line;
    }
    return text;
}

const ParamRecord& P(int index) {
    return *FindParam(index);
}

// Writes a plan into an image the way the window's setters would.
EffectBlock Applied(EffectBlock image, int ch, const FilterImportPlan& plan) {
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& v = plan.bands[static_cast<size_t>(b)];
        image.Set(P(param::BandFreq(ch, b)), static_cast<uint16_t>(v.freq));
        image.Set(P(param::BandQ(ch, b)), static_cast<uint16_t>(v.q));
        image.Set(P(param::BandGain(ch, b)), static_cast<uint16_t>(v.gain));
    }
    auto pass = [&](const std::optional<CrossoverChoice>& c, int typeIndex, int freqIndex) {
        if (!c) return;
        const auto byte = static_cast<uint8_t>(image.Get(P(typeIndex)));
        image.Set(P(typeIndex), WithCrossoverType(WithCrossoverSlope(byte, c->slopeIndex), c->typeField));
        image.Set(P(freqIndex), static_cast<uint16_t>(c->freq));
    };
    pass(plan.highPass, param::HighPassType(ch), param::HighPassFreq(ch));
    pass(plan.lowPass, param::LowPassType(ch), param::LowPassFreq(ch));
    if (plan.volume) image.Set(P(param::Volume(ch)), static_cast<uint16_t>(*plan.volume));
    return image;
}

FilterImportPlan Plan(const std::string& text, const EffectBlock& image = DefaultEffectBlock(),
                      GainLimits limits = {}, ImportOptions options = {}) {
    const FilterSet set = ReadFilterSet(text);
    EXPECT_TRUE(set.Ok()) << "line " << set.errorLine << ": " << set.errorText;
    return PlanFilterImport(set.filters, image, kCh2, limits, options);
}

// Filters the box holds exactly: whole Hz, hundredths of a dB, and a Q whose
// three-times value in hundredths is a step of the Q field.
TEST(PlanFilterImport, ChannelCurveEqualsTheFilesFilters) {
    const std::vector<std::vector<Peak>> files = {
        {{45, 3.00, 1.0}, {3150, -6.50, 4.3}, {120, -2.00, 2.0}},
        {{20, 12.0, 0.2}, {80, -9.99, 0.5}, {250, 4.37, 12.0}, {1000, -15.0, 40.0}, {20000, 6.0, 0.71}},
        {{63, 1.23, 3.33}, {64, -1.23, 3.33}, {7000, 0.01, 1.5}, {14000, -20.0, 2.4}},
    };
    FrequencyGrid grid;
    grid.Build(17);
    for (const auto& peaks : files) {
        const FilterImportPlan plan = Plan(ApoLines(peaks));
        ASSERT_EQ(plan.outcome, ImportOutcome::Planned);
        EXPECT_TRUE(plan.clamped.empty());
        ChannelCurves curves(grid);
        curves.RebuildChannel(kCh2, Applied(DefaultEffectBlock(), kCh2, plan));
        const Response& curve = curves.Model(kCh2).Curve1();
        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            double file = 0;
            for (const Peak& p : peaks)
                file += caraudio::test::TextbookPeakingDb(p.fc, p.gain, p.q, caraudio::test::EditorGridHz(i));
            worst = std::max(worst, std::fabs(curve[static_cast<size_t>(i)] - file));
        }
        EXPECT_LT(worst, 0.1) << peaks.size() << " filters from " << peaks[0].fc << " Hz";
    }
}

TEST(PlanFilterImport, RewFileWithCommasOffShelfAndOutOfRangeFilter) {
    std::vector<Peak> peaks;
    for (int n = 0; n < 20; ++n)
        peaks.push_back({30.0 * std::pow(1.4, n) + 0.8, n % 2 ? -3.5 : 2.25, 1.0 + n / 10.0});
    peaks[4].on = false;
    peaks[19] = {25000, -4.0, 2.0};
    std::string text = RewFileWithCommas(peaks);
    // The header has 9 lines; filter n is on line 9 + n. The shelf takes slot 8.
    const std::string slot8 =
        text.substr(text.find("Filter  8:"), text.find("Filter  9:") - text.find("Filter  8:"));
    text.replace(text.find(slot8), slot8.size(), "Filter  8: ON  LS 6dB   Fc   120,00 Hz  Gain   4,00 dB\n");

    const FilterImportPlan plan = Plan(text);
    ASSERT_EQ(plan.outcome, ImportOutcome::Planned);
    EXPECT_EQ(plan.peakingCount, 18);
    ASSERT_EQ(plan.skipped.size(), 1u);
    EXPECT_EQ(plan.skipped[0].lineNumber, 14);
    EXPECT_EQ(plan.skipped[0].reason, SkipReason::Off);
    // The shelf is followed by bands of its own (ShelfImportTest holds them
    // to its curve).
    ASSERT_EQ(plan.approximation.lines.size(), 1u);
    EXPECT_EQ(plan.approximation.lines[0].lineNumber, 17);
    EXPECT_EQ(plan.approximation.lines[0].kind, FilterKind::LowShelf);
    EXPECT_EQ(plan.approximation.lines[0].type, "LS 6dB");
    const int used = 18 + plan.approximation.lines[0].bandCount;
    ASSERT_EQ(plan.clamped.size(), 1u);
    EXPECT_EQ(plan.clamped[0].lineNumber, 29);
    ASSERT_EQ(plan.clamped[0].values.size(), 1u);
    EXPECT_EQ(plan.clamped[0].values[0].field, ClampedField::Frequency);
    EXPECT_EQ(plan.clamped[0].values[0].asked, 25000);
    EXPECT_EQ(plan.clamped[0].values[0].held, 20000);

    // The used bands in ascending frequency, each naming its line; the
    // first peak (line 10) and the clamped one (line 29) as the box holds them.
    const std::vector<FilterLine> lines = ReadFilterSet(text).filters;
    auto lineOf = [&](int b) {
        const int index = plan.bandFilter[static_cast<size_t>(b)];
        return index < 0 ? 0 : lines[static_cast<size_t>(index)].lineNumber;
    };
    for (int b = 0; b < used; ++b) EXPECT_NE(lineOf(b), 0) << b;
    for (int b = 1; b < used; ++b) EXPECT_LE(plan.bands[b - 1].freq, plan.bands[b].freq) << b;
    auto bandOf = [&](int line) {
        for (int b = 0; b < used; ++b)
            if (lineOf(b) == line) return plan.bands[b];
        return BandValues{};
    };
    EXPECT_EQ(bandOf(10), (BandValues{31, 300, 225}));  // 30.80 from "30,80", rounded
    EXPECT_EQ(bandOf(29), (BandValues{20000, 600, -400}));
    const EffectBlock& d = DefaultEffectBlock();
    for (int b = used; b < kBandCount; ++b) {
        EXPECT_EQ(plan.bands[b].gain, 0) << b;
        EXPECT_EQ(plan.bands[b].freq, d.Get(P(param::BandFreq(kCh2, b)))) << b;
        EXPECT_EQ(plan.bands[b].q, d.Get(P(param::BandQ(kCh2, b)))) << b;
    }
}

TEST(PlanFilterImport, ValuesBecomeTheNearestTheBoxHolds) {
    const GainLimits limits{-12, 6};
    const struct {
        double fc, gain, q;
        int freqRaw, gainRaw, qRaw;
        bool freqClamped, gainClamped, qClamped;
    } cases[] = {
        {45.5, 2.346, 1.2345, 46, 235, 370, false, false, false},
        {19.6, -12.004, 3.3318, 20, -1200, 1000, false, false, false},
        {19.4, 7, 4.318, 20, 600, 1300, true, true, false},
        {25000, -13, 33.315, 20000, -1200, 9990, true, true, false},
        {1000, 0.004, 33.32, 1000, 0, 10000, false, false, false},
        {1000, 1, 0.1, 1000, 100, 40, false, false, true},
        {1000, 1, 50, 1000, 100, 12800, false, false, true},
    };
    for (const auto& c : cases) {
        const FilterImportPlan plan = Plan(ApoLines({{c.fc, c.gain, c.q}}), DefaultEffectBlock(), limits);
        const std::string what =
            "Fc " + std::to_string(c.fc) + " gain " + std::to_string(c.gain) + " Q " + std::to_string(c.q);
        EXPECT_EQ(plan.bands[0], (BandValues{c.freqRaw, c.qRaw, c.gainRaw})) << what;
        bool freq = false, gain = false, q = false;
        for (const ClampedFilter& f : plan.clamped)
            for (const ClampedValue& v : f.values)
                (v.field == ClampedField::Frequency ? freq : v.field == ClampedField::Gain ? gain : q) = true;
        EXPECT_EQ(freq, c.freqClamped) << what;
        EXPECT_EQ(gain, c.gainClamped) << what;
        EXPECT_EQ(q, c.qClamped) << what;
    }
}

TEST(PlanFilterImport, MorePeakingFiltersThanBandsChangeNothing) {
    std::vector<Peak> peaks;
    for (int n = 0; n < 32; ++n) peaks.push_back({100.0 + 10 * n, 1, 1});
    EffectBlock image = DefaultEffectBlock();
    image.Set(P(param::BandGain(kCh2, 4)), static_cast<uint16_t>(-250));
    const std::string text = ApoLines(peaks) + "Filter: ON HP Fc 80 Hz\nPreamp: -3 dB\n";

    const FilterImportPlan tooMany = Plan(text, image, {}, {true, -3});
    EXPECT_EQ(tooMany.outcome, ImportOutcome::TooManyPeaking);
    EXPECT_EQ(tooMany.peakingCount, 32);
    EXPECT_FALSE(tooMany.highPass);
    EXPECT_FALSE(tooMany.volume);
    EXPECT_EQ(Applied(image, kCh2, tooMany), image);

    peaks[0].on = false;
    const FilterImportPlan fits = Plan(ApoLines(peaks), image);
    EXPECT_EQ(fits.outcome, ImportOutcome::Planned);
    EXPECT_EQ(fits.peakingCount, 31);

    const FilterImportPlan notchOnly = Plan("Filter: ON NO Fc 80 Hz\n", image);
    EXPECT_EQ(notchOnly.outcome, ImportOutcome::NothingToImport);
    EXPECT_EQ(Applied(image, kCh2, notchOnly), image);
}

// The box's types as the EQ response model draws a 12 dB/oct section:
// Linkwitz with alpha = sin(w0)/sqrt(2) (Q 0.707), Bessel with
// alpha = sin(w0) sqrt(3)/2 (Q 0.577), Butterworth with alpha = sin(w0)/1.718
// (Q 0.859). A file's second-order filter with one of those Qs is drawn
// exactly by that type.
TEST(PlanFilterImport, CrossoverIsTheClosestBoxTypeAndSlope) {
    const struct {
        std::string line;
        bool highPass;
        int freq, type, slope;
        double maxRms;
    } cases[] = {
        {"Filter: ON HP Fc 80 Hz", true, 80, 2, 1, 0.01},
        {"Filter: ON HPQ Fc 80 Hz Q 0.7071", true, 80, 2, 1, 0.01},
        {"Filter: ON LPQ Fc 2000 Hz Q 0.859", false, 2000, 0, 1, 0.01},
        {"Filter: ON HPQ Fc 300 Hz Q 0.57735", true, 300, 1, 1, 0.01},
    };
    for (const auto& c : cases) {
        const FilterImportPlan plan = Plan(c.line);
        const std::optional<CrossoverChoice>& got = c.highPass ? plan.highPass : plan.lowPass;
        ASSERT_TRUE(got) << c.line;
        EXPECT_FALSE(c.highPass ? plan.lowPass : plan.highPass) << c.line;
        EXPECT_EQ(got->freq, c.freq) << c.line;
        EXPECT_EQ(got->typeField, c.type) << c.line;
        EXPECT_EQ(got->slopeIndex, c.slope) << c.line;
        EXPECT_LT(got->rmsDb, c.maxRms) << c.line;
    }

    // A first-order filter falls 6 dB per octave: the box's 6 dB/oct slope.
    const FilterImportPlan first = Plan("Filter: ON HP1 Fc 100 Hz\nFilter: ON LP1 Fc 5000 Hz\n");
    ASSERT_TRUE(first.highPass && first.lowPass);
    EXPECT_EQ(first.highPass->slopeIndex, 0);
    EXPECT_EQ(first.lowPass->slopeIndex, 0);

    const FilterImportPlan high = Plan("Filter: ON LP Fc 25000 Hz\n");
    ASSERT_TRUE(high.lowPass);
    EXPECT_EQ(high.lowPass->freq, 20000);
    ASSERT_EQ(high.clamped.size(), 1u);
    EXPECT_EQ(high.clamped[0].values[0].asked, 25000);

    const FilterImportPlan two = Plan("Filter: ON HP Fc 80 Hz\nFilter: ON HP Fc 40 Hz\n");
    ASSERT_TRUE(two.highPass);
    EXPECT_EQ(two.highPass->lineNumber, 1);
    ASSERT_EQ(two.skipped.size(), 1u);
    EXPECT_EQ(two.skipped[0].lineNumber, 2);
    EXPECT_EQ(two.skipped[0].reason, SkipReason::ExtraCrossover);
}

TEST(PlanFilterImport, PreampMovesTheLevelInWholeDbDownward) {
    const struct {
        int volume;  // raw: dB + 60, 0 is OFF
        bool apply;
        double preamp;
        std::optional<int> newVolume;
        int change;
    } cases[] = {
        {60, true, -6.5, 53, -7}, {60, true, -6.0, 54, -6}, {60, true, 2.5, 62, 2},
        {60, false, -6.5, {}, 0}, {66, true, 3.0, {}, 0},   {0, true, -3.0, {}, 0},
        {5, true, -9.2, 0, -5},   {60, true, -0.4, 59, -1}, {60, true, 0.0, {}, 0},
    };
    for (const auto& c : cases) {
        EffectBlock image = DefaultEffectBlock();
        image.Set(P(param::Volume(kCh2)), static_cast<uint16_t>(c.volume));
        const FilterImportPlan plan =
            Plan("Filter: ON PK Fc 100 Hz Gain 1 dB Q 1\n", image, {}, {c.apply, c.preamp});
        EXPECT_EQ(plan.volume, c.newVolume) << c.volume << " " << c.preamp;
        EXPECT_EQ(plan.levelChangeDb, c.change) << c.volume << " " << c.preamp;
    }
}

}  // namespace
}  // namespace caraudio::analysis
