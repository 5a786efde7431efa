#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>

#include "ChannelCurves.h"
#include "EqCurveModel.h"
#include "ParamDatabase.h"
#include "Textbook.h"

namespace caraudio {
namespace {

// Each test gets its own grid, built as the editor builds it (from 17 Hz).
struct Built {
    Built() { grid.Build(17); }
    FrequencyGrid grid;
};

std::array<EqFilterInput, EqCurveModel::kBands> FlatBands() {
    std::array<EqFilterInput, EqCurveModel::kBands> b;
    for (int n = 0; n < EqCurveModel::kBands; ++n)
        b[static_cast<size_t>(n)] = {EqFilterRole::Band, EqFilterType::Peaking, 100.0 + n, 0, 2.53, 2.53};
    return b;
}

TEST(FrequencyGrid, LogSpacedFromTheClampedStartAndBuiltOnce) {
    const struct { double asked, start; } cases[] = {{17, 17}, {5, 10}, {30, 20}, {10, 10}};
    for (const auto& c : cases) {
        FrequencyGrid g;
        EXPECT_FALSE(g.IsBuilt());
        EXPECT_EQ(g.StartHz(), -1);
        g.Build(c.asked);
        EXPECT_DOUBLE_EQ(g.StartHz(), c.start);
        EXPECT_NEAR(g.Hz(0), c.start, 1e-9);
        EXPECT_NEAR(g.Hz(512), c.start * std::sqrt(24000 / c.start), 1e-6);
        EXPECT_LT(g.W(1023), 3.14159265358979) << "pi itself is excluded";
        g.Build(12);
        EXPECT_DOUBLE_EQ(g.StartHz(), c.start) << "never rebuilt";
    }
}

// Corner values of the pass filters, at a grid point set exactly on the corner.
TEST(EqCurveModel, PassFiltersAtTheirCorner) {
    Built b;
    const int i = 600;
    const double corner = b.grid.Hz(i);
    const struct {
        EqFilterType type;
        double slope;
        bool highPass;
        double db;
    } cases[] = {
        {EqFilterType::Linkwitz, -24, true, -6.0206},  // two sections of -3.01 dB
        {EqFilterType::Linkwitz, -24, false, -6.0206},
        {EqFilterType::Butterworth, -12, true, -1.3199},  // section Q 1.718/2
        {EqFilterType::Butterworth, -12, false, -1.3199},
        {EqFilterType::Butterworth, -6, true, -0.6600},  // half a section
        {EqFilterType::Bessel, -12, true, 20 * std::log10(1 / std::sqrt(3.0))},
    };
    for (const auto& c : cases) {
        EqCurveModel m(b.grid);
        ASSERT_TRUE(m.InitBands(FlatBands()));
        if (c.highPass)
            m.SetHighPass(corner, c.slope, 1.0, c.type);
        else
            m.SetLowPass(corner, c.slope, 1.0, c.type);
        const int index = c.highPass ? m.HighPass() : m.LowPass();
        EXPECT_NEAR(m.Filter(index).response[i], c.db, 1e-3) << static_cast<int>(c.type) << " " << c.slope;
        EXPECT_NEAR(m.Curve1()[i], c.db, 1e-3);
        EXPECT_EQ(m.Current(), index);
    }
}

TEST(EqCurveModel, PeakingBandFollowsTheTextbookShape) {
    Built b;
    const int centre = 400;
    const struct { double gain, q; } cases[] = {{6.0, 1.4}, {-9.5, 1.4}, {12.0, 0.5}, {-3.0, 4.0}};
    for (const auto& c : cases) {
        EqCurveModel m(b.grid);
        m.InitBands(FlatBands());
        const double f0 = caraudio::test::EditorGridHz(centre);
        EXPECT_TRUE(m.SetBand(7, {EqFilterRole::Band, EqFilterType::Peaking, f0, c.gain, c.q, c.q}));
        const Response& r = m.Filter(7).response;
        EXPECT_NEAR(r[centre], c.gain, 1e-6) << "the full gain at the centre";
        // The width: off-centre values on both sides, where a wrong Q shows,
        // and the two ends.
        for (int i : {0, centre - 150, centre - 60, centre - 25, centre - 8, centre + 8, centre + 25,
                      centre + 60, centre + 150, 1023}) {
            EXPECT_NEAR(r[static_cast<size_t>(i)],
                        caraudio::test::TextbookPeakingDb(f0, c.gain, c.q, caraudio::test::EditorGridHz(i)),
                        1e-6)
                << "gain " << c.gain << " q " << c.q << " at " << caraudio::test::EditorGridHz(i) << " Hz";
        }
        EXPECT_EQ(m.Current(), 7);
        EXPECT_NEAR(m.Peak(), std::max(c.gain, 0.0), 1e-6);
    }
}

TEST(EqCurveModel, FlatRecordsDrawNothing) {
    Built b;
    EqCurveModel m(b.grid);
    m.InitBands(FlatBands());
    const auto flat = [&] {
        for (double v : m.Curve1())
            if (v != 0) return false;
        return true;
    };
    EXPECT_FALSE(m.SetBand(3, {EqFilterRole::Band, EqFilterType::Peaking, 1000, 0.009, 2, 2}))
        << "flat over flat: nothing to redraw";
    EXPECT_EQ(m.Current(), -1);
    EXPECT_TRUE(flat());
    EXPECT_TRUE(m.SetBand(3, {EqFilterRole::Band, EqFilterType::Peaking, 1000, 3, 2, 2}));
    EXPECT_TRUE(m.SetBand(3, {EqFilterRole::Band, EqFilterType::Peaking, 1000, -0.005, 2, 2}))
        << "was audible";
    EXPECT_EQ(m.Current(), -1);
    EXPECT_TRUE(flat());

    m.SetHighPass(0, -12, 1, EqFilterType::Butterworth);  // off
    EXPECT_EQ(m.Current(), -1);
    m.SetLowPass(20000, -12, 1, EqFilterType::Butterworth);
    EXPECT_EQ(m.Current(), -1);
    EXPECT_TRUE(flat());
    m.SetHighPass(80, 0, 1, EqFilterType::Butterworth);  // slope "OFF", in range
    EXPECT_EQ(m.Current(), m.HighPass());
    EXPECT_TRUE(flat());
    EXPECT_EQ(m.HighPass(), 31);
    EXPECT_EQ(m.LowPass(), 32);
    EXPECT_FALSE(m.HasCurve2());
}

TEST(EqCurveModel, PeakIsNeverBelowZero) {
    Built b;
    EqCurveModel m(b.grid);
    auto bands = FlatBands();
    for (auto& band : bands) band.gain = -10;
    m.InitBands(bands);
    EXPECT_LT(*std::min_element(m.Curve1().begin(), m.Curve1().end()), -10);
    EXPECT_LT(*std::max_element(m.Curve1().begin(), m.Curve1().end()), 0);
    EXPECT_EQ(m.Peak(), 0);
}

TEST(EqCurveModel, NothingIsComputedBeforeTheGridExists) {
    FrequencyGrid unbuilt;
    EqCurveModel m(unbuilt);
    EXPECT_FALSE(m.SetAllBands(FlatBands())) << "no records yet";
    m.SetHighPass(100, -12, 1, EqFilterType::Linkwitz);  // no records: ignored
    EXPECT_EQ(m.HighPass(), -1);
    auto bands = FlatBands();
    bands[4].gain = 6;
    ASSERT_TRUE(m.InitBands(bands));
    EXPECT_NE(m.Filter(4).b0, 0) << "coefficients are there";
    EXPECT_EQ(m.Filter(4).response[300], 0) << "responses are not";
    EXPECT_EQ(m.Curve1()[300], 0);
    m.RecomputeAll(17);
    EXPECT_GT(m.Filter(4).response[m.Filter(4).response.size() / 2], -1);
    EXPECT_GT(m.Peak(), 5.9);
}

TEST(EqCurveModel, SecondCrossoverPairMakesASecondCurve) {
    Built b;
    EqCurveModel m(b.grid);
    m.InitBands(FlatBands());
    m.SetHighPass2(1000, -12, 1, EqFilterType::Linkwitz);
    EXPECT_TRUE(m.HasCurve2());
    EXPECT_EQ(m.HighPass2(), 33);
    EXPECT_LT(m.Curve2()[0], -20);
    EXPECT_EQ(m.Curve1()[0], 0);
}

TEST(EqCurveModel, DamagedInputsDrawFlat) {
    Built b;
    const struct {
        const char* what;
        EqFilterInput band;
    } cases[] = {
        {"Q 0", {EqFilterRole::Band, EqFilterType::Peaking, 1000, 6, 0, 0}},
        {"low shelf without its divisor", {EqFilterRole::HighPass, EqFilterType::Shelf, 1000, 6, 1, 0}},
        {"high shelf without its divisor", {EqFilterRole::LowPass, EqFilterType::Shelf, 1000, 6, 1, 0}},
        {"low shelf with a negative divisor", {EqFilterRole::HighPass, EqFilterType::Shelf, 1000, 6, 1, -2}},
        {"0 Hz", {EqFilterRole::Band, EqFilterType::Peaking, 0, 6, 1, 1}},
    };
    for (const auto& c : cases) {
        EqCurveModel m(b.grid);
        auto bands = FlatBands();
        bands[1] = c.band;
        ASSERT_TRUE(m.InitBands(bands));
        for (double v : m.Curve1()) {
            ASSERT_TRUE(std::isfinite(v)) << c.what;
            ASSERT_NEAR(v, 0, 1e-9) << c.what;
        }
    }
}

TEST(ChannelCurves, FillingRulesFromTheImage) {
    EffectBlock block = DefaultEffectBlock();
    block.SetWord(FindParam(param::BandGain(2, 5))->offset, static_cast<uint16_t>(-250));
    block.SetWord(FindParam(param::BandQ(2, 5))->offset, 600);
    const EqFilterInput band = ChannelCurves::BandInput(block, 2, 5);
    EXPECT_EQ(band.frequency, 63);
    EXPECT_DOUBLE_EQ(band.gain, -2.5);
    EXPECT_DOUBLE_EQ(band.q, 2.0);
    EXPECT_DOUBLE_EQ(band.shelfFactor, 2.0);
    const struct {
        uint8_t typeByte;
        double slope;
        EqFilterType type;
    } cases[] = {
        {0x00, -6, EqFilterType::Butterworth},  {0x01, -12, EqFilterType::Butterworth},
        {0x47, -48, EqFilterType::Bessel},      {0x83, -24, EqFilterType::Linkwitz},
        {0xC2, -18, EqFilterType::Butterworth}, {0x08, 0, EqFilterType::Butterworth},
        {0x09, 0, EqFilterType::Butterworth},   {0x1F, 0, EqFilterType::Butterworth},
    };
    for (const auto& c : cases) {
        block.SetByte(FindParam(param::HighPassType(1))->offset, c.typeByte);
        const auto hp = ChannelCurves::HighPassInput(block, 1);
        EXPECT_EQ(hp.slope, c.slope) << int(c.typeByte);
        EXPECT_EQ(hp.type, c.type) << int(c.typeByte);
    }
}

TEST(ChannelCurves, TheModelKeepsThemInStepWithTheImage) {
    Built b;
    auto owned = std::make_unique<ChannelCurves>(b.grid);
    ChannelCurves* curves = owned.get();
    ParamDatabase db;
    db.SetCurveModels(std::move(owned));
    db.RebuildCurveModels();
    EqCurveModel& m = curves->Model(3);
    ASSERT_TRUE(m.HasRecords());
    EXPECT_EQ(m.Current(), -1);
    EXPECT_DOUBLE_EQ(m.Filter(m.LowPass()).frequency, 20000);
    db.SetHighPassFreq(3, 80);
    EXPECT_DOUBLE_EQ(m.Filter(m.HighPass()).frequency, 80);
    EXPECT_EQ(m.Current(), m.HighPass()) << "the edited filter is the highlighted one";
    db.SetLowPassSlope(3, 3);
    EXPECT_DOUBLE_EQ(m.Filter(m.LowPass()).gain, -24);
    db.SetBandGain(3, 10, 600);
    db.ResetChannel(3);
    EXPECT_DOUBLE_EQ(m.Filter(m.HighPass()).frequency, 0);
    EXPECT_EQ(m.Filter(10).gain, 0);
}

}  // namespace
}  // namespace caraudio
