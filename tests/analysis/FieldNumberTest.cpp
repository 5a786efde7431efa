#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

#include "FieldNumber.h"

namespace caraudio::analysis {
namespace {

// The standard library's correctly rounded reading, the reference.
double Reference(const std::string& text) {
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(FieldNumber, ReadsEveryDecimalAsTheStandardLibraryDoes) {
    const char* tricky[] = {"0",
                            "-0",
                            "0.1",
                            "20.146",
                            "-12.3",
                            "68.42",
                            "1.",
                            ".5",
                            "9007199254740993",
                            "123456789012345",
                            "1234567890123456",
                            "1e22",
                            "1e23",
                            "1.7976931348623157e308",
                            "4.9e-324",
                            "2.2250738585072014e-308",
                            "0.000000000000000000001",
                            "1E-5",
                            "3e+2",
                            "1e-22",
                            "999999999999999e-22",
                            "24000.000000",
                            "0.30000000000000004"};
    for (const char* t : tricky) {
        const FieldNumber n = ReadFieldNumber(t);
        ASSERT_TRUE(n.value.has_value()) << t;
        EXPECT_TRUE(SameBits(*n.value, Reference(t))) << t;
    }
    // Numbers as files write them: up to 17 digits, a point anywhere, an
    // exponent now and then.
    std::mt19937 random(12345);
    for (int k = 0; k < 20000; ++k) {
        std::string t = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 17);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) t += '.';
            t += static_cast<char>('0' + random() % 10);
        }
        if (random() % 5 == 0) t += "e" + std::to_string(static_cast<int>(random() % 60) - 30);
        const FieldNumber n = ReadFieldNumber(t);
        ASSERT_TRUE(n.value.has_value()) << t;
        ASSERT_TRUE(SameBits(*n.value, Reference(t))) << t;
    }
}

TEST(FieldNumber, DecimalCommasTextAndNonFiniteValues) {
    const struct {
        const char* text;
        bool decimalComma;
        bool read;
        double value;
        bool notFinite;
    } cases[] = {
        {"68,42", true, true, 68.42, false}, {"68,42", false, false, 0, false},
        {"+1,5", true, true, 1.5, false},    {"1,000,5", true, false, 0, false},
        {"1.000,5", true, false, 0, false},  {",5", true, true, 0.5, false},
        {"+5", false, true, 5, false},       {"+-5", false, false, 0, false},
        {"", false, false, 0, false},        {"+", false, false, 0, false},
        {"5 ", false, false, 0, false},      {"0x10", false, false, 0, false},
        {"1e", false, false, 0, false},      {"1e-999", false, true, 0, false},
        {"nan", false, false, 0, true},      {"-inf", false, false, 0, true},
        {"infinity", false, false, 0, true}, {"1e999", false, false, 0, true},
        {"-1E+400", false, false, 0, true},  {"5dB", false, false, 0, false},
    };
    for (const auto& c : cases) {
        const FieldNumber n = ReadFieldNumber(c.text, c.decimalComma);
        EXPECT_EQ(n.value.has_value(), c.read) << c.text;
        if (c.read) {
            EXPECT_DOUBLE_EQ(*n.value, c.value) << c.text;
        }
        EXPECT_EQ(n.notFinite, c.notFinite) << c.text;
    }
    EXPECT_FALSE(ReadFieldNumber(std::string(65, '1')).value) << "longer than any number in a file";
}

}  // namespace
}  // namespace caraudio::analysis
