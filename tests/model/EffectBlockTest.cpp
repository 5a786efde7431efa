#include <gtest/gtest.h>

#include "EffectBlock.h"

namespace caraudio {
namespace {

TEST(EffectBlock, WordsAreLittleEndianAtOddOffsets) {
    EffectBlock b;
    b.SetWord(11, 0x1234);  // odd offset
    EXPECT_EQ(b.Byte(11), 0x34);
    EXPECT_EQ(b.Byte(12), 0x12);
    EXPECT_EQ(b.Word(11), 0x1234);
    b.SetWord(1228, 0xBEEF);  // last two bytes
    EXPECT_EQ(b.Byte(1229), 0xBE);
}

TEST(EffectBlock, OneByteParametersKeepTheLowByteOnly) {
    EffectBlock b;
    const ParamRecord& vol = *FindParam(param::Volume(0));
    const ParamRecord& next = *FindParam(param::Volume(1));
    b.Set(next, 7);
    b.Set(vol, 0x1FF);
    EXPECT_EQ(b.Get(vol), 0xFF);
    EXPECT_EQ(b.Get(next), 7) << "neighbour must not be touched";
}

TEST(EffectBlock, DefaultImageHoldsTheFactoryValues) {
    const EffectBlock& d = DefaultEffectBlock();
    auto get = [&](int index) { return d.Get(*FindParam(index)); };
    const uint16_t bandFreq[31] = {20,   25,   32,   40,   50,   63,    80,    100,   125,  160,  200,
                                   250,  315,  400,  500,  630,  800,   1000,  1250,  1600, 2000, 2500,
                                   3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
    for (int ctrl : {param::MuteCtrl, param::PassCtrl, param::PhaseCtrl, param::ResetCtrl, param::NoiseGate})
        EXPECT_EQ(get(ctrl), 0);
    EXPECT_EQ(get(param::MainVol), 66);
    for (int n = 0; n < 6; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(get(param::Volume(n)), 66);
        EXPECT_EQ(get(param::Delay(n)), 0);
        EXPECT_EQ(get(param::HighPassType(n)), 1);
        EXPECT_EQ(get(param::HighPassFreq(n)), 0);
        EXPECT_EQ(get(param::LowPassType(n)), 1);
        EXPECT_EQ(get(param::LowPassFreq(n)), 20000);
        for (int b = 0; b < 31; ++b) {
            EXPECT_EQ(get(param::BandFreq(n, b)), bandFreq[b]);
            EXPECT_EQ(get(param::BandQ(n, b)), 760);
            EXPECT_EQ(get(param::BandGain(n, b)), 0);
        }
        EXPECT_EQ(get(param::Threshold(n)), 600);
        EXPECT_EQ(get(param::Attack(n)), 2000);
        EXPECT_EQ(get(param::Release(n)), 0);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(get(param::Input(n, k)), 100);
    }
}

}  // namespace
}  // namespace caraudio
