// A session folder's index read back as written, and what a hand-edited
// or foreign one gives.
#include <gtest/gtest.h>

#include "MeasurementIndex.h"

namespace caraudio::measure {
namespace {

TEST(MeasurementIndex, ReadsBackWhatItWrote) {
    MeasurementIndex index;
    index.when = "2026-12-11 17:20";
    index.timing = "acoustic, CH1";
    index.levelDbfs = -14.5, index.repeats = 4, index.calibration = "/home/me/mic 0 deg.txt";
    index.channels = {{"CH1", "CH1.wav", "CH1.txt", 61.25, -9.5, -0.03, 50.1},
                      {"CH5", "CH5.wav", "CH5.txt", 48, -7, 2.625, 49.9}};
    const std::optional<MeasurementIndex> back = ReadMeasurementIndex(MeasurementIndexText(index));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->when, index.when);
    EXPECT_EQ(back->timing, index.timing);
    EXPECT_EQ(back->calibration, index.calibration);
    EXPECT_DOUBLE_EQ(back->levelDbfs, -14.5);
    EXPECT_EQ(back->repeats, 4);
    ASSERT_EQ(back->channels.size(), 2u);
    EXPECT_EQ(back->channels[1].label, "CH5");
    EXPECT_EQ(back->channels[1].impulseFile, "CH5.wav");
    EXPECT_NEAR(back->channels[1].arrivalMs, 2.625, 1e-9);
    EXPECT_NEAR(back->channels[0].driftPpm, 50.1, 1e-9);
}

TEST(MeasurementIndex, ForeignOrDamagedTextGivesWhatItCan) {
    const struct {
        const char* text;
        bool index;
        size_t channels;
        double firstSnr;
    } cases[] = {
        {"", false, 0, 0},
        {"[Other]\nChannels=CH1\n", false, 0, 0},
        {"[Measurement]\nChannels=\n", true, 0, 0},
        {"[Measurement]\nChannels=CH2,,CH3\n[CH2]\nSnrDb=abc\n[CH3]\nSnrDb=40\n", true, 2, 0},
        {"[measurement]\r\nchannels=CH4\r\n[ch4]\r\nsnrdb=55.5\r\n", true, 1, 55.5},
    };
    for (const auto& c : cases) {
        const std::optional<MeasurementIndex> read = ReadMeasurementIndex(c.text);
        EXPECT_EQ(read.has_value(), c.index) << c.text;
        if (!read) continue;
        EXPECT_EQ(read->channels.size(), c.channels) << c.text;
        if (!read->channels.empty()) {
            EXPECT_DOUBLE_EQ(read->channels[0].snrDb, c.firstSnr) << c.text;
        }
    }
}

}  // namespace
}  // namespace caraudio::measure
