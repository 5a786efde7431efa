// Calibration files as microphone makers ship them and as users keep them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EditorGrid.h"
#include "MicCalibration.h"

namespace caraudio::analysis {
namespace {

TEST(MicCalibration, ReadsTheShapesMakersShip) {
    const struct {
        const char* what;
        const char* text;
        const char* serial;
        bool hasSensitivity;
        double sensitivityDb;
        std::vector<double> hz, db;
    } cases[] = {
        {"USB microphone, quoted header, tabs",
         "\"Sens Factor =-0.7064dB, AGain =18dB, SERNO: 7012345\"\n10.054\t-4.2346\n20016.063\t-1.9816\n",
         "7012345",
         true,
         -0.7064,
         {10.054, 20016.063},
         {-4.2346, -1.9816}},
        {"sensitivity at 1 kHz as a comment, phase column, CRLF",
         "*1000Hz -40.3\r\n* 90 degree\r\n20 -1.5 12\r\n1000 0 0\r\n20000 2.5 -30\r\n",
         "",
         false,
         0,
         {20, 1000, 20000},
         {-1.5, 0, 2.5}},
        {"decimal commas split by tabs",
         "Sens Factor =-1,5dB; SERNO: 88\n20,5\t-1,25\n1000,0\t0,0\n",
         "88",
         true,
         -1.5,
         {20.5, 1000},
         {-1.25, 0}},
        {"comma separated", "20,-1.5\n1000,0\n20000,1\n", "", false, 0, {20, 1000, 20000}, {-1.5, 0, 1}},
        {"comma and space", "20.0, -1.2\n30.0, -1.0\n", "", false, 0, {20, 30}, {-1.2, -1.0}},
        {"column names first", "Frequency dB\n20 1\n40 2\n", "", false, 0, {20, 40}, {1, 2}},
    };
    for (const auto& c : cases) {
        const MicCalibrationRead r = ReadMicCalibration(c.text);
        ASSERT_TRUE(r.ok) << c.what << ": " << r.error;
        EXPECT_EQ(r.calibration.serial, c.serial) << c.what;
        EXPECT_EQ(r.calibration.hasSensitivity, c.hasSensitivity) << c.what;
        EXPECT_DOUBLE_EQ(r.calibration.sensitivityDb, c.sensitivityDb) << c.what;
        EXPECT_EQ(r.calibration.hz, c.hz) << c.what;
        EXPECT_EQ(r.calibration.db, c.db) << c.what;
    }
}

TEST(MicCalibration, RefusesWhatIsNotOneAndSaysWhere) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"20 1\n10 2\n", "line 2: the frequencies must be above 0 and rise"},
        {"20 1\n30 abc\n", "line 2 is not \"frequency dB\""},
        {"0 1\n", "line 1: the frequencies must be above 0 and rise"},
        {"20 90\n", "line 1: a deviation over 60 dB"},
        {"\"Sens Factor =-1dB, SERNO: 1\"\n", "no \"frequency dB\" lines"},
        {"", "no \"frequency dB\" lines"},
    };
    for (const auto& c : cases) {
        const MicCalibrationRead r = ReadMicCalibration(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << c.text << " -> " << r.error;
    }
}

// Straight on log frequency between points, held beyond the ends; taken off
// the response it is applied to.
TEST(MicCalibration, DeviationBetweenPointsAndItsRemoval) {
    const MicCalibration c = ReadMicCalibration("100 0\n1000 10\n10000 4\n").calibration;
    const struct {
        double hz, db;
    } cases[] = {{20, 0}, {100, 0}, {std::sqrt(1e5), 5}, {1000, 10}, {std::sqrt(1e7), 7}, {20000, 4}};
    for (const auto& p : cases) EXPECT_NEAR(CalibrationDbAt(c, p.hz), p.db, 1e-9) << p.hz;
    const FrequencyGrid& grid = EditorGrid();
    const ComplexResponse calibrated = Calibrated(Unity(), c, grid);
    for (int i = 0; i < FrequencyGrid::kPoints; i += 97)
        EXPECT_NEAR(20 * std::log10(std::abs(calibrated[static_cast<size_t>(i)])),
                    -CalibrationDbAt(c, grid.Hz(i)), 1e-9);
}

}  // namespace
}  // namespace caraudio::analysis
