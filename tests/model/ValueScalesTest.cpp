#include <gtest/gtest.h>

#include "ValueScales.h"

namespace caraudio {
namespace {

struct ParseCase {
    const char* text;
    int raw;
    const char* shown;
};

struct StepCase {
    const char* text;
    int delta;
    int raw;
    const char* shown;
};

template <typename Fn>
void CheckParse(Fn parse, std::initializer_list<ParseCase> cases) {
    for (const auto& c : cases) {
        const ParsedValue p = parse(c.text);
        EXPECT_EQ(p.raw, c.raw) << '"' << c.text << '"';
        EXPECT_EQ(p.text, c.shown) << '"' << c.text << '"';
    }
}

template <typename Fn>
void CheckStep(Fn step, std::initializer_list<StepCase> cases) {
    for (const auto& c : cases) {
        const ParsedValue p = step(c.text, c.delta);
        EXPECT_EQ(p.raw, c.raw) << '"' << c.text << "\" " << c.delta;
        EXPECT_EQ(p.text, c.shown) << '"' << c.text << "\" " << c.delta;
    }
}

TEST(ValueScales, ChannelLabels) {
    const char* labels[] = {"CH5", "CH6", "CH1", "CH2", "CH3", "CH4"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ChannelLabel(i), labels[i]);
    EXPECT_EQ(ChannelNumber(0), 5);
    EXPECT_EQ(ChannelNumber(2), 1);
    const int blocks[] = {2, 3, 4, 5, 0, 1};  // of CH1..CH6
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(BlockOfChannel(n), blocks[n - 1]) << "CH" << n;
}

TEST(ValueScales, Volume) {
    CheckParse(ParseVolume, {{"off", 0, "OFF"},
                             {"Off", 0, "OFF"},
                             {" OFF ", 0, "OFF"},
                             {"-60", 0, "OFF"},
                             {"-75", 0, "OFF"},
                             {"7", 66, "6dB"},
                             {"-3.9", 57, "-3dB"},
                             {"0dB", 60, "0dB"},
                             {"loud", 60, "0dB"}});
    CheckStep(StepVolume, {{"OFF", 1, 1, "-59dB"},
                           {"OFF", -1, 0, "OFF"},
                           {"6dB", 1, 66, "6dB"},
                           {"-59dB", -1, 0, "OFF"},
                           {"-3.9", 0, 57, "-3dB"}});
    EXPECT_EQ(FormatVolume(0), "OFF");
    EXPECT_EQ(FormatVolume(66), "6dB");
    EXPECT_EQ(FormatVolume(1), "-59dB");
    EXPECT_EQ(FormatVolume(80), "20dB") << "a box value above the slider range is shown, not changed";
}

TEST(ValueScales, HighPassFrequency) {
    CheckParse(ParseHighPassFreq, {{"15", 0, "OFF"},
                                   {"19.9", 0, "OFF"},
                                   {"20", 20, "20Hz"},
                                   {"80.7Hz", 80, "80Hz"},
                                   {"25000", 20000, "20000Hz"},
                                   {"OFF", 0, "OFF"}});
    CheckStep(StepHighPassFreq, {{"OFF", 1, 20, "20Hz"},
                                 {"off", 1, 20, "20Hz"},
                                 {"20Hz", -1, 0, "OFF"},
                                 {"OFF", -1, 0, "OFF"},
                                 {"20000Hz", 1, 20000, "20000Hz"},
                                 {"99Hz", 1, 100, "100Hz"}});
    EXPECT_EQ(FormatHighPassFreq(19), "OFF");
    EXPECT_EQ(FormatHighPassFreq(0), "OFF");
    EXPECT_EQ(FormatHighPassFreq(20), "20Hz");
}

TEST(ValueScales, LowPassFrequency) {
    CheckParse(ParseLowPassFreq,
               {{"25000", 20000, "20000Hz"}, {"no number", 20, "20Hz"}, {"150.9", 150, "150Hz"}});
    CheckStep(StepLowPassFreq,
              {{"20Hz", -1, 20, "20Hz"}, {"20000Hz", 1, 20000, "20000Hz"}, {"100Hz", 1, 101, "101Hz"}});
    EXPECT_EQ(FormatLowPassFreq(10), "10Hz");
}

TEST(ValueScales, BandFrequency) {
    CheckParse(ParseBandFreq, {{"1000.9", 1000, "1000"}, {"5", 20, "20"}, {"30000", 20000, "20000"}});
    CheckStep(StepBandFreq, {{"20.5", 1, 21, "21"}, {"20", -1, 20, "20"}, {"19999.5", 1, 20000, "20000"}});
}

TEST(ValueScales, QTypedValuesKeepTheirPrecision) {
    CheckParse(ParseQ, {{"0.1", 40, "0.40"},
                        {"9.999", 999, "9.99"},
                        {"12.34", 1230, "12.3"},
                        {"150", 12800, "128"},
                        {"128", 12800, "128"},
                        {"7.6", 760, "7.60"},
                        {"123.9", 12300, "123"},
                        {"", 40, "0.40"}});
}

TEST(ValueScales, QFormatBands) {
    const struct {
        int raw;
        const char* text;
    } cases[] = {{40, "0.40"},    {999, "9.99"},  {1000, "10.0"},
                 {9999, "100.0"}, {10000, "100"}, {12850, "128"}};
    for (const auto& c : cases) EXPECT_EQ(FormatQ(c.raw), c.text) << c.raw;
}

TEST(ValueScales, QSteppingFollowsTheTable) {
    CheckStep(StepQ, {{"12.3", 1, 1270, "12.7"},
                      {"12.3", -1, 1130, "11.3"},
                      {"12.3", 0, 1200, "12.0"},
                      {"0.40", -1, 40, "0.40"},
                      {"128", 1, 12800, "128"},
                      {"500", 1, 12800, "128"},
                      {"0.01", 1, 42, "0.42"}});
}

TEST(ValueScales, NearestQIndex) {
    const struct {
        int raw;
        int index;
    } cases[] = {
        {1230, 59}, {1200, 59},   {1270, 60},   {40, 0},   {10, 0},    {41, 0} /* tie goes low */,
        {43, 1},    {200, 28},    {205, 28},    {206, 29}, {1350, 61}, {1375, 61},
        {1376, 62}, {12800, 100}, {20000, 100}, {210, 29}, {760, 51},
    };
    for (const auto& c : cases) EXPECT_EQ(NearestQIndex(c.raw), c.index) << c.raw;
}

TEST(ValueScales, GainWithDefaultLimits) {
    CheckParse([](std::string_view t) { return ParseGain(t); },
               {{"30", 2000, "20.0"}, {"-30", -2000, "-20.0"}, {"1.239", 123, "1.2"}, {"-0.04", -4, "-0.0"}});
    CheckStep([](std::string_view t, int d) { return StepGain(t, d); }, {{"-20.0", -1, -2000, "-20.0"},
                                                                         {"0.0", 1, 10, "0.1"},
                                                                         {"19.95", 1, 2000, "20.0"},
                                                                         {"1.2", -1, 110, "1.1"}});
    EXPECT_EQ(GainSliderRange().min, -200);
    EXPECT_EQ(GainSliderRange().max, 200);
    EXPECT_EQ(GainToSliderPos(-1239), -123);
    EXPECT_EQ(SliderPosToGain(-123), -1230);
}

TEST(ValueScales, GainLimitsComeFromTheTuningFile) {
    const GainLimits twelve{-12, 12};
    EXPECT_EQ(ParseGain("15", twelve).raw, 1200);
    EXPECT_EQ(ParseGain("-15", twelve).raw, -1200);
    EXPECT_EQ(StepGain("12", 1, twelve).raw, 1200);
    EXPECT_EQ(GainSliderRange(twelve).min, -120);
    EXPECT_EQ(GainSliderRange(twelve).max, 120);
    const EqCurveScale s = CurveScaleFor(twelve);
    EXPECT_EQ(s.dbMax, 12);
    EXPECT_EQ(s.dbMin, -12);
    EXPECT_EQ(s.dbKeduVal, 6);
    EXPECT_EQ(CurveScaleFor({-20, 15}).dbKeduVal, 7);
    // Limits the wrong way round must not crash; the lower one wins.
    EXPECT_EQ(ParseGain("5", {10, -10}).raw, 1000);
}

TEST(ValueScales, Threshold) {
    CheckParse(ParseThreshold, {{"-30.07", -3000, "-30.0dBu"},
                                {"7", 600, "6.0dBu"},
                                {"-12.34dBu", -1230, "-12.3dBu"},
                                {"0", 0, "0.0dBu"}});
    // Steps move one tenth in either direction, toward zero too.
    CheckStep(StepThreshold, {{"-12.3dBu", 1, -1220, "-12.2dBu"},
                              {"-12.3dBu", -1, -1240, "-12.4dBu"},
                              {"1.3dBu", -1, 120, "1.2dBu"},
                              {"1.3dBu", 1, 140, "1.4dBu"},
                              {"6.0dBu", 1, 600, "6.0dBu"},
                              {"-30.0dBu", -1, -3000, "-30.0dBu"},
                              {"0.0dBu", -1, -10, "-0.1dBu"},
                              {"0.05dBu", -1, -10, "-0.1dBu"}});
    EXPECT_EQ(FormatThreshold(600), "6.0dBu");
    EXPECT_EQ(FormatThreshold(-1230), "-12.3dBu");
}

TEST(ValueScales, Attack) {
    CheckParse(ParseAttack, {{"0.25", 30, "0.3ms"},
                             {"0.55", 50, "0.5ms"},
                             {"2.7", 200, "2ms"},
                             {"250", 10000, "100ms"},
                             {"100", 10000, "100ms"},
                             {"0.99", 90, "0.9ms"},
                             {"", 30, "0.3ms"}});
    CheckStep(StepAttack, {{"0.5ms", 1, 60, "0.6ms"},
                           {"0.5ms", -1, 40, "0.4ms"},
                           {"0.3ms", -1, 30, "0.3ms"},
                           {"0.9ms", 1, 100, "1ms"},
                           {"1ms", -1, 30, "0.3ms"},
                           {"2ms", 1, 300, "3ms"},
                           {"2.7ms", 1, 300, "3ms"},
                           {"100ms", 1, 10000, "100ms"}});
    EXPECT_EQ(FormatAttack(200), "2ms");
    EXPECT_EQ(FormatAttack(30), "0.3ms");
    EXPECT_EQ(FormatAttack(99), "1.0ms");
    EXPECT_EQ(FormatAttack(150), "1ms");
}

TEST(ValueScales, DelayUnits) {
    CheckParse([](std::string_view t) { return ParseDelay(t, kDelayCm); },
               {{"34.6", 48, "34.60"}, {"-5", 0, "0.00"}, {"1000", 960, "692.00"}});
    CheckParse([](std::string_view t) { return ParseDelay(t, kDelayMs); },
               {{"1", 48, "1.000"}, {"25", 960, "20.000"}, {"0.5ms", 24, "0.500"}});
    CheckParse([](std::string_view t) { return ParseDelay(t, kDelayInch); },
               {{"13.622", 48, "13.62"}, {"300", 960, "272.44"}});
    EXPECT_EQ(FormatDelay(48, kDelayMs), "1.000");
    EXPECT_EQ(FormatDelay(48, kDelayCm), "34.60");
    EXPECT_EQ(FormatDelay(48, kDelayInch), "13.62");
    EXPECT_EQ(StepDelay("1.000", 1, kDelayMs).text, "1.021");
    EXPECT_EQ(StepDelay("0.00", -1, kDelayCm).raw, 0);
    EXPECT_EQ(StepDelay("692.00", 1, kDelayCm).text, "692.00");
    EXPECT_EQ(DelayUnitLabel(kDelayMs), "MS");
    EXPECT_EQ(DelayUnitLabel(kDelayCm), "CM");
    EXPECT_EQ(DelayUnitLabel(kDelayInch), "IN");
}

TEST(ValueScales, CrossoverByteFields) {
    EXPECT_EQ(CrossoverTypeField(0x83), 2);
    EXPECT_EQ(CrossoverSlopeField(0x83), 3);
    EXPECT_EQ(WithCrossoverType(0x83, 1), 0x43);
    EXPECT_EQ(WithCrossoverSlope(0x83, 8), 0x88);
    EXPECT_EQ(WithCrossoverSlope(0xBF, 2), 0x82) << "bit 5 is not part of either field";
    EXPECT_EQ(CrossoverTypeLabel(2), "Linkwitz");
    EXPECT_EQ(SlopeLabel(0), "6dB/Oct");
    EXPECT_EQ(SlopeLabel(8), "OFF");
    EXPECT_EQ(SlopeLabel(9), "");
    const int slopes[] = {-6, -12, -18, -24, -30, -36, -42, -48, 0, 0, 0};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(SlopeDbPerOctave(k), slopes[k]) << k;
    EXPECT_EQ(SlopeDbPerOctave(31), 0);
}

TEST(ValueScales, Lists) {
    EXPECT_EQ(ReleaseLabel(0), "Atk*2");
    EXPECT_EQ(ReleaseLabel(5), "Atk*32");
    EXPECT_EQ(ReleaseLabel(6), "");
    EXPECT_EQ(NoiseGateLabel(20), "20");
    EXPECT_EQ(NoiseGateLabel(21), "");
}

}  // namespace
}  // namespace caraudio
