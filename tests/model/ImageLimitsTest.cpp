#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "ImageLimits.h"
#include "ParamDatabase.h"

namespace caraudio {
namespace {

// What each kind of parameter may hold, written from what its controls
// offer (levels -60..+6 dB as dB + 60, delays up to 20 ms in 1/48 ms, ...),
// by parameter name, apart from the code under test.
struct Rule {
    std::regex name;
    std::function<bool(uint16_t, GainLimits)> allows;
};

bool In(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {std::regex("(Mute|Pass|Phase|Reset)Ctrl"), [](uint16_t v, GainLimits) { return v <= 0x3F; }},
        {std::regex("MainVol|Volume_[0-5]"), [](uint16_t v, GainLimits) { return v <= 66; }},
        {std::regex("Delay_[0-5]"), [](uint16_t v, GainLimits) { return v <= 20 * 48; }},
        {std::regex("Box[0-5]_[HL]Fliter_Type_Xoct"),
         [](uint16_t v, GainLimits) { return v <= 0xFF && (v >> 6) <= 2 && !(v & 0x20) && (v & 0x1F) <= 8; }},
        {std::regex("Box[0-5]_HFliter_Freq"),
         [](uint16_t v, GainLimits) { return v == 0 || In(v, 20, 20000); }},
        {std::regex("Box[0-5]_LFliter_Freq|Box[0-5]_EQ[0-9]+_Freq"),
         [](uint16_t v, GainLimits) { return In(v, 20, 20000); }},
        {std::regex("Box[0-5]_EQ[0-9]+_Q"), [](uint16_t v, GainLimits) { return In(v, 40, 12800); }},
        {std::regex("Box[0-5]_EQ[0-9]+_Gain"),
         [](uint16_t v, GainLimits g) {
             return In(static_cast<int16_t>(v), std::min(g.minvol, g.maxvol) * 100,
                       std::max(g.minvol, g.maxvol) * 100);
         }},
        {std::regex("Box[0-5]_Param_Threshold"),
         [](uint16_t v, GainLimits) { return In(static_cast<int16_t>(v), -3000, 600); }},
        {std::regex("Box[0-5]_Param_Attack"), [](uint16_t v, GainLimits) { return In(v, 30, 10000); }},
        {std::regex("Box[0-5]_Param_Release"), [](uint16_t v, GainLimits) { return v <= 5; }},
        {std::regex("NoiseGate"), [](uint16_t v, GainLimits) { return v <= 20; }},
        {std::regex("Box[0-5]_Input[0-3]"), [](uint16_t v, GainLimits) { return v <= 100; }},
    };
    return rules;
}

std::vector<std::string> ExpectedOutside(const EffectBlock& image, GainLimits gains) {
    std::vector<std::string> names;
    for (const ParamRecord& r : Parameters()) {
        const std::string name(r.Name());
        int matched = 0;
        bool allowed = false;
        for (const Rule& rule : Rules())
            if (std::regex_match(name, rule.name)) ++matched, allowed = rule.allows(image.Get(r), gains);
        EXPECT_EQ(matched, 1) << name;
        if (!allowed) names.push_back(name);
    }
    return names;
}

std::vector<std::string> Names(const std::vector<OutOfLimit>& list) {
    std::vector<std::string> names;
    for (const OutOfLimit& p : list) names.emplace_back(p.param->Name());
    return names;
}

EffectBlock With(EffectBlock image, int index, int value) {
    image.Set(*FindParam(index), static_cast<uint16_t>(value));
    return image;
}

TEST(ImageLimits, TheFactoryImageIsWithinEveryLimit) {
    EXPECT_TRUE(OutOfLimitParams(DefaultEffectBlock(), {}).empty());
    EXPECT_TRUE(OutOfLimitParams(DefaultEffectBlock(), {-6, 3}).empty());
}

// Each kind at its two ends and one step beyond them, the lines naming the
// parameter, its value and what it may hold.
TEST(ImageLimits, EachKindJustInsideAndJustOutside) {
    const struct {
        int index;
        std::vector<int> inside;
        std::vector<int> outside;
        const char* allowed;
        GainLimits gains = {};
    } cases[] = {
        {param::MuteCtrl, {0, 0x3F}, {0x40, 0xFF}, "0..63"},
        {param::ResetCtrl, {0, 0x3F}, {0x40}, "0..63"},
        {param::MainVol, {0, 66}, {67, 153}, "0..66"},
        {param::Volume(5), {0, 66}, {67}, "0..66"},
        {param::Delay(0), {0, 960}, {961, 11612, 0xFFFF}, "0..960"},
        {param::HighPassType(2),
         {0x00, 0x08, 0x80, 0x88, 0x41},
         {0x09, 0xC0, 0x20, 0x1F},
         "type 0..2, slope 0..8"},
        {param::LowPassType(5), {0x88}, {0xC8}, "type 0..2, slope 0..8"},
        {param::HighPassFreq(1), {0, 20, 20000}, {1, 19, 20001}, "0 or 20..20000"},
        {param::LowPassFreq(3), {20, 20000}, {0, 19, 20001}, "20..20000"},
        {param::BandFreq(4, 30), {20, 20000}, {19, 20001}, "20..20000"},
        {param::BandQ(0, 0), {40, 12800}, {39, 12801}, "40..12800"},
        {param::BandGain(0, 3), {-2000, 2000}, {-2001, 2001, 23472}, "-2000..2000"},
        {param::BandGain(5, 30), {-1200, 600}, {-1201, 601}, "-1200..600", {-12, 6}},
        {param::BandGain(2, 7), {-1000, 1000}, {-1001, 1001}, "-1000..1000", {10, -10}},
        {param::Threshold(1), {-3000, 600}, {-3001, 601}, "-3000..600"},
        {param::Attack(4), {30, 10000}, {29, 10001, -1}, "30..10000"},
        {param::Release(0), {0, 5}, {6}, "0..5"},
        {param::NoiseGate, {0, 20}, {21}, "0..20"},
        {param::Input(5, 3), {0, 100}, {101}, "0..100"},
    };
    for (const auto& c : cases) {
        const std::string name(FindParam(c.index)->Name());
        for (int v : c.inside)
            EXPECT_TRUE(OutOfLimitParams(With(DefaultEffectBlock(), c.index, v), c.gains).empty())
                << name << " = " << v;
        for (int v : c.outside) {
            const std::vector<OutOfLimit> list =
                OutOfLimitParams(With(DefaultEffectBlock(), c.index, v), c.gains);
            ASSERT_EQ(Names(list), std::vector<std::string>{name}) << v;
            const int shown = FindParam(c.index)->size == 1 ? (v & 0xFF) : v;
            EXPECT_EQ(OutOfLimitLine(list[0]), name + " = " + std::to_string(shown) + " (" + c.allowed + ")");
        }
    }
}

TEST(ImageLimits, RandomImagesListExactlyWhatIsOutside) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255), param(0, kParamCount - 1), word(0, 0xFFFF);
    const GainLimits gainChoices[] = {{}, {-12, 6}, {-3, 3}};
    for (int round = 0; round < 300; ++round) {
        EffectBlock image = DefaultEffectBlock();
        if (round % 2 == 0) {
            for (int i = 0; i < kEffectBlockSize; ++i) image.SetByte(i, static_cast<uint8_t>(byte(random)));
        } else {
            // Mostly sound: a few values anywhere in their field.
            for (int k = 0; k < 4; ++k)
                image.Set(*FindParam(param(random)), static_cast<uint16_t>(word(random)));
        }
        const GainLimits gains = gainChoices[round % 3];
        const std::vector<OutOfLimit> list = OutOfLimitParams(image, gains);
        EXPECT_EQ(Names(list), ExpectedOutside(image, gains)) << "round " << round;
        for (const OutOfLimit& p : list) {
            const uint16_t stored = image.Get(*p.param);
            EXPECT_TRUE(p.value == stored || p.value == static_cast<int16_t>(stored)) << p.param->Name();
        }
    }
    // Random bytes hold something outside nearly everywhere.
    EffectBlock noise;
    for (int i = 0; i < kEffectBlockSize; ++i) noise.SetByte(i, static_cast<uint8_t>(byte(random)));
    EXPECT_GT(OutOfLimitParams(noise, {}).size(), 300u);
}

// Whatever the controls can set, through the model's own setters with the
// values the parse and step rules give for the farthest typed values.
TEST(ImageLimits, EveryImageTheControlsMakeIsWithinTheLimits) {
    const GainLimits gainChoices[] = {{}, {-12, 6}, {-327, 327}, {10, -10}};
    const char* far[] = {"-1e9", "-99999", "-1", "0", "0.1", "OFF", "1e9", "99999", "abc"};
    for (const GainLimits gains : gainChoices) {
        for (const char* text : far) {
            for (int delta : {0, -1, 1, -1000, 1000}) {
                SCOPED_TRACE(std::string(text) + " step " + std::to_string(delta));
                ParamDatabase db;
                auto pick = [&](auto parse, auto step) {
                    return (delta == 0 ? parse(text) : step(text, delta)).raw;
                };
                auto u = [](int raw) { return static_cast<uint16_t>(raw); };
                db.SetMainVolume(u(pick(ParseVolume, StepVolume)));
                for (int ch = 0; ch < kChannelCount; ++ch) {
                    db.SetChannelVolume(ch, u(pick(ParseVolume, StepVolume)));
                    const int unit = ch % kDelayUnitCount;
                    db.SetParam(param::Delay(ch),
                                u((delta == 0 ? ParseDelay(text, unit) : StepDelay(text, delta, unit)).raw));
                    db.SetHighPassFreq(ch, u(pick(ParseHighPassFreq, StepHighPassFreq)));
                    db.SetLowPassFreq(ch, u(pick(ParseLowPassFreq, StepLowPassFreq)));
                    for (int b = 0; b < kBandCount; ++b) {
                        db.SetBandFreq(ch, b, u(pick(ParseBandFreq, StepBandFreq)));
                        db.SetBandQ(ch, b, u(pick(ParseQ, StepQ)));
                        db.SetBandGain(
                            ch, b,
                            u(delta == 0 ? ParseGain(text, gains).raw : StepGain(text, delta, gains).raw));
                    }
                    db.SetThreshold(ch, u(pick(ParseThreshold, StepThreshold)));
                    db.SetAttack(ch, u(pick(ParseAttack, StepAttack)));
                }
                EXPECT_EQ(Names(OutOfLimitParams(db.Block(), gains)), std::vector<std::string>{});
            }
        }
    }
    // Every entry of the lists, the switches and the mixer's levels at their ends.
    ParamDatabase db;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        for (int type = 0; type < kCrossoverTypeCount; ++type)
            for (int slope = 0; slope < kSlopeCount; ++slope) {
                db.SetHighPassType(ch, type);
                db.SetHighPassSlope(ch, slope);
                db.SetLowPassSlope(ch, slope);
                db.SetLowPassType(ch, type);
                EXPECT_TRUE(OutOfLimitParams(db.Block(), {}).empty()) << type << " " << slope;
            }
        for (int r = 0; r < kReleaseCount; ++r) db.SetRelease(ch, static_cast<uint16_t>(r));
        db.SetMute(ch, true);
        db.SetPhase(ch, true);
        db.SetBypass(ch, true);
        for (int k = 0; k < kInputCount; ++k) db.SetParam(param::Input(ch, k), kInputLevelRaw.hi);
        db.SetDelayMs(ch, kMaxDelayMs);
    }
    db.SetParam(param::NoiseGate, kNoiseGateCount - 1);
    EXPECT_EQ(Names(OutOfLimitParams(db.Block(), {})), std::vector<std::string>{});
}

}  // namespace
}  // namespace caraudio
