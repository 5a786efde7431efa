#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "FilterExport.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "FilterSetWriter.h"
#include "Textbook.h"

namespace caraudio::analysis {
namespace {

constexpr int kCh4 = 5;  // block 5 is shown as CH4

const ParamRecord& P(int index) {
    return *FindParam(index);
}

// Raw band values {freq, Q field, gain}, ascending in frequency, covering
// the Q field's step changes and the gain field's ends.
struct RawBand {
    int freq, q, gain;
};
const RawBand kBands[] = {
    {20, 40, -2000},   {33, 299, 1},         {47, 300, -1},    {100, 760, 655},
    {101, 999, -1234}, {315, 1000, 2000},    {999, 1290, -35}, {1234, 9990, 450},
    {5000, 10000, -7}, {19999, 12800, 1999}, {20000, 401, 5},
};

// A channel with the bands above in bands 0..10 and the factory bands after.
EffectBlock ImageWithBands() {
    EffectBlock image = DefaultEffectBlock();
    int b = 0;
    for (const RawBand& r : kBands) {
        image.Set(P(param::BandFreq(kCh4, b)), static_cast<uint16_t>(r.freq));
        image.Set(P(param::BandQ(kCh4, b)), static_cast<uint16_t>(r.q));
        image.Set(P(param::BandGain(kCh4, b)), static_cast<uint16_t>(r.gain));
        ++b;
    }
    return image;
}

TEST(FilterSetWriter, WritesTheFilesLayouts) {
    const std::vector<PeakingFilter> filters = {{45, 3, 1}, {3155, -6.5, 760 / 300.0}, {45.8, 0, 0.5}};
    EXPECT_EQ(WriteRewFilterSettings(filters, "CH4\nfront"),
              "Filter Settings file\n"
              "\n"
              "Notes: CH4 front\n"
              "\n"
              "Equaliser: Generic\n"
              "Filter  1: ON  PK       Fc      45 Hz  Gain   3.00 dB  Q  1.0000\n"
              "Filter  2: ON  PK       Fc    3155 Hz  Gain  -6.50 dB  Q  2.5333\n"
              "Filter  3: ON  PK       Fc   45.80 Hz  Gain   0.00 dB  Q  0.5000\n");
    EXPECT_EQ(WriteApoConfig(filters, -6.5, "CH4"),
              "# CH4\n"
              "Preamp: -6.50 dB\n"
              "Filter 1: ON PK Fc 45 Hz Gain 3.00 dB Q 1.0000\n"
              "Filter 2: ON PK Fc 3155 Hz Gain -6.50 dB Q 2.5333\n"
              "Filter 3: ON PK Fc 45.80 Hz Gain 0.00 dB Q 0.5000\n");
    EXPECT_EQ(WriteApoConfig({}), "Preamp: 0.00 dB\n") << "a flat channel still makes a configuration";
    EXPECT_EQ(WriteApoConfig(std::vector<PeakingFilter>{{100, -0.001, 1}}),
              "Filter 1: ON PK Fc 100 Hz Gain 0.00 dB Q 1.0000\n");
}

TEST(ChannelPeakingFilters, BandsWithGainAndTheirCookbookQ) {
    const std::vector<PeakingFilter> filters = ChannelPeakingFilters(ImageWithBands(), kCh4);
    ASSERT_EQ(filters.size(), std::size(kBands));
    for (std::size_t i = 0; i < filters.size(); ++i) {
        EXPECT_EQ(filters[i].fcHz, kBands[i].freq) << i;
        EXPECT_DOUBLE_EQ(filters[i].gainDb, kBands[i].gain / 100.0) << i;
        EXPECT_DOUBLE_EQ(filters[i].q, kBands[i].q / 300.0) << i;
    }
    EXPECT_TRUE(ChannelPeakingFilters(DefaultEffectBlock(), kCh4).empty()) << "factory bands are flat";
}

// Export, read the file back, plan the import: the same bands, for both
// formats; and the file's filters draw the channel's band curve.
TEST(ChannelPeakingFilters, ExportThenImportGivesTheSameBands) {
    const EffectBlock image = ImageWithBands();
    const std::vector<PeakingFilter> filters = ChannelPeakingFilters(image, kCh4);
    FrequencyGrid grid;
    grid.Build(17);
    ChannelCurves curves(grid);
    curves.RebuildChannel(kCh4, image);
    const Response& curve = curves.Model(kCh4).Curve1();

    const struct {
        std::string name, text;
    } files[] = {
        {"REW", WriteRewFilterSettings(filters, "CH4")},
        {"APO", WriteApoConfig(filters, -3.0, "CH4")},
    };
    for (const auto& f : files) {
        const FilterSet set = ReadFilterSet(f.text);
        ASSERT_TRUE(set.Ok()) << f.name << " line " << set.errorLine;
        const FilterImportPlan plan = PlanFilterImport(set.filters, image, kCh4, {}, {});
        ASSERT_EQ(plan.outcome, ImportOutcome::Planned) << f.name;
        EXPECT_TRUE(plan.clamped.empty()) << f.name;
        for (int b = 0; b < kBandCount; ++b) {
            const BandValues want{image.Get(P(param::BandFreq(kCh4, b))), image.Get(P(param::BandQ(kCh4, b))),
                                  static_cast<int16_t>(image.Get(P(param::BandGain(kCh4, b))))};
            EXPECT_EQ(plan.bands[static_cast<size_t>(b)], want) << f.name << " band " << b;
        }

        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            double file = 0;
            for (const FilterLine& l : set.filters)
                file +=
                    caraudio::test::TextbookPeakingDb(l.fcHz, l.gainDb, l.q, caraudio::test::EditorGridHz(i));
            worst = std::max(worst, std::fabs(curve[static_cast<size_t>(i)] - file));
        }
        EXPECT_LT(worst, 0.1) << f.name;

        std::vector<PeakingFilter> read;
        for (const FilterLine& l : set.filters) read.push_back({l.fcHz, l.gainDb, l.q});
        EXPECT_LT(ExportDeviationDb(read, image, kCh4), 0.1) << f.name;
    }
}

// The export's own check finds the faults that make a file sound unlike the
// box: the Q as shown instead of the cookbook Q, a band left out.
TEST(ExportDeviationDb, MeasuresTheWorstDifference) {
    EffectBlock one = DefaultEffectBlock();
    one.Set(P(param::BandFreq(kCh4, 12)), 1000);
    one.Set(P(param::BandQ(kCh4, 12)), 300);
    one.Set(P(param::BandGain(kCh4, 12)), 600);
    EXPECT_NEAR(ExportDeviationDb({}, one, kCh4), 6.0, 0.01) << "the band's peak, nothing to match it";
    EXPECT_LT(ExportDeviationDb(std::vector<PeakingFilter>{{1000, 6, 1}}, one, kCh4), 1e-9);

    const EffectBlock image = ImageWithBands();
    std::vector<PeakingFilter> shownQ = ChannelPeakingFilters(image, kCh4);
    EXPECT_LT(ExportDeviationDb(shownQ, image, kCh4), 1e-9);
    for (PeakingFilter& f : shownQ) f.q *= 3;
    EXPECT_GT(ExportDeviationDb(shownQ, image, kCh4), 1.0);
    std::vector<PeakingFilter> missing = ChannelPeakingFilters(image, kCh4);
    missing.erase(missing.begin() + 3);  // 6.55 dB at 100 Hz
    EXPECT_NEAR(ExportDeviationDb(missing, image, kCh4), 6.55, 0.3);
}

}  // namespace
}  // namespace caraudio::analysis
