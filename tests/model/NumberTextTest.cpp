#include <gtest/gtest.h>

#include "NumberText.h"

namespace caraudio {
namespace {

TEST(NumberText, ReadsTheLeadingNumberOnly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5},
        {"  12.5Hz ", 12.5},
        {"\t\r\n-3.9dB\n", -3.9},
        {"+7", 7},
        {".5", 0.5},
        {"5.", 5},
        {"1e3x", 1000},
        {"2.5E-1", 0.25},
        {"5e", 5},
        {"5e+", 5},
        {"-", 0},
        {"", 0},
        {"abc", 0},
        {"OFF", 0},
        {"Hz20", 0},
        {"1 2", 1},
        {"0x10", 0},
        {"inf", 0},
        {"nan", 0},
        {"- 5", 0},
        {"1e-999", 0},
        {"-1e999", -1e15},
        {"1e999", 1e15},
        {"1,5", 1},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadLeadingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberText, FormatsWithoutLocaleAndRoundsLikePrintf) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {20.0, 1, "20.0"}, {-0.04, 1, "-0.0"}, {1.0, 3, "1.000"},  {0.4, 2, "0.40"},
        {12.3, 1, "12.3"}, {0.125, 2, "0.12"}, {2.675, 2, "2.67"}, {692.0, 2, "692.00"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
}

TEST(NumberText, TruncatesTowardZeroAndNeverOverflows) {
    EXPECT_EQ(TruncToInt(-3.9), -3);
    EXPECT_EQ(TruncToInt(3.9), 3);
    EXPECT_EQ(TruncToInt(1e30), 0);
    EXPECT_EQ(TruncToInt(-1e30), 0);
}

}  // namespace
}  // namespace caraudio
