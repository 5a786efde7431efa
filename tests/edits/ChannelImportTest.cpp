#include <gtest/gtest.h>

#include "ChannelImport.h"
#include "FilterSet.h"
#include "ModelTestSupport.h"
#include "ValueScales.h"

namespace caraudio::test {
namespace {

using analysis::FilterImportPlan;
using analysis::ImportOutcome;

int16_t Gain(const EffectBlock& image, int ch, int band) {
    return static_cast<int16_t>(image.Get(*FindParam(param::BandGain(ch, band))));
}

// Two peaking filters and a high-pass, read as an installer's file would give them.
FilterImportPlan PlanFor(const EffectBlock& image, int ch, analysis::ImportOptions options = {}) {
    const analysis::FilterSet set = analysis::ReadFilterSet(
        "Filter 1: ON PK Fc 1000 Hz Gain -4.5 dB Q 2.000\n"
        "Filter 2: ON PK Fc 63 Hz Gain 3.0 dB Q 1.000\n"
        "Filter 3: ON HP Fc 80 Hz\n");
    EXPECT_TRUE(set.Ok());
    return analysis::PlanFilterImport(set.filters, image, ch, GainLimits{}, options);
}

class ChannelImport : public ConnectedModel {};

TEST_F(ChannelImport, ReachesTheLinkGroupAndTheBoxAndEndsABypass) {
    db.LinkChannel(2, 2);
    db.LinkChannel(3, 2);
    db.SetBandGain(2, 10, 600);
    db.SetBypass(2, true);
    db.Throttle().Flush();

    ASSERT_TRUE(edits::ApplyFilterImport(db, 2, PlanFor(db.Block(), 2), 0));
    db.Throttle().Flush();

    for (int ch : {2, 3}) {
        // Bands in ascending frequency: 63 Hz first.
        EXPECT_EQ(db.GetParam(param::BandFreq(ch, 0)), 63) << ch;
        EXPECT_EQ(db.GetParam(param::BandQ(ch, 0)), 300) << ch;
        EXPECT_EQ(Gain(db.Block(), ch, 0), 300) << ch;
        EXPECT_EQ(db.GetParam(param::BandFreq(ch, 1)), 1000) << ch;
        EXPECT_EQ(db.GetParam(param::BandQ(ch, 1)), 600) << ch;
        EXPECT_EQ(Gain(db.Block(), ch, 1), -450) << ch;
        EXPECT_EQ(Gain(db.Block(), ch, 10), 0) << "a band the file does not use is flat";
        EXPECT_EQ(db.GetParam(param::HighPassFreq(ch)), 80) << ch;
    }
    EXPECT_EQ(db.GetParam(param::PassCtrl) & (1 << 2), 0) << "the import ends the bypass";
    EXPECT_EQ(box.image, db.Block()) << "the box plays what the PC shows";
    EXPECT_EQ(Gain(db.Block(), 4, 0), Gain(DefaultEffectBlock(), 4, 0)) << "an unlinked channel is untouched";
}

TEST_F(ChannelImport, ARefusedPlanChangesNothing) {
    FilterImportPlan plan = PlanFor(db.Block(), 2);
    plan.outcome = ImportOutcome::TooManyPeaking;
    const EffectBlock before = db.Block();
    EXPECT_FALSE(edits::ApplyFilterImport(db, 2, plan, 0));
    EXPECT_EQ(db.Block(), before);
    EXPECT_TRUE(box.sent.empty());
}

TEST_F(ChannelImport, ThePreampLevelIsAppliedAfterTheCompensation) {
    db.SetChannelVolume(2, 60);  // 0 dB
    // The preamp wins over the compensation's own lowering: -3.5 dB asks for
    // 4 dB down from 0 dB, whatever the boost did.
    ASSERT_TRUE(edits::ApplyFilterImport(db, 2, PlanFor(db.Block(), 2, {true, -3.5}), 1.0));
    EXPECT_EQ(db.GetParam(param::Volume(2)), 56);
    EXPECT_EQ(db.VolumeMemo(2), -1);
}

}  // namespace
}  // namespace caraudio::test
