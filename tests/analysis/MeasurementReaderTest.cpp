#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "Measurement.h"

namespace caraudio::analysis {
namespace {

// A file from its lines and a line end.
std::string FileOf(std::initializer_list<std::string_view> lines, std::string_view eol = "\n") {
    std::string s;
    for (std::string_view l : lines) s.append(l).append(eol);
    return s;
}

constexpr double kNone = NAN;

struct Point {
    double hz, db, phase;
};

TEST(ReadMeasurement, ReadsTheLayoutsToolsWrite) {
    const std::vector<Point> withPhase = {{20, 68.42, -12.3}, {20.146, 68.51, -13}, {21.5, 70, 4.5}};
    const std::vector<Point> noPhase = {{20, 68.42, kNone}, {20.146, 68.51, kNone}, {21.5, 70, kNone}};
    const struct {
        const char* name;
        std::string file;
        std::vector<Point> points;
    } cases[] = {
        {"text export with phase",
         FileOf({"* Measurement data measured by a measuring program", "* Source: USB mic",
                 "* Freq(Hz) SPL(dB) Phase(degrees)", "20.000 68.42 -12.3", "20.146 68.51 -13.0",
                 "21.5   70    4.5"}),
         withPhase},
        {"FRD with quote and hash comments",
         FileOf({"\"Woofer 6.5in, 2.83V/1m", "\" freq  spl", "# made by hand", "20 68.42", "20.146\t68.51",
                 "21.5 70"}),
         noPhase},
        {"tabs with decimal commas", FileOf({"20\t68,42\t-12,3", "20,146\t68,51\t-13", "21,5\t\t70\t4,5"}),
         withPhase},
        {"tabs with decimal points", FileOf({"20.0\t68.42\t-12.3", "20.146\t68.51\t-13", "21.5\t70\t4.5"}),
         withPhase},
        {"comma then tab", FileOf({"20.0,\t68.42,\t-12.3", "20.146,\t68.51,\t-13", "21.5,\t70,\t4.5"}),
         withPhase},
        {"semicolons with decimal commas", FileOf({"20;68,42;-12,3", "20,146 ; 68,51 ; -13", "21,5;70;4,5;"}),
         withPhase},
        {"semicolons with decimal points", FileOf({"20;68.42", "20.146;68.51", "21.5;70"}), noPhase},
        {"commas",
         FileOf({"Frequency, Magnitude, Phase", "20, 68.42, -12.3", "20.146,68.51,-13", "21.5,70,4.5"}),
         withPhase},
        {"byte-order mark and CRLF",
         "\xEF\xBB\xBF" + FileOf({"* Freq(Hz) SPL(dB)", "20 68.42", "20.146 68.51", "21.5 70"}, "\r\n"),
         noPhase},
        {"CR line ends", FileOf({"* old", "20 68.42", "20.146 68.51", "21.5 70"}, "\r"), noPhase},
        {"no line end at the end", "20 68.42\n20.146 68.51\n21.5 70", noPhase},
        {"extreme but possible levels", FileOf({"20 1000", "20.146 68.51", "21.5 -1000"}),
         std::vector<Point>{{20, 1000, kNone}, {20.146, 68.51, kNone}, {21.5, -1000, kNone}}},
        {"exponents, signs, blank and comment lines between and after",
         FileOf({"", "  2e1   +68.42  ", "", "* half way", "2.0146E1 68.51", "21.5 70", "", "* end of data",
                 ""}),
         noPhase},
        {"column headers without a marker",
         FileOf({"Frequency [Hz]  SPL [dB re 20 uPa at 1 m]  Phase", "Freq(Hz)  SPL(dB)  Phase(degrees)",
                 "20 68.42 -12.3", "20.146 68.51 -13", "21.5 70 4.5"}),
         withPhase},
        {"decimal commas between spaces", FileOf({"20 68,42", "20,146 68,51", "21,5 70"}), noPhase},
        {"a header in another script",
         FileOf({"频率 声压 相位", "20 68.42 -12.3", "20.146 68.51 -13", "21.5 70 4.5"}), withPhase},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file);
        ASSERT_EQ(r.status, MeasurementStatus::Read) << c.name << ": line " << r.line << " " << r.lineText;
        const auto& got = r.measurement.points;
        ASSERT_EQ(got.size(), c.points.size()) << c.name;
        const bool phase = !std::isnan(c.points[0].phase);
        EXPECT_EQ(r.measurement.hasPhase, phase) << c.name;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_DOUBLE_EQ(got[i].hz, c.points[i].hz) << c.name << " point " << i;
            EXPECT_DOUBLE_EQ(got[i].db, c.points[i].db) << c.name << " point " << i;
            if (phase)
                EXPECT_DOUBLE_EQ(got[i].phaseDegrees, c.points[i].phase) << c.name << " point " << i;
            else
                EXPECT_TRUE(std::isnan(got[i].phaseDegrees)) << c.name << " point " << i;
        }
    }
}

TEST(ReadMeasurement, RefusesWithTheLineAtFault) {
    const struct {
        const char* name;
        std::string file;
        MeasurementStatus status;
        int line;
        std::string text;
    } cases[] = {
        {"empty", "", MeasurementStatus::NoData, 0, ""},
        {"comments only", FileOf({"* nothing measured", "", "# still nothing"}), MeasurementStatus::NoData, 0,
         ""},
        {"byte-order mark only", "\xEF\xBB\xBF", MeasurementStatus::NoData, 0, ""},
        {"one point", FileOf({"* one", "1000 85"}), MeasurementStatus::TooFewPoints, 2, "1000 85"},
        {"repeated frequency", FileOf({"* c", "20 1", "30 2", "  30 3"}), MeasurementStatus::NotIncreasing, 4,
         "30 3"},
        {"falling frequency, CRLF", FileOf({"20 1", "* c", "40 2", "35 3", "50 4"}, "\r\n"),
         MeasurementStatus::NotIncreasing, 4, "35 3"},
        {"NaN level", FileOf({"20 1", "30 nan"}), MeasurementStatus::NotFinite, 2, "30 nan"},
        {"infinite phase", FileOf({"20 1 0", "30 2 -inf"}), MeasurementStatus::NotFinite, 2, "30 2 -inf"},
        {"overflowing number", FileOf({"20 1", "30 1e999"}), MeasurementStatus::NotFinite, 2, "30 1e999"},
        {"level beyond any microphone", FileOf({"20 1", "30 -1000.5"}), MeasurementStatus::LevelOutOfRange, 2,
         "30 -1000.5"},
        {"zero frequency", FileOf({"0 1", "30 2"}), MeasurementStatus::NotPositiveFrequency, 1, "0 1"},
        {"negative frequency", FileOf({"-20 1", "30 2"}), MeasurementStatus::NotPositiveFrequency, 1,
         "-20 1"},
        {"filter set",
         FileOf({"Filter Settings file", "", "Room EQ V5.31.3", "Dated: Jan 8, 2025 11:32:39 AM", "",
                 "Filter  1: ON  PK       Fc   45.80 Hz  Gain   3.00 dB  Q  1.000"}),
         MeasurementStatus::NoData, 1, "Filter Settings file"},
        {"equalizer configuration",
         FileOf({"# bass", "Preamp: -6.1 dB", "Filter 1: ON PK Fc 105 Hz Gain 6.4 dB Q 0.70"}),
         MeasurementStatus::NoData, 2, "Preamp: -6.1 dB"},
        {"headers only", FileOf({"Freq(Hz) SPL(dB)", "Freq(Hz) SPL(dB)"}), MeasurementStatus::NoData, 1,
         "Freq(Hz) SPL(dB)"},
        {"a number and text", FileOf({"20 1", "30 2 dB"}), MeasurementStatus::NotNumbers, 2, "30 2 dB"},
        {"a single column", FileOf({"20", "30"}), MeasurementStatus::NotNumbers, 1, "20"},
        {"four columns and no header naming them", FileOf({"20 1 2 3", "30 1 2 3"}),
         MeasurementStatus::UnnamedColumns, 1, "20 1 2 3"},
        {"comma and point in one number", FileOf({"1.000,5;68", "2000;68"}), MeasurementStatus::NotNumbers, 1,
         "1.000,5;68"},
        {"empty field", FileOf({"20;;68", "30;68"}), MeasurementStatus::NotNumbers, 1, "20;;68"},
        {"text amid the data", FileOf({"20 1", "30 2", "end", "40 3"}), MeasurementStatus::NotNumbers, 3,
         "end"},
        {"units in the data", FileOf({"20Hz 1dB", "30Hz 2dB"}), MeasurementStatus::NotNumbers, 1, "20Hz 1dB"},
        {"hexadecimal", FileOf({"0x14 1", "0x1e 2"}), MeasurementStatus::NotNumbers, 1, "0x14 1"},
        {"control characters", "20 1\n\x01\x02\x7f 9\n", MeasurementStatus::NotNumbers, 2, "\x01\x02\x7f 9"},
        {"binary bytes", std::string("20 1\n\x01\x02\x7f 9\n\0", 12), MeasurementStatus::NotText, 0, ""},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
        EXPECT_EQ(r.lineText, c.text) << c.name;
        EXPECT_TRUE(r.measurement.points.empty()) << c.name;
    }
}

TEST(ReadMeasurement, ShowsALongOffendingLineCutBetweenCharacters) {
    std::string line = "20 ";
    for (int i = 0; i < 200; ++i) line += "\xC3\xA9";  // e with acute, two bytes
    const MeasurementRead r = ReadMeasurement("10 1\n" + line + "\n");
    EXPECT_EQ(r.status, MeasurementStatus::NotNumbers);
    EXPECT_EQ(r.line, 2);
    ASSERT_GE(r.lineText.size(), 60u);
    EXPECT_LT(r.lineText.size(), line.size());
    EXPECT_EQ(line.compare(0, r.lineText.size(), r.lineText), 0) << "a prefix of the line";
    EXPECT_EQ((r.lineText.size() - 3) % 2, 0u) << "no character split";
}

// Log-spaced points as a measuring program writes them at 96 per octave.
std::string LogSweep(int count, double startHz, int perOctave) {
    std::string s = "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (int k = 0; k < count; ++k) {
        const double hz = startHz * std::pow(2.0, static_cast<double>(k) / perOctave);
        char line[96];
        std::snprintf(line, sizeof line, "%.6f %.3f %.2f\n", hz, 75 + 0.001 * k, -0.5 * (k % 360));
        s += line;
    }
    return s;
}

TEST(ReadMeasurement, ReadsAnyNumberOfPointsUpToTheLimits) {
    const MeasurementRead large = ReadMeasurement(LogSweep(65536, 1, 96 * 20));
    ASSERT_EQ(large.status, MeasurementStatus::Read);
    ASSERT_EQ(large.measurement.points.size(), 65536u);
    EXPECT_NEAR(large.measurement.points.back().hz, std::pow(2.0, 65535.0 / 1920), 1e-5);
    EXPECT_NEAR(large.measurement.points.back().db, 75 + 65.535, 1e-9);

    // The limits count: exactly at them is fine, one more is refused.
    std::string lines;
    for (int k = 1; k <= 101; ++k) lines.append(std::to_string(k)).append(" 0\n");
    const MeasurementLimits small{lines.size(), 100};
    const MeasurementRead many = ReadMeasurement(lines, small);
    EXPECT_EQ(many.status, MeasurementStatus::TooManyPoints);
    EXPECT_EQ(many.line, 101);
    EXPECT_EQ(many.lineText, "101 0");
    EXPECT_TRUE(many.measurement.points.empty());
    const std::string_view hundred = std::string_view(lines).substr(0, lines.find("101 "));
    EXPECT_EQ(ReadMeasurement(hundred, small).measurement.points.size(), 100u);
    EXPECT_EQ(ReadMeasurement(lines, {lines.size() - 1, 1000}).status, MeasurementStatus::TooLarge);

    // The program's own byte limit: 64 MiB (here one long comment line).
    std::string tooLarge((size_t{64} << 20) + 1, 'x');
    tooLarge[0] = '*';
    EXPECT_EQ(ReadMeasurement(tooLarge).status, MeasurementStatus::TooLarge);
    EXPECT_EQ(ReadMeasurement(std::string_view(tooLarge).substr(0, tooLarge.size() - 1)).status,
              MeasurementStatus::NoData)
        << "the limit itself is allowed";
}

}  // namespace
}  // namespace caraudio::analysis
