// Shelves and graphic EQ curves of filter sets, imported as the peaking
// bands that follow them: the channel's curve in the program's model held
// against the file's own curve, computed from the formats' definitions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "AutoEq.h"
#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "GraphicEq.h"
#include "Textbook.h"
#include "TextbookShelf.h"

namespace caraudio::analysis {
namespace {

using caraudio::test::TextbookGraphicEqDb;
using caraudio::test::TextbookPeakingDb;
using caraudio::test::TextbookShelfLine;

constexpr int kCh2 = 3;  // block 3 is shown as CH2

struct Peak {
    double fc, gain, q;
};

// A filter set as AutoEQ and Equalizer APO write it: a preamp, then one
// "Filter N:" line per filter, shelves first.
struct File {
    std::vector<TextbookShelfLine> shelves;
    std::vector<Peak> peaks;
    std::vector<std::pair<double, double>> graphic;  // one GraphicEQ line when not empty

    std::string Text() const {
        std::string text = "Preamp: -6.1 dB\n";
        int n = 1;
        for (const TextbookShelfLine& s : shelves)
            text += "Filter " + std::to_string(n++) + ": " + s.Text() + "\n";
        char line[160];
        for (const Peak& p : peaks) {
            std::snprintf(line, sizeof line, "Filter %d: ON PK Fc %g Hz Gain %.2f dB Q %g\n", n++, p.fc,
                          p.gain, p.q);
            text += line;
        }
        if (!graphic.empty()) {
            text += "GraphicEQ:";
            for (std::size_t k = 0; k < graphic.size(); ++k) {
                std::snprintf(line, sizeof line, "%s %g %.1f", k ? ";" : "", graphic[k].first,
                              graphic[k].second);
                text += line;
            }
            text += "\n";
        }
        return text;
    }
    // The file's curve; graphic EQ levels held to the box's limits.
    double Db(double hz, GainLimits limits = {}) const {
        double db = 0;
        for (const TextbookShelfLine& s : shelves) db += s.Db(hz);
        for (const Peak& p : peaks) db += TextbookPeakingDb(p.fc, p.gain, p.q, hz);
        if (!graphic.empty()) {
            auto held = graphic;
            for (auto& [hzPoint, gain] : held)
                gain = std::clamp(gain, double(limits.minvol), double(limits.maxvol));
            db += TextbookGraphicEqDb(held, hz);
        }
        return db;
    }
};

FilterImportPlan Plan(const std::string& text, GainLimits limits = {},
                      const EffectBlock& image = DefaultEffectBlock()) {
    const FilterSet set = ReadFilterSet(text);
    EXPECT_TRUE(set.Ok()) << "line " << set.errorLine << ": " << set.errorText;
    return PlanFilterImport(set.filters, image, kCh2, limits, {});
}

// The channel's band curve as the box plays it, against the file's, over
// 20..20000 Hz on the editor's grid: the largest difference and the root
// mean square.
struct Deviation {
    double worst = 0, rms = 0;
};
Deviation DeviationOf(const FilterImportPlan& plan, const File& file, GainLimits limits = {}) {
    FrequencyGrid grid;
    grid.Build(17);
    ChannelCurves curves(grid);
    curves.RebuildChannel(kCh2, WithBands(DefaultEffectBlock(), kCh2, plan.bands));
    const Response& curve = curves.Model(kCh2).Curve1();
    Deviation d;
    int n = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = caraudio::test::EditorGridHz(i);
        if (hz < 20 || hz > 20000) continue;
        const double diff = curve[static_cast<size_t>(i)] - file.Db(hz, limits);
        d.worst = std::max(d.worst, std::fabs(diff));
        d.rms += diff * diff;
        ++n;
    }
    d.rms = std::sqrt(d.rms / n);
    return d;
}

int BandsUsed(const FilterImportPlan& plan) {
    int used = 0;
    for (const BandValues& b : plan.bands) used += b.gain != 0;
    return used;
}

// Ten peaks a headphone or a car door might need.
const std::vector<Peak> kTenPeaks = {
    {62, -2.8, 1.2},  {180, 1.5, 0.9},   {410, -2.2, 2.1}, {900, 1.1, 1.6},  {1800, -3.6, 2.4},
    {3200, 4.1, 1.9}, {4600, -2.9, 4.2}, {6100, 3.3, 3.1}, {8865, 4.9, 1.3}, {15500, -4.0, 0.8},
};

TEST(ShelfImport, TheChannelFollowsTheFilesWholeCurve) {
    const struct {
        const char* what;
        File file;
    } cases[] = {
        {"AutoEQ headphone correction",
         {{{"LSC", 0, 105, 6.9, 0.70}, {"HSC", 0, 10000, -2.1, 0.70}}, kTenPeaks, {}}},
        {"car door: low shelf and one peak", {{{"LSC", 0, 105, 6.4, 0.70}}, {{8865, 4.9, 1.3}}, {}}},
        {"car tweeter: high shelf at 10 kHz", {{{"HSC", 0, 10000, 4.5, 0.70}}, {{3150, -3.0, 2.0}}, {}}},
        {"deep sub shelf", {{{"LSC", 0, 20, 8.0, 0.70}}, {}, {}}},
        {"low shelf at 30 Hz", {{{"LS", 0, 30, -6.0, 0}}, {}, {}}},
        {"low shelf at 40 Hz", {{{"LSC", 0, 40, 9.0, 0.9}}, kTenPeaks, {}}},
        {"high shelf at 12 kHz", {{{"HSC", 0, 12000, -7.5, 0.70}}, {}, {}}},
        {"high shelf at 16 kHz", {{{"HS", 0, 16000, 6.0, 0}}, {}, {}}},
        {"+12 dB bass", {{{"LSC", 0, 80, 12.0, 0.70}}, {{45, -3.0, 1.5}}, {}}},
        {"-12 dB treble", {{{"HSC", 0, 6000, -12.0, 0.70}}, {}, {}}},
        {"-12 dB bass, +12 dB treble", {{{"LS", 12, 200, -12.0, 0}, {"HS", 6, 5000, 12.0, 0}}, {}, {}}},
    };
    for (const auto& c : cases) {
        const FilterImportPlan plan = Plan(c.file.Text());
        ASSERT_EQ(plan.outcome, ImportOutcome::Planned) << c.what;
        ASSERT_EQ(plan.approximation.lines.size(), c.file.shelves.size()) << c.what;
        int approximating = 0;
        for (const ApproximatedFilter& a : plan.approximation.lines) {
            EXPECT_GE(a.bandCount, 1) << c.what << " line " << a.lineNumber;
            approximating += a.bandCount;
        }
        EXPECT_EQ(BandsUsed(plan), static_cast<int>(c.file.peaks.size()) + approximating) << c.what;
        const Deviation d = DeviationOf(plan, c.file);
        EXPECT_LE(d.worst, 0.5) << c.what;
        EXPECT_NEAR(plan.approximation.deviationDb, d.worst, 0.05) << c.what;
        EXPECT_FALSE(plan.approximation.rms) << c.what;
        for (int b = 1; b < BandsUsed(plan); ++b)
            EXPECT_LE(plan.bands[b - 1].freq, plan.bands[b].freq) << c.what << " band " << b;
    }
}

// Each code and slope form read as the formats define it: a shelf read
// another way (midpoint for corner, another slope) lies further than the
// tolerance from the file's curve.
TEST(ShelfImport, EveryTypeCodeAndSlopeForm) {
    const struct {
        std::string line;
        TextbookShelfLine truth;
    } cases[] = {
        {"Filter 1: ON LS Fc 120 Hz Gain 5.5 dB", {"LS", 0, 120, 5.5, 0}},
        {"Filter 1: ON HS Fc 4000 Hz Gain -4.5 dB", {"HS", 0, 4000, -4.5, 0}},
        {"Filter 1: ON LS 6dB Fc 150 Hz Gain 6.0 dB", {"LS", 6, 150, 6.0, 0}},
        {"Filter 1: ON LS 12dB Fc 90 Hz Gain -8.0 dB", {"LS", 12, 90, -8.0, 0}},
        {"Filter 1: ON HS 6dB Fc 3000 Hz Gain -6.0 dB", {"HS", 6, 3000, -6.0, 0}},
        {"Filter 1: ON HS 12dB Fc 7000 Hz Gain 5.0 dB", {"HS", 12, 7000, 5.0, 0}},
        {"Filter 1: ON LSC Fc 105 Hz Gain 6.9 dB Q 0.70", {"LSC", 0, 105, 6.9, 0.70}},
        {"Filter 1: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70", {"HSC", 0, 10000, -2.1, 0.70}},
        {"Filter 1: ON LSC Fc 300 Hz Gain 5.0 dB Q 0.6473", {"LSC", 0, 300, 5.0, 0.6473}},
        {"Filter 1: ON HSC Fc 2500 Hz Gain 4.0 dB Q 1.2", {"HSC", 0, 2500, 4.0, 1.2}},
        {"Filter 1: ON LSC 10.8 dB Fc 300 Hz Gain 5.0 dB", {"LSC", 10.8, 300, 5.0, 0}},
        {"Filter 1: ON HSC 6 dB Fc 1000 Hz Gain -6.0 dB", {"HSC", 6, 1000, -6.0, 0}},
        {"Filter 1: ON HSC 4.5dB Fc 5000 Hz Gain 3.0 dB", {"HSC", 4.5, 5000, 3.0, 0}},
        {"Filter 1: ON LS 6 dB Fc 200 Hz Gain -5.0 dB", {"LS", 6, 200, -5.0, 0}},
        {"Filter 1: ON LS Fc 80 Hz Gain 7.0 dB Q 0.9", {"LS", 0, 80, 7.0, 0.9}},
        {"Filter 1: ON HS Fc 8000 Hz Gain -5.0 dB Q 0.5", {"HS", 0, 8000, -5.0, 0.5}},
        {"Filter 1: ON LSQ Fc 105 Hz Gain 3.2 dB Q 0.700", {"LSQ", 0, 105, 3.2, 0.7}},
        {"Filter 1: ON HSQ Fc 7000 Hz Gain -1.0 dB Q 0.5", {"HSQ", 0, 7000, -1.0, 0.5}},
        {"Filter  1: ON  LS 6dB   Fc   120,00 Hz  Gain   4,00 dB", {"LS", 6, 120, 4.0, 0}},
        {"Filter 1: ON LSC 7,5 dB Fc 60 Hz Gain 3,5 dB", {"LSC", 7.5, 60, 3.5, 0}},
    };
    for (const auto& c : cases) {
        const FilterImportPlan plan = Plan(c.line);
        ASSERT_EQ(plan.outcome, ImportOutcome::Planned) << c.line;
        ASSERT_EQ(plan.approximation.lines.size(), 1u) << c.line;
        const ApproximatedFilter& a = plan.approximation.lines[0];
        EXPECT_EQ(a.lineNumber, 1) << c.line;
        EXPECT_EQ(a.kind, c.truth.code[0] == 'L' ? FilterKind::LowShelf : FilterKind::HighShelf) << c.line;
        EXPECT_EQ(a.bandCount, BandsUsed(plan)) << c.line;
        EXPECT_TRUE(plan.skipped.empty()) << c.line;
        EXPECT_LE(DeviationOf(plan, {{c.truth}, {}, {}}).worst, 0.5) << c.line;
    }
}

// 31 bands in all: a shelf takes what the peaks leave, or the import is
// refused as a whole.
TEST(ShelfImport, FewFreeBandsFitOrChangeNothing) {
    std::vector<Peak> peaks;
    for (int n = 0; n < 31; ++n) peaks.push_back({250.0 * std::pow(1.12, n), n % 2 ? -1.5 : 1.0, 4.0});
    EffectBlock image = DefaultEffectBlock();
    image.Set(*FindParam(param::BandGain(kCh2, 7)), static_cast<uint16_t>(-250));

    const File fits{{{"LSC", 0, 105, 6.4, 0.70}}, {peaks.begin(), peaks.begin() + 28}, {}};
    const FilterImportPlan planned = Plan(fits.Text(), {}, image);
    ASSERT_EQ(planned.outcome, ImportOutcome::Planned);
    EXPECT_EQ(planned.approximation.freeBands, 3);
    ASSERT_EQ(planned.approximation.lines.size(), 1u);
    EXPECT_LE(planned.approximation.lines[0].bandCount, 3);
    EXPECT_LE(DeviationOf(planned, fits).worst, 0.5);

    const struct {
        const char* what;
        File file;
        int free;
    } refused[] = {
        {"two steep shelves in one band",
         {{{"LS", 12, 200, -12.0, 0}, {"HS", 6, 5000, 12.0, 0}}, {peaks.begin(), peaks.begin() + 30}, {}},
         1},
        {"no band left", {{{"LSC", 0, 105, 6.4, 0.70}}, peaks, {}}, 0},
        {"more shelves than bands",
         {std::vector<TextbookShelfLine>(32, {"LSC", 0, 105, 0.5, 0.70}), {}, {}},
         31},
    };
    for (const auto& c : refused) {
        const FilterImportPlan plan = Plan(c.file.Text() + "Filter: ON HP Fc 40 Hz\n", {}, image);
        EXPECT_EQ(plan.outcome, ImportOutcome::CannotApproximate) << c.what;
        EXPECT_EQ(plan.approximation.freeBands, c.free) << c.what;
        EXPECT_EQ(plan.approximation.lines.size(), c.file.shelves.size()) << c.what;
        EXPECT_EQ(plan.approximation.noFilterLine, 0) << c.what;
        EXPECT_GT(plan.approximation.deviationDb, 0.5) << c.what;
        EXPECT_EQ(WithBands(image, kCh2, plan.bands), image) << c.what;
        EXPECT_FALSE(plan.highPass || plan.lowPass || plan.volume) << c.what;
    }
}

TEST(ShelfImport, ShelvesThatAreNoFilterChangeNothing) {
    const char* lines[] = {
        "Filter: ON LS 48dB Fc 100 Hz Gain 14 dB",  // too steep for its gain: no real Q
        "Filter: ON LSC Fc 100 Hz Gain 3 dB Q 0",     "Filter: ON HS Gain 3 dB",
        "Filter: ON HSC Fc 30000 Hz Gain 3 dB Q 0.7", "Filter: ON LS",
    };
    for (const char* line : lines) {
        const FilterImportPlan plan = Plan(std::string("Filter: ON PK Fc 1000 Hz Gain 2 dB Q 1\n") + line);
        EXPECT_EQ(plan.outcome, ImportOutcome::CannotApproximate) << line;
        EXPECT_EQ(plan.approximation.noFilterLine, 2) << line;
        EXPECT_EQ(WithBands(DefaultEffectBlock(), kCh2, plan.bands), DefaultEffectBlock()) << line;
    }
}

// A shelf beyond the tuning file's limits is followed as if its gain were at
// the limit, and said so.
TEST(ShelfImport, GainsBeyondTheLimitsAreHeldAtThem) {
    const GainLimits limits{-12, 6};
    const FilterImportPlan plan = Plan(
        "Filter 1: ON LSC Fc 80 Hz Gain 9 dB Q 0.7\n"
        "Filter 2: ON HSC Fc 9000 Hz Gain -15 dB Q 0.7\n",
        limits);
    ASSERT_EQ(plan.outcome, ImportOutcome::Planned);
    ASSERT_EQ(plan.clamped.size(), 2u);
    EXPECT_EQ(plan.clamped[0].lineNumber, 1);
    ASSERT_EQ(plan.clamped[0].values.size(), 1u);
    EXPECT_EQ(plan.clamped[0].values[0].field, ClampedField::Gain);
    EXPECT_EQ(plan.clamped[0].values[0].asked, 9);
    EXPECT_EQ(plan.clamped[0].values[0].held, 6);
    EXPECT_EQ(plan.clamped[1].values[0].held, -12);
    EXPECT_LE(DeviationOf(plan, {{{"LSC", 0, 80, 6, 0.7}, {"HSC", 0, 9000, -12, 0.7}}, {}, {}}).worst, 0.5);
    for (const BandValues& b : plan.bands) EXPECT_TRUE(b.gain >= -1200 && b.gain <= 600) << b.gain;
}

// An AutoEQ GraphicEQ.txt: 127 points from 20 Hz, about 1/12 octave apart,
// levels in tenths of a dB.
std::vector<std::pair<double, double>> AutoEqGraphicEq(double bassDb, double trebleDb) {
    std::vector<std::pair<double, double>> points;
    for (int n = 0; n < 127; ++n) {
        const double hz = std::round(20 * std::pow(1.0563, n));
        double db = caraudio::test::TextbookShelfDb(false, 105, bassDb, 0.7, hz) +
                    caraudio::test::TextbookShelfDb(true, 9000, trebleDb, 0.7, hz) +
                    TextbookPeakingDb(2900, -4.0, 2.0, hz) + TextbookPeakingDb(6200, 5.5, 3.0, hz) +
                    TextbookPeakingDb(13000, -5.0, 1.2, hz) + 0.3 * std::sin(n * 0.9);
        points.emplace_back(hz, std::round(db * 10) / 10);
    }
    return points;
}

TEST(GraphicEqImport, TheChannelFollowsTheCurveWithinHalfADbRms) {
    const struct {
        const char* what;
        std::vector<std::pair<double, double>> points;
        GainLimits limits;
        bool held;
    } cases[] = {
        {"ten ISO bands",
         {{25, 6},
          {40, 4.5},
          {63, 3},
          {100, 1.5},
          {160, 0},
          {1000, 0},
          {2500, -2},
          {4000, -3},
          {10000, 3},
          {16000, 3}},
         {},
         false},
        {"AutoEQ, 127 points", AutoEqGraphicEq(6.5, -3), {}, false},
        {"AutoEQ beyond the limits", AutoEqGraphicEq(14, -16), {-12, 9}, true},
    };
    for (const auto& c : cases) {
        const File file{{}, {}, c.points};
        const FilterImportPlan plan = Plan(file.Text(), c.limits);
        ASSERT_EQ(plan.outcome, ImportOutcome::Planned) << c.what;
        ASSERT_EQ(plan.approximation.lines.size(), 1u) << c.what;
        EXPECT_EQ(plan.approximation.lines[0].kind, FilterKind::GraphicEq) << c.what;
        EXPECT_EQ(plan.approximation.lines[0].lineNumber, 2) << c.what;
        EXPECT_EQ(plan.approximation.lines[0].bandCount, BandsUsed(plan)) << c.what;
        EXPECT_TRUE(plan.approximation.rms) << c.what;
        const Deviation d = DeviationOf(plan, file, c.limits);
        EXPECT_LE(d.rms, 0.5) << c.what;
        EXPECT_NEAR(plan.approximation.deviationDb, d.rms, 0.05) << c.what;
        EXPECT_EQ(plan.clamped.size(), c.held ? 1u : 0u) << c.what;
        if (c.held) {
            ASSERT_EQ(plan.clamped[0].values.size(), 2u) << c.what;
            EXPECT_EQ(plan.clamped[0].values[0].held, 9) << c.what;
            EXPECT_EQ(plan.clamped[0].values[1].held, -12) << c.what;
        }
    }
}

TEST(ShelfImport, TheSameFileGivesTheSameBands) {
    const std::string files[] = {
        File{{{"LSC", 0, 105, 6.9, 0.70}, {"HSC", 0, 10000, -2.1, 0.70}}, kTenPeaks, {}}.Text(),
        File{{}, {}, AutoEqGraphicEq(6.5, -3)}.Text(),
    };
    for (const std::string& text : files) {
        const FilterImportPlan first = Plan(text), second = Plan(text);
        EXPECT_EQ(first.bands, second.bands);
        EXPECT_EQ(first.bandFilter, second.bandFilter);
    }
}

TEST(ReadGraphicEq, PointsAsEqualizerApoReadsThem) {
    const struct {
        std::string line;
        bool ok;
        std::vector<GraphicEqPoint> points;
    } cases[] = {
        {"GraphicEQ: 20 -3.2; 21 -3.1; 22 -2.9", true, {{20, -3.2}, {21, -3.1}, {22, -2.9}}},
        {"GraphicEQ: 1000 0; 25 6;40 4.5;", true, {{25, 6}, {40, 4.5}, {1000, 0}}},
        {"GraphicEQ:\t25 6 40 4.5", true, {{25, 6}, {40, 4.5}}},
        {"GraphicEQ: 25 6,5; 40 -4,5", true, {{25, 6.5}, {40, -4.5}}},
        {"GraphicEQ: 25 +6; 1e3 -2e0", true, {{25, 6}, {1000, -2}}},
        {"GraphicEQ: 25 6; 40", false, {}},
        {"GraphicEQ: 25 6; 40 loud", false, {}},
        {"GraphicEQ: 0 6", false, {}},
        {"GraphicEQ: -20 6", false, {}},
        {"GraphicEQ: 25 6.0; 40 4,5", false, {}},
        {"GraphicEQ: ;", false, {}},
        {"GraphicEQ: 25 nan", false, {}},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet("Preamp: -6 dB\n" + c.line + "\n");
        ASSERT_EQ(set.Ok(), c.ok) << c.line;
        if (!c.ok) {
            EXPECT_EQ(set.status, ReadStatus::BadLine) << c.line;
            EXPECT_EQ(set.errorLine, 2) << c.line;
            continue;
        }
        ASSERT_EQ(set.filters.size(), 1u) << c.line;
        EXPECT_EQ(set.filters[0].kind, FilterKind::GraphicEq) << c.line;
        EXPECT_EQ(set.filters[0].graphicEq, c.points) << c.line;
    }
    std::string many = "GraphicEQ:";
    for (std::size_t n = 0; n <= kMaxGraphicEqPoints; ++n) many += " " + std::to_string(20 + n) + " 0;";
    EXPECT_EQ(ReadFilterSet(many).status, ReadStatus::BadLine);
}

TEST(GraphicEqDb, LinearInLogFrequencyHeldBeyondTheEnds) {
    const std::vector<GraphicEqPoint> points = {{100, -6}, {400, 6}, {400, 2}, {1000, 2}};
    const std::vector<std::pair<double, double>> same = {{100, -6}, {400, 6}, {400, 2}, {1000, 2}};
    for (double hz : {10.0, 100.0, 150.0, 200.0, 399.0, 400.0, 401.0, 700.0, 1000.0, 20000.0})
        EXPECT_NEAR(GraphicEqDb(points, hz), TextbookGraphicEqDb(same, hz), 1e-9) << hz;
    EXPECT_NEAR(GraphicEqDb(points, 200), 0, 1e-9);  // half way in octaves
}

}  // namespace
}  // namespace caraudio::analysis
