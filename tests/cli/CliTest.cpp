#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CliRig.h"
#include "HexBlock.h"
#include "InstanceLock.h"
#include "SceneRecord.h"
#include "SyntheticImpulse.h"
#include "Textbook.h"
#include "TextbookShelf.h"
#include "Utf16Text.h"

namespace caraudio::cli {
namespace {

using namespace rig;
using test::Utf16WithMark;

TEST(Cli, DumpWithoutABoxPrintsTheFactoryImage) {
    const Result r = RunCli({"dump"});
    EXPECT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 642u);
    EXPECT_EQ(lines[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    EXPECT_EQ(lines[30], "CarAudio: Box0_LFliter_Freq = 20000(20000) = 0x4E20  (2 bytes)");
    EXPECT_EQ(lines[42], "CarAudio:       Box0_EQ0_Q =  760(760) = 0x02F8  (2 bytes)");
    EXPECT_EQ(lines[599], "CarAudio: Box0_Param_Threshold =  600(600) = 0x0258  (2 bytes)");
    EXPECT_EQ(lines[617], "CarAudio:        NoiseGate =    0(0) = 0x0000  (1 bytes)");
    EXPECT_NE(r.err.find("factory image"), std::string::npos);
}

TEST(Cli, CommandLineMistakesAreExplained) {
    const struct {
        std::vector<std::string_view> args;
        int status;
        const char* said;
    } cases[] = {
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"dump", "extra"}, 2, "usage: caraudio-cli dump"},
        {{"--bogus", "info"}, 2, "unknown option '--bogus'"},
        {{"--emulate"}, 2, "Usage"},
        {{"--emulate", "set", "NoSuchThing", "1"}, 2, "no parameter is called 'NoSuchThing'"},
        {{"--emulate", "set", "MainVol", "12x"}, 2, "RAW must be a whole number"},
        {{"--emulate", "set", "MainVol", "65536"}, 2, "RAW must be a whole number"},
        {{"--emulate", "set", "MainVol", "-32769"}, 2, "RAW must be a whole number"},
        {{"--emulate", "recall", "0"}, 2, "recall takes 1..8"},
        {{"--emulate", "recall", "10"}, 2, "recall takes 1..8"},
        {{"--emulate", "store", "9"}, 2, "store takes 1..8"},
        {{"--emulate", "write", "/nonexistent/image"}, 1, "cannot read /nonexistent/image"},
        {{"--emulate", "read", "/nonexistent/dir/image"}, 1, "cannot write /nonexistent/dir/image"},
        {{"--emulate", "eq-import", "--channel", "CH9", "f.txt"}, 2, "--channel takes CH1..CH6"},
        {{"--emulate", "eq-import", "f.txt"}, 2, "usage: caraudio-cli eq-import"},
        {{"--emulate", "eq-import", "--section", "L", "f.txt"}, 2, "say which channel to import into"},
        {{"--emulate", "eq-import", "--channel", "CH2", "a.txt", "b.txt"},
         2,
         "usage: caraudio-cli eq-import"},
        {{"--emulate", "eq-import", "--channel", "CH2", "/nonexistent/f.txt"},
         1,
         "cannot read /nonexistent/f.txt: No such file or directory. Nothing was changed."},
        {{"--emulate", "eq-export", "--channel", "CH2", "--format", "xml", "-"},
         2,
         "--format takes rew or apo"},
        {{"--emulate", "eq-export", "--channel", "CH2", "/nonexistent/dir/f.txt"},
         1,
         "cannot write /nonexistent/dir/f.txt"},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

TEST(Cli, HelpListsEveryCommand) {
    const Result r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command :
         {"info", "dump", "read FILE", "write FILE", "recall N", "store N", "set NAME RAW",
          "eq-import --channel", "eq-export --channel", "autoeq --channel"})
        EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    EXPECT_EQ(RunCli({"--version"}).out.rfind("caraudio-cli ", 0), 0u);
}

TEST_F(CliWithBox, InfoShowsTheEmulatedBox) {
    const Result r = Box({"info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "box: emulator:0\nstatus: connected\ncurrent mode: 1 (USER-1)\nimage size: 1230 bytes\n"
              "input mode: 2 Channel\n");
}

TEST_F(CliWithBox, TheEmulatedBoxRemembersBetweenRuns) {
    EXPECT_EQ(Box({"set", "box3_eq17_gain", "-200"}).out, "Box3_EQ17_Gain = 65336(-200) sent.\n");
    EXPECT_EQ(Box({"set", "Box3_EQ17_Gain", "0xFF38"}).out, "Box3_EQ17_Gain is already 65336(-200).\n");
    EXPECT_EQ(Box({"store", "8"}).status, 0);
    EXPECT_EQ(Box({"set", "MainVol", "300"}).err,
              "caraudio-cli: MainVol takes 0..66, not 300. Nothing was sent.\n");
    EXPECT_EQ(Lines(Box({"dump"}).out)[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    ASSERT_EQ(Box({"set", "MainVol", "44"}).status, 0);
    EXPECT_EQ(Lines(Box({"dump"}).out)[4], "CarAudio:          MainVol =   44(44) = 0x002C  (1 bytes)");
    const Result recalled = Box({"recall", "8"});
    EXPECT_EQ(recalled.out, "Recalled USER-8.\n");
    const auto lines = Lines(Box({"dump"}).out);
    EXPECT_EQ(lines[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    EXPECT_EQ(lines[373], "CarAudio:   Box3_EQ17_Gain = 65336(-200) = 0xFF38  (2 bytes)");
    EXPECT_NE(Box({"info"}).out.find("current mode: 8 (USER-8)"), std::string::npos);
    EXPECT_EQ(Box({"recall", "9"}).out, "Recalled Factory settings.\n");
    EXPECT_EQ(Lines(Box({"dump"}).out)[373], "CarAudio:   Box3_EQ17_Gain =    0(0) = 0x0000  (2 bytes)");
}

TEST_F(CliWithBox, ImagesGoToFilesAndBack) {
    ASSERT_EQ(Box({"set", "Delay_2", "480"}).status, 0);
    const std::string image = File("image.bin");
    EXPECT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(image), 1230u);
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    EXPECT_EQ(Box({"write", image}).out, "Sent " + image + " to the box.\n");
    EXPECT_NE(Box({"dump"}).out.find("Delay_2 =  480(480)"), std::string::npos);

    const std::string shortFile = File("short.bin");
    std::ofstream(shortFile) << "tiny";
    const Result bad = Box({"write", shortFile});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("is 4 bytes; an image is exactly 1230 bytes"), std::string::npos);
}

// Bytes as the testers sent them: random, and a sound image with three
// values past what any control gives. Nothing of either reaches the box.
TEST_F(CliWithBox, ImagesOutsideTheLimitsAreRefusedWithTheirValues) {
    EffectBlock three = DefaultEffectBlock();
    three.Set(*FindParam(param::MainVol), 153);
    three.Set(*FindParam(param::BandGain(0, 3)), 23472);
    three.Set(*FindParam(param::Delay(0)), 11612);
    std::mt19937 random(1230);
    EffectBlock noise;
    for (int i = 0; i < kEffectBlockSize; ++i) noise.SetByte(i, static_cast<uint8_t>(random()));
    const std::string threeFile = File("three.bin"), noiseFile = File("noise.bin");
    std::ofstream(threeFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(three.data()), kEffectBlockSize);
    std::ofstream(noiseFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(noise.data()), kEffectBlockSize);
    const std::string before = Box({"dump"}).out;

    const Result r = Box({"write", threeFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "caraudio-cli: " + threeFile +
                  " holds 3 values outside what the box may be given (allowed in brackets); nothing was "
                  "sent:\n  MainVol = 153 (0..66)\n  Delay_0 = 11612 (0..960)\n  Box0_EQ3_Gain = 23472 "
                  "(-2000..2000)\n");
    EXPECT_EQ(r.out, "");
    const Result n = Box({"write", noiseFile});
    EXPECT_EQ(n.status, 1);
    EXPECT_GT(Lines(n.err).size(), 300u);
    EXPECT_EQ(Box({"dump"}).out, before) << "nothing was sent";

    // Every kind at the end of its range is sent as it is.
    EffectBlock ends = DefaultEffectBlock();
    const std::pair<int, int> atEnds[] = {
        {param::MuteCtrl, 0x3F},        {param::MainVol, 0},
        {param::Volume(5), 66},         {param::Delay(0), 960},
        {param::HighPassType(1), 0x88}, {param::HighPassFreq(1), 20000},
        {param::LowPassFreq(2), 20},    {param::BandFreq(3, 0), 20},
        {param::BandQ(3, 0), 12800},    {param::BandGain(3, 1), -2000},
        {param::Threshold(4), -3000},   {param::Attack(4), 30},
        {param::Release(4), 5},         {param::NoiseGate, 20},
        {param::Input(5, 3), 0},
    };
    for (const auto& [index, value] : atEnds) ends.Set(*FindParam(index), static_cast<uint16_t>(value));
    const std::string endsFile = File("ends.bin");
    std::ofstream(endsFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(ends.data()), kEffectBlockSize);
    ASSERT_EQ(Box({"write", endsFile}).status, 0);
    const std::string readBack = File("back.bin");
    ASSERT_EQ(Box({"read", readBack}).status, 0);
    std::ifstream in(readBack, std::ios::binary);
    const std::string back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(back == std::string(reinterpret_cast<const char*>(ends.data()), kEffectBlockSize));
}

// A raw value goes to the box only if some control could have set it.
TEST_F(CliWithBox, SetSendsOnlyValuesWithinTheLimits) {
    const struct {
        const char* name;
        const char* raw;
        int status;
        std::string says;
    } cases[] = {
        {"MainVol", "67", 1, "caraudio-cli: MainVol takes 0..66, not 67. Nothing was sent.\n"},
        {"Delay_0", "961", 1, "caraudio-cli: Delay_0 takes 0..960, not 961. Nothing was sent.\n"},
        {"Box0_EQ3_Gain", "23472", 1,
         "caraudio-cli: Box0_EQ3_Gain takes -2000..2000, not 23472. Nothing was sent.\n"},
        {"Box0_EQ3_Gain", "0xF82F", 1,
         "caraudio-cli: Box0_EQ3_Gain takes -2000..2000, not -2001. Nothing was sent.\n"},
        {"Box0_HFliter_Freq", "5", 1,
         "caraudio-cli: Box0_HFliter_Freq takes 0 or 20..20000, not 5. Nothing was sent.\n"},
        {"Box0_HFliter_Type_Xoct", "0x20", 1,
         "caraudio-cli: Box0_HFliter_Type_Xoct takes type 0..2, slope 0..8, not 32. Nothing was sent.\n"},
        {"Box1_Param_Attack", "-1", 1,
         "caraudio-cli: Box1_Param_Attack takes 30..10000, not -1. Nothing was sent.\n"},
        {"Box2_Input3", "101", 1, "caraudio-cli: Box2_Input3 takes 0..100, not 101. Nothing was sent.\n"},
        {"Delay_0", "960", 0, "Delay_0 = 960(960) sent.\n"},
        {"Box0_EQ3_Gain", "-2000", 0, "Box0_EQ3_Gain = 63536(-2000) sent.\n"},
        {"Box0_EQ3_Gain", "0xF830", 0, "Box0_EQ3_Gain is already 63536(-2000).\n"},
        {"Box0_HFliter_Freq", "20", 0, "Box0_HFliter_Freq = 20(20) sent.\n"},
        {"Box0_HFliter_Type_Xoct", "0x88", 0, "Box0_HFliter_Type_Xoct = 136(136) sent.\n"},
        {"MainVol", "0", 0, "MainVol = 0(0) sent.\n"},
    };
    for (const auto& c : cases) {
        const std::string before = Box({"dump"}).out;
        const Result r = Box({"set", c.name, c.raw});
        EXPECT_EQ(r.status, c.status) << c.name << " " << c.raw;
        EXPECT_EQ(c.status == 0 ? r.out : r.err, c.says);
        if (c.status != 0) {
            EXPECT_EQ(Box({"dump"}).out, before) << c.name << " " << c.raw;
        }
    }
}

TEST_F(CliWithBox, CurveIsATextCurveOfTheChannel) {
    ASSERT_EQ(Box({"set", "Box3_EQ20_Gain", "900"}).status, 0);  // +9 dB at 2 kHz on CH2
    const Result r = Box({"curve", "--channel", "CH2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1026u);
    EXPECT_EQ(lines[0][0], '*');
    double peakHz = 0, peakDb = -1e9, firstHz = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        double hz, db;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%lf %lf", &hz, &db), 2) << lines[i];
        if (i == 2) firstHz = hz;
        if (db > peakDb) peakDb = db, peakHz = hz;
    }
    EXPECT_DOUBLE_EQ(firstHz, 17);
    EXPECT_NEAR(peakDb, 9, 0.05);
    EXPECT_NEAR(peakHz, 2000, 40);
    const auto band = Lines(Box({"curve", "--channel", "ch2", "--filter", "20"}).out);
    EXPECT_EQ(band.size(), 1026u);
    EXPECT_NE(band[0].find("filter 20"), std::string::npos);
    EXPECT_EQ(Box({"curve", "--filter", "35"}).status, 2);
    EXPECT_EQ(Box({"curve", "--channel", "CH7"}).status, 2);
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(Lines(RunCli({"curve", "--image", image, "--channel", "CH2"}).out), lines)
        << "the same from a file";
}

// A measurement as a measuring program exports it: 48 points per octave
// from 20 Hz to 20 kHz at a constant level.
std::string FlatMeasurement(double db) {
    std::ostringstream text;
    text << "* Measurement data\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 48)) text << hz << ' ' << db << " 0\n";
    return text.str();
}

// "-" where there is no level.
std::optional<double> Level(const std::string& field) {
    if (field == "-") return std::nullopt;
    return std::stod(field);
}

TEST_F(CliWithBox, CurveAddsMeasuredPredictedAndTargetColumns) {
    ASSERT_EQ(Box({"set", "Box3_EQ20_Gain", "900"}).status, 0);  // +9 dB at 2 kHz on CH2
    const std::string measured = File("flat.txt");
    std::ofstream(measured) << FlatMeasurement(83.5);
    const Result r =
        Box({"curve", "--channel", "CH2", "--measurement", measured, "--target", "house:6@80,-1.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1029u);
    EXPECT_EQ(lines[4], "* Freq(Hz) SPL(dB) Measured(dB) Predicted(dB) Target(dB)");
    int withLevel = 0;
    for (size_t i = 5; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        double hz, curve;
        std::string m, p, t;
        ASSERT_TRUE(fields >> hz >> curve >> m >> p >> t) << lines[i];
        const auto measuredDb = Level(m), predictedDb = Level(p), targetDb = Level(t);
        ASSERT_TRUE(targetDb) << "the target covers every point: " << lines[i];
        // The house curve: an analog low shelf of 6 dB at 80 Hz (half at the
        // corner), then -1.5 dB per decade above 1 kHz.
        const std::complex<double> s(0, hz / 80), a = std::pow(10.0, 6 / 40.0);
        const std::complex<double> shelf = a * (s * s + std::sqrt(a) / std::sqrt(0.5) * s + a) /
                                           (a * s * s + std::sqrt(a) / std::sqrt(0.5) * s + 1.0);
        const double tilt = hz > 1000 ? -1.5 * std::log10(hz / 1000) : 0;
        EXPECT_NEAR(*targetDb, 20 * std::log10(std::abs(shelf)) + tilt, 0.01) << lines[i];
        if (hz < 20 || hz > 20000) {
            EXPECT_FALSE(measuredDb) << "nothing measured there: " << lines[i];
            EXPECT_FALSE(predictedDb) << lines[i];
            continue;
        }
        if (!measuredDb) continue;  // the grid point next to either end
        ++withLevel;
        ASSERT_TRUE(predictedDb) << lines[i];
        EXPECT_NEAR(*predictedDb, *measuredDb + curve, 0.001) << lines[i];
    }
    EXPECT_GT(withLevel, 900);
    // A flat measurement sits on the target's mean over 200..2000 Hz.
    double sum = 0;
    int count = 0;
    for (size_t i = 5; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        double hz, curve, m, p, t;
        if (!(fields >> hz >> curve >> m >> p >> t) || hz < 200 || hz > 2000) continue;
        sum += t - m;
        ++count;
    }
    EXPECT_NEAR(sum / count, 0, 0.001);
}

TEST_F(CliWithBox, CurveRefusesBadMeasurementOptions) {
    const std::string measured = File("flat.txt"), filters = File("filters.txt"),
                      missing = File("missing.txt");
    std::ofstream(measured) << FlatMeasurement(80);
    std::ofstream(filters) << "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n";
    const struct {
        std::vector<std::string_view> args;
        std::string says;
    } cases[] = {
        {{"--measurement", filters},
         "filters.txt: no measured points: not a measurement file (line 1: Filter 1"},
        {{"--measurement", missing}, "cannot read"},
        {{"--measurement", measured, "--smoothing", "1/5"}, "--smoothing takes none, 1/48"},
        {{"--measurement", measured, "--target", "house:loud"}, "--target takes flat, house:"},
        {{"--measurement", measured, "--target", "house:40@80,0"},
         "the house curve takes a bass lift of at most"},
        {{"--smoothing", "1/6"}, "--target and --measured-with go with --measurement FILE"},
    };
    for (const auto& c : cases) {
        std::vector<std::string_view> args{"curve"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Box(args);
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << c.says;
    }
}

// Level columns that differ in their slope: column c falls by 0.5 * c - 2 dB
// per octave from 80 dB at 1 kHz, so the curve printed tells the column read.
double ColumnSlope(int column) {
    return 0.5 * column - 2;
}
double ColumnLevel(int column, double hz) {
    return 80 + ColumnSlope(column) * std::log2(hz / 1000);
}

// The open headphone project's results: frequency and ten curves, two
// decimals, 24 points per octave.
std::string ResultsCsv() {
    std::string text =
        "frequency,raw,error,smoothed,error_smoothed,equalization,parametric_eq,fixed_band_eq,equalized_raw,"
        "equalized_smoothed,target\n";
    char field[32];
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24)) {
        std::snprintf(field, sizeof field, "%.2f", hz);
        text += field;
        for (int c = 1; c <= 10; ++c) {
            std::snprintf(field, sizeof field, ",%.2f", ColumnLevel(c, hz));
            text += field;
        }
        text += "\n";
    }
    return text;
}

// An analyser's two channels side by side after four quoted lines; the
// right one (column 2's slope) covers only 40 Hz to 10 kHz, so its fields
// run out first.
std::string AnalyserCsv() {
    std::string text =
        "\"Analyser export\"\n\"Date: 2025-01-08\"\n\"Left: front left, Right: front right\"\n"
        "\"Averaging: 8\"\n\"Hz\",\"dBSPL\",\"Hz\",\"dBSPL\"\n";
    char row[96];
    const double step = std::pow(2.0, 1.0 / 24);
    double right = 40;
    for (double left = 20; left <= 20000; left *= step, right *= step) {
        std::snprintf(row, sizeof row, "%.2f,%.2f,", left, ColumnLevel(1, left));
        text += row;
        if (right <= 10000)
            std::snprintf(row, sizeof row, "%.2f,%.2f\n", right, ColumnLevel(2, right));
        else
            std::snprintf(row, sizeof row, ",\n");
        text += row;
    }
    return text;
}

// One column of the curve's points with a level: frequency and level.
std::vector<std::pair<double, double>> PrintedColumn(const std::string& out, int column) {
    std::vector<std::pair<double, double>> points;
    for (const std::string& line : Lines(out)) {
        if (line.empty() || line[0] == '*') continue;
        std::istringstream in(line);
        double hz;
        std::string fields[4];
        in >> hz >> fields[0] >> fields[1] >> fields[2] >> fields[3];
        if (const auto db = Level(fields[column])) points.emplace_back(hz, *db);
    }
    return points;
}

// The slope in dB per octave of the printed levels between 100 Hz and 5 kHz.
double PrintedSlope(const std::string& out, int column) {
    const auto points = PrintedColumn(out, column);
    std::pair<double, double> low{0, 0}, high{0, 0};
    for (const auto& p : points) {
        if (p.first >= 100 && low.first == 0) low = p;
        if (p.first <= 5000) high = p;
    }
    return (high.second - low.second) / std::log2(high.first / low.first);
}

constexpr int kMeasuredColumn = 1, kTargetColumn = 3;

TEST_F(CliWithBox, CurveTakesTheChosenColumnOfFilesWithSeveral) {
    const std::string results = File("results.csv"), analyser = File("analyser.csv"), flat = File("flat.txt");
    std::ofstream(results) << ResultsCsv();
    std::ofstream(analyser) << AnalyserCsv();
    std::ofstream(flat) << FlatMeasurement(80);
    const struct {
        std::vector<std::string_view> args;
        double slope;
        std::string said;
    } cases[] = {
        {{"--measurement", results}, ColumnSlope(1), "* Measured: " + results + " (column 1 of 10: raw), "},
        {{"--measurement", results, "--column", "smoothed"},
         ColumnSlope(3),
         "* Measured: " + results + " (column 3 of 10: smoothed), "},
        {{"--measurement", results, "--column", "10"},
         ColumnSlope(10),
         "* Measured: " + results + " (column 10 of 10: target), "},
        {{"--measurement", analyser},
         ColumnSlope(1),
         "* Measured: " + analyser + " (column 1 of 2: dBSPL), "},
        {{"--measurement", analyser, "--column", "2"},
         ColumnSlope(2),
         "* Measured: " + analyser + " (column 2 of 2: dBSPL), "},
    };
    for (const auto& c : cases) {
        std::vector<std::string_view> args{"curve", "--channel", "CH2"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Box(args);
        ASSERT_EQ(r.status, 0) << c.said << r.err;
        EXPECT_NE(r.out.find(c.said), std::string::npos) << r.out.substr(0, 400);
        EXPECT_NEAR(PrintedSlope(r.out, kMeasuredColumn), c.slope, 0.01) << c.said;
    }
    // The right channel ends at 10 kHz: nothing measured above it.
    const auto right =
        PrintedColumn(Box({"curve", "--measurement", analyser, "--column", "2"}).out, kMeasuredColumn);
    ASSERT_FALSE(right.empty());
    EXPECT_LT(right.back().first, 10001);
    EXPECT_GT(right.front().first, 39);

    // The results as a target: their target column, as it is.
    const Result target = Box({"curve", "--measurement", flat, "--target", results});
    ASSERT_EQ(target.status, 0) << target.err;
    EXPECT_NE(target.out.find("* Target: " + results + " (column 10 of 10: target)\n"), std::string::npos)
        << target.out.substr(0, 400);
    for (const auto& [hz, db] : PrintedColumn(target.out, kTargetColumn))
        if (hz > 21 && hz < 19000) {
            ASSERT_NEAR(db, ColumnLevel(10, hz), 0.01) << hz;
        }

    // A column that is not there: the file's columns are named.
    const struct {
        std::string file;
        const char* column;
        std::string said;
    } refused[] = {
        {results, "spl",
         results +
             " has no level column 'spl'; its level columns are 1 raw, 2 error, 3 smoothed, 4 "
             "error_smoothed, 5 "
             "equalization, 6 parametric_eq, 7 fixed_band_eq, 8 equalized_raw, 9 equalized_smoothed, 10 "
             "target (--column takes a name or a number).\n"},
        {analyser, "3", analyser + " has no level column '3'; its level columns are 1 dBSPL, 2 dBSPL"},
        {flat, "2", flat + " has no level column '2'; its level columns are 1 SPL(dB) ("},
    };
    for (const auto& c : refused) {
        const Result r = Box({"curve", "--measurement", c.file, "--column", c.column});
        EXPECT_EQ(r.status, 1) << c.said;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_NE(Box({"curve", "--column", "raw"})
                  .err.find("--column, --smoothing, --target and --measured-with go with"),
              std::string::npos);

    const Result fitted =
        Box({"autoeq", "--channel", "CH2", "--measurement", results, "--column", "smoothed", "--dry-run"});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_NE(fitted.out.find("* Measured: " + results + " (column 3 of 10: smoothed), "), std::string::npos)
        << fitted.out;
}

TEST_F(CliWithBox, CurveReadsFilesInTheirOwnEncodingAndNumbersAndSaysWhereTheDataEnded) {
    // The same points in the shapes programs write them.
    std::string points, commas, summary = "Frequency dB Unweighted\n";
    char line[64];
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24)) {
        std::snprintf(line, sizeof line, "%.2f %.2f\n", hz, ColumnLevel(1, hz));
        points += line;
        summary += line;
        // Decimal commas, semicolons, and no-break spaces (Latin-1) between thousands.
        std::string german = line;
        for (char& ch : german) ch = ch == '.' ? ',' : ch == ' ' ? ';' : ch;
        if (hz >= 1000) german.insert(german.find(';') - 6, "\xA0");
        commas += german;
    }
    const std::string plain = File("plain.txt"), utf16 = File("utf16.txt"), utf16be = File("utf16be.txt"),
                      latin = File("latin1.csv"), words = File("words.txt");
    std::ofstream(plain) << points;
    std::ofstream(utf16, std::ios::binary) << Utf16WithMark("* Freq(Hz) SPL(dB)\r\n" + points);
    std::ofstream(utf16be, std::ios::binary) << Utf16WithMark("* Freq(Hz) SPL(dB)\r\n" + points, true);
    std::ofstream(latin, std::ios::binary) << "Fr\xE9quence;Niveau\r\n" + commas;
    std::ofstream(words) << summary << "overall dB 0.0 dB\nEnd of data\n1025\n";
    const auto expected = PrintedColumn(Box({"curve", "--measurement", plain}).out, kMeasuredColumn);
    ASSERT_GT(expected.size(), 900u);
    const struct {
        std::string file;
        std::string note;
    } cases[] = {
        {utf16, "* Note: " + utf16 + " was read as UTF-16\n"},
        {utf16be, "* Note: " + utf16be + " was read as UTF-16\n"},
        {latin, "* Note: " + latin + " was read as Latin-1 (Windows-1252)\n"},
        {words, "* Note: the data of " + words + " end at line " + std::to_string(Lines(summary).size() + 1) +
                    "; it and the lines after it are not read: overall dB 0.0 dB\n"},
    };
    for (const auto& c : cases) {
        const Result r = Box({"curve", "--measurement", c.file});
        ASSERT_EQ(r.status, 0) << c.file << ": " << r.err;
        EXPECT_NE(r.out.find(c.note), std::string::npos) << r.out.substr(0, 400);
        const auto got = PrintedColumn(r.out, kMeasuredColumn);
        ASSERT_EQ(got.size(), expected.size()) << c.file;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_NEAR(got[i].second, expected[i].second, 1e-4) << c.file;
    }

    // Refusals tell the line as text and the encoding it was read in.
    const std::string bad = File("bad16.txt"), binary = File("binary.frd");
    std::ofstream(bad, std::ios::binary) << Utf16WithMark("* UTF-16\r\n20 60\r\n30 nan\r\n");
    std::ofstream(binary, std::ios::binary) << std::string(
        "\x7F"
        "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0",
        18);
    const struct {
        std::string file;
        std::string said;
    } refused[] = {
        {bad, bad + " (read as UTF-16): a level or frequency that is not a number (line 3: 30 nan).\n"},
        {binary, binary + ": not a text file: its bytes fit no text encoding.\n"},
    };
    for (const auto& c : refused) {
        const Result r = Box({"curve", "--measurement", c.file});
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_EQ(r.err, "caraudio-cli: " + c.said);
    }
}

// A channel's raw delay as `dump` prints it.
int DumpedDelay(const std::string& dump, int block) {
    const std::string key = " Delay_" + std::to_string(block) + " =";
    const size_t at = dump.find(key);
    return at == std::string::npos ? -1 : std::atoi(dump.c_str() + at + key.size());
}

TEST_F(CliWithBox, AlignSetsTheDelaysFromImpulseResponses) {
    namespace syn = analysis::synthetic;
    // CH1..CH6 start at these times (ms); CH4's speaker is wired the other
    // way. The latest, CH5, gets no delay; the others wait the difference,
    // a whole number of 1/48 ms steps.
    const struct {
        const char* channel;
        int block;
        double startMs;
        double amplitude;
        int raw;
    } speakers[] = {{"CH1", 2, 5.0, 0.5, 198},  {"CH2", 3, 6.25, 0.5, 138}, {"CH3", 4, 7.5, 0.6, 78},
                    {"CH4", 5, 4.0, -0.5, 246}, {"CH5", 0, 9.125, 0.4, 0},  {"CH6", 1, 8.0, 0.5, 54}};
    const syn::Shape pulse = syn::LowPassPulse(8000);
    const double halfRiseMs = syn::HalfRise(pulse) * 1000;
    std::vector<std::string> args{"align"};
    for (const auto& s : speakers) {
        syn::Room room;
        room.arrivalS = s.startMs / 1000;
        room.amplitude = s.amplitude;
        room.reflectionDelayS = 0.003;
        room.reflectionGain = 0.7;
        room.snrDb = 40;
        const std::string wav = File((std::string(s.channel) + ".wav").c_str());
        std::ofstream(wav, std::ios::binary)
            << syn::Wav(syn::Render(pulse, room, 48000), 48000, SF_FORMAT_PCM_24);
        args.push_back(std::string(s.channel) + "=" + wav);
    }
    std::vector<std::string_view> dry(args.begin(), args.end());
    dry.push_back("--dry-run");
    const std::string before = Box({"dump"}).out;
    const Result shown = Box(dry);
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto lines = Lines(shown.out);
    ASSERT_EQ(lines.size(), 6u) << shown.out;
    for (size_t i = 0; i < 6; ++i) {
        const auto& s = speakers[i];
        char label[8];
        double arrival, delayMs;
        int raw;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%7s arrival %lf ms delay %lf ms (raw %d)", label, &arrival,
                              &delayMs, &raw),
                  4)
            << lines[i];
        EXPECT_STREQ(label, s.channel);
        EXPECT_NEAR(arrival, s.startMs + halfRiseMs, 1.0 / 48) << lines[i];
        EXPECT_EQ(raw, s.raw) << lines[i];
        EXPECT_NEAR(delayMs, s.raw / 48.0, 0.0005) << lines[i];
        EXPECT_EQ(lines[i].find("polarity looks inverted") != std::string::npos, s.amplitude < 0) << lines[i];
    }
    EXPECT_EQ(Box({"dump"}).out, before) << "a dry run changes nothing";

    std::vector<std::string_view> apply(args.begin(), args.end());
    const Result sent = Box(apply);
    ASSERT_EQ(sent.status, 0) << sent.err;
    const std::string after = Box({"dump"}).out;
    for (const auto& s : speakers) EXPECT_EQ(DumpedDelay(after, s.block), s.raw) << s.channel;
}

TEST_F(CliWithBox, AlignRefusesWhatItCannotUse) {
    namespace syn = analysis::synthetic;
    const syn::Shape pulse = syn::LowPassPulse(8000);
    auto wavAt = [&](const char* name, double startMs) {
        syn::Room room;
        room.arrivalS = startMs / 1000;
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary)
            << syn::Wav(syn::Render(pulse, room, 48000), 48000, SF_FORMAT_FLOAT);
        return path;
    };
    const std::string early = wavAt("early.wav", 2), late = wavAt("late.wav", 27), text = File("notes.txt");
    std::ofstream(text) << "not a sound\n";
    const std::string a = "CH1=" + early, b = "CH2=" + late, t = "CH3=" + text, twice = "CH1=" + late;
    // Files that read but hold no impulse response: noise, and a single sample.
    std::mt19937 random(9);
    std::normal_distribution<double> gauss(0, 0.2);
    std::vector<double> hiss(48000);
    for (double& v : hiss) v = gauss(random);
    const std::string noise = File("noise.wav"), click = File("click.wav");
    std::ofstream(noise, std::ios::binary) << syn::Wav(hiss, 48000, SF_FORMAT_FLOAT);
    std::ofstream(click, std::ios::binary) << syn::Wav({0.9}, 48000, SF_FORMAT_PCM_16);
    const std::string n = "CH4=" + noise, c1 = "CH5=" + click;
    const std::string before = Box({"dump"}).out;
    const struct {
        std::vector<std::string_view> args;
        int status;
        std::string says;
    } cases[] = {
        {{"align", a, b}, 1, "the arrivals lie 25.000 ms apart; the box delays a channel by 20 ms at most"},
        {{"align", a, t}, 1, "notes.txt: not a sound file"},
        {{"align", a, n},
         1,
         "caraudio-cli: CH4: " + noise +
             " does not look like an impulse response: no peak stands 20 dB clear of the rest; it looks like "
             "noise, "
             "music, a sweep or DC. Nothing was changed.\n"},
        {{"align", c1, a},
         1,
         "caraudio-cli: CH5: " + click +
             " does not look like an impulse response: it ends less than 50 ms after its direct sound, too "
             "soon to "
             "see the response die away. Nothing was changed.\n"},
        {{"align", a, twice}, 2, "CH1 is given twice"},
        {{"align", "CH7=x.wav"}, 2, "give each response as CHn=FILE"},
    };
    for (const auto& c : cases) {
        const Result r = Box(c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(Box({"dump"}).out, before) << "nothing changed";
}

TEST_F(CliWithBox, ADamagedMemoryFileIsLeftAlone) {
    const std::string mem = File("box.mem");
    std::ofstream(mem) << "something else";
    const Result r = Box({"info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not the memory of an emulated box"), std::string::npos);
    std::ifstream in(mem);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "something else");
}

// Filter sets as measurement programs write them.
struct RewFilter {
    const char* state;  // "ON", "OFF"
    const char* type;   // "PK", "LS"
    double fcHz;
    double gainDb;
    double q;           // 0: the line has no Q
    bool decimalComma;  // as some locales write it
};

std::string RewLine(int number, const RewFilter& f) {
    char line[160];
    std::snprintf(line, sizeof line, "Filter %2d: %-3s %-8sFc %7.0f Hz  Gain %6.2f dB", number, f.state,
                  f.type, f.fcHz, f.gainDb);
    std::string text = line;
    if (f.q > 0) {
        std::snprintf(line, sizeof line, "  Q %6.3f", f.q);
        text += line;
    }
    if (f.decimalComma) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// Header lines 1..9, then filter N on line 9 + N.
std::string RewFile(const std::vector<RewFilter>& filters) {
    std::string text =
        "Filter Settings file\n\nRoom EQ V5.31.3\nDated: Jan 8, 2025 11:32:39 AM\n\nNotes:\n\n"
        "Equaliser: Generic\nRMS Average\n";
    for (size_t i = 0; i < filters.size(); ++i) text += RewLine(static_cast<int>(i) + 1, filters[i]) + "\n";
    return text;
}

// Twenty peaking filters the box holds exactly (whole Hz, 0.01 dB, a Q that
// is a hundredth of the box's Q field over three), but for one above the
// box's range; one switched off and a shelf besides.
const std::vector<RewFilter> kTwentyPeaking = {
    {"ON", "PK", 32, 4.5, 1.0, true},      {"ON", "PK", 45, -3.25, 2.0, false},
    {"ON", "PK", 25000, -3.0, 1.0, false}, {"ON", "PK", 63, 6.0, 1.5, true},
    {"ON", "PK", 88, -7.75, 4.0, false},   {"ON", "LS", 80, 4.0, 0, true},
    {"OFF", "PK", 120, -2.0, 2.0, false},  {"ON", "PK", 160, 2.25, 0.7, true},
    {"ON", "PK", 220, -4.0, 3.0, false},   {"ON", "PK", 315, 1.5, 5.0, false},
    {"ON", "PK", 440, -5.5, 2.5, true},    {"ON", "PK", 630, 3.75, 1.2, false},
    {"ON", "PK", 880, -2.5, 0.8, false},   {"ON", "PK", 1250, 4.0, 2.0, true},
    {"ON", "PK", 1750, -6.25, 4.0, false}, {"ON", "PK", 2500, 2.0, 1.0, false},
    {"ON", "PK", 3150, -3.5, 5.0, true},   {"ON", "PK", 4400, 5.0, 1.5, false},
    {"ON", "PK", 6300, -4.75, 3.0, false}, {"ON", "PK", 8800, 3.0, 2.0, true},
    {"ON", "PK", 12500, -2.0, 0.7, false},
};

class CliFilterSets : public CliWithBox {
protected:
    std::string Write(const char* name, const std::string& text) const {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }
    std::string Image() {
        const std::string path = File("image-now.bin");
        EXPECT_EQ(Box({"read", path}).status, 0);
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(CliFilterSets, ARewFileImportsIntoTheChannelAndSoundsAsTheFileSays) {
    const std::string rew = Write("rew.txt", RewFile(kTwentyPeaking));
    const Result r = Box({"eq-import", "--channel", "CH2", rew});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 24u) << r.out;
    EXPECT_EQ(lines[0], "Imported " + rew + " (REW filter settings) into CH2:");
    // The shelf's bands, fitted below its 80 Hz, come first.
    size_t shelf = 0;
    while (lines[1 + shelf].ends_with("  line 15, part of a low shelf")) ++shelf;
    ASSERT_GE(shelf, 1u) << r.out;
    auto band = [&](size_t n) { return lines[n + shelf].substr(std::string("  band nn").size()); };
    EXPECT_EQ(band(1), "     32 Hz   +4.50 dB  Q 3.00 (file Q 1.000)  line 10");
    EXPECT_EQ(band(3), "     63 Hz   +6.00 dB  Q 4.50 (file Q 1.500)  line 13");
    EXPECT_EQ(band(19), "  20000 Hz   -3.00 dB  Q 3.00 (file Q 1.000)  line 12; held, see below");
    EXPECT_EQ(lines[20 + shelf], "  Bands " + std::to_string(20 + shelf) +
                                     "..31 are set to 0 dB and keep their frequency and Q.");
    const std::string approximated = "  line 15 (a low shelf, LS): approximated by " + std::to_string(shelf) +
                                     (shelf == 1 ? " band\n" : " bands\n");
    for (const std::string& said :
         {std::string("  line 12: Filter  3: ON  PK      Fc   25000 Hz  Gain  -3.00 dB  Q  1.000\n"
                      "    Fc 25000 Hz asked, 20000 Hz held\n"),
          "The box has no shelf or graphic EQ filter; peaking bands fitted to the file's curve stand in:\n" +
              approximated + "  The channel's bands follow the file's curve within 0.",
          std::string("  line 16 (switched off): Filter  7: OFF PK"), std::string("Sent to the box.\n")})
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\nin\n" << r.out;

    // The box holds 20000 Hz where the file asked 25000 Hz.
    const Result curve = Box({"curve", "--channel", "CH2"});
    ASSERT_EQ(curve.status, 0) << curve.err;
    const auto points = Lines(curve.out);
    ASSERT_EQ(points.size(), 1026u);
    double worst = 0, deepest = 0, highest = 0;
    for (size_t i = 2; i < points.size(); ++i) {
        double hz, db;
        ASSERT_EQ(std::sscanf(points[i].c_str(), "%lf %lf", &hz, &db), 2) << points[i];
        // The shelf as its code means it: no Q, no slope, so S = 0.9 at its
        // midpoint (see TextbookShelf.h).
        double expected = caraudio::test::TextbookShelfLine{"LS", 0, 80, 4.0, 0}.Db(hz);
        for (const RewFilter& f : kTwentyPeaking)
            if (std::string(f.state) == "ON" && std::string(f.type) == "PK")
                expected += caraudio::test::TextbookPeakingDb(std::min(f.fcHz, 20000.0), f.gainDb, f.q, hz);
        if (hz >= 20 && hz <= 20000) worst = std::max(worst, std::fabs(db - expected));
        deepest = std::min(deepest, expected);
        highest = std::max(highest, expected);
    }
    EXPECT_LT(worst, 0.5);
    EXPECT_GT(highest - deepest, 6) << "the generator made a curve worth comparing";

    // Exported and imported again into the factory settings: the same image.
    const std::string before = Box({"dump"}).out;
    const std::string exported = File("exported.txt");
    const Result written = Box({"eq-export", "--channel", "CH2", exported});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "Wrote " + std::to_string(19 + shelf) + " filters of CH2 to " + exported +
                               " (REW filter settings).\n");
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    ASSERT_NE(Box({"dump"}).out, before);
    ASSERT_EQ(Box({"eq-import", "--channel", "CH2", exported}).status, 0);
    EXPECT_EQ(Box({"dump"}).out, before);
}

TEST_F(CliFilterSets, ExportWritesTheChannelsBandsAsText) {
    // The peaking filters only: the bands then are the file's, one for one.
    std::vector<RewFilter> peaking;
    for (const RewFilter& f : kTwentyPeaking)
        if (std::string(f.type) == "PK") peaking.push_back(f);
    ASSERT_EQ(Box({"eq-import", "--channel", "CH2", Write("rew.txt", RewFile(peaking))}).status, 0);
    const Result rew = Box({"eq-export", "--channel", "ch2", "-"});
    ASSERT_EQ(rew.status, 0) << rew.err;
    const auto lines = Lines(rew.out);
    ASSERT_EQ(lines.size(), 24u) << rew.out;
    EXPECT_EQ(lines[0], "Filter Settings file");
    EXPECT_EQ(lines[5], "Filter  1: ON  PK       Fc      32 Hz  Gain   4.50 dB  Q  1.0000");
    EXPECT_EQ(lines[23], "Filter 19: ON  PK       Fc   20000 Hz  Gain  -3.00 dB  Q  1.0000");
    const Result apo = Box({"eq-export", "--format", "apo", "--channel", "CH2", "-"});
    ASSERT_EQ(apo.status, 0) << apo.err;
    EXPECT_EQ(Lines(apo.out)[2], "Filter 2: ON PK Fc 45 Hz Gain -3.25 dB Q 2.0000");
    const Result empty = Box({"eq-export", "--channel", "CH3", "-"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.err.find("every band of CH3 is at 0 dB"), std::string::npos) << empty.err;
}

TEST_F(CliFilterSets, ASectionIsChosenAndThePreampAppliedOnlyWhenAsked) {
    const std::string apo = Write("apo.txt",
                                  "Preamp: -6.5 dB\n"
                                  "Filter 1: ON PK Fc 50 Hz Gain -3.0 dB Q 10.00\n"
                                  "Channel: L\n"
                                  "Filter: ON PK Fc 1000 Hz Gain 2.0 dB Q 1.0\n"
                                  "Channel: R\n"
                                  "Filter: ON PK Fc 2000 Hz Gain -4.0 dB Q 2.0\n");
    const Result reported = Box({"eq-import", "--channel", "CH2", "--section", "r", apo});
    ASSERT_EQ(reported.status, 0) << reported.err;
    EXPECT_NE(reported.out.find("into CH2 from section R:\n"), std::string::npos) << reported.out;
    EXPECT_NE(reported.out.find("Preamp -6.50 dB: reported only"), std::string::npos) << reported.out;
    EXPECT_NE(Box({"dump"}).out.find("Volume_3 =   66(66)"), std::string::npos);
    const Result applied = Box({"eq-import", "--channel", "CH2", "--section", "R", "--apply-preamp", apo});
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(applied.out.find("Preamp -6.50 dB: applied, CH2's level 6dB -> -1dB.\n"), std::string::npos)
        << applied.out;
    EXPECT_NE(Box({"dump"}).out.find("Volume_3 =   59(59)"), std::string::npos);
    EXPECT_EQ(Box({"eq-export", "--channel", "CH2", "--format", "apo", "-"}).out,
              "# CH2 EQ bands (crossovers not included)\n"
              "Filter 1: ON PK Fc 50 Hz Gain -3.00 dB Q 10.0000\n"
              "Filter 2: ON PK Fc 2000 Hz Gain -4.00 dB Q 2.0000\n");
}

TEST_F(CliFilterSets, RefusedFilesChangeNothing) {
    ASSERT_EQ(Box({"set", "Box3_EQ20_Gain", "900"}).status, 0);
    const std::string image = Image();
    std::string binary;
    for (int i = 0; i < 600; ++i) binary += static_cast<char>((i * 37) % 256);
    std::vector<RewFilter> thirtyTwo;
    for (int i = 0; i < 32; ++i) thirtyTwo.push_back({"ON", "PK", 40.0 + 100 * i, -1, 1, false});
    const std::vector<RewFilter> thirty(thirtyTwo.begin(), thirtyTwo.begin() + 30);
    std::string bad = RewFile({kTwentyPeaking[0]}) + "Filter  2: ON  PK  Fc  abc Hz  Gain 1 dB  Q 1\n";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string_view> more;
        std::string said;
    } cases[] = {
        {"binary.bin",
         binary,
         {},
         "is not text but binary data; export the filters from the measurement program as text."},
        {"empty.txt", "", {}, "is empty; there are no filters to import. Nothing was changed.\n"},
        {"blank.txt", " \r\n\t\n", {}, "is empty"},
        {"measurement.txt",
         "* Measurement data measured by REW V5.20\n* Freq(Hz) SPL(dB) Phase(degrees)\n20.000 68.42 -12.3\n",
         {},
         "is not a filter set: it has no filter lines, and line 1 is not one:\n"
         "  * Measurement data measured by REW V5.20\nChoose REW filter settings, an Equalizer APO "
         "configuration or "
         "an AutoEQ ParametricEQ.txt. Nothing was changed.\n"},
        {"bad-line.txt",
         bad,
         {},
         "cannot be read as a filter set: line 11 (a number that cannot be read):\n"
         "  Filter  2: ON  PK  Fc  abc Hz  Gain 1 dB  Q 1\nCorrect that line in a text editor, or export the "
         "filters again. Nothing was changed.\n"},
        {"sections.txt",
         "Channel: L\nFilter: ON PK Fc 50 Hz Gain 1 dB Q 1\nChannel: R SUB\n",
         {},
         "holds filters for several channels; choose one with --section NAME (sections: L, R, SUB). Nothing "
         "was changed.\n"},
        {"sections2.txt",
         "Channel: L\nFilter: ON PK Fc 50 Hz Gain 1 dB Q 1\n",
         {"--section", "C"},
         "has no section 'C' (sections: L). Nothing was changed.\n"},
        {"plain.txt", RewFile({kTwentyPeaking[0]}), {"--section", "L"}, "has no Channel: sections"},
        {"thirty-two.txt",
         RewFile(thirtyTwo),
         {},
         "has 32 peaking filters switched on, but a channel has 31 bands. Nothing was changed.\n"},
        {"notch-only.txt",
         RewFile({{"ON", "NO", 80, 0, 0, false}, kTwentyPeaking[6]}),
         {},
         "has no filter the box can hold or follow (a peaking, high-pass, low-pass or shelf filter or a "
         "graphic "
         "EQ curve, switched on). Nothing was changed.\nNot imported:\n  line 10 (a notch; the box has no "
         "notch "
         "filter)"},
        {"shelves-too-many.txt",
         RewFile(thirty) + "Filter 31: ON  LS 12dB   Fc   200 Hz  Gain -12.00 dB\n"
                           "Filter 32: ON  HS 6dB    Fc  5000 Hz  Gain  12.00 dB\n",
         {},
         "needs more bands than the 1 its peaking filters leave to follow its shelves and curves (line 40, "
         "line 41) within 0.5 dB; the closest came to "},
        {"no-shelf.txt",
         RewFile({kTwentyPeaking[0]}) + "Filter  2: ON  LS       Gain   3.00 dB\n",
         {},
         "has a shelf that describes no filter on line 11; a shelf needs Fc, a gain and a positive Q or a "
         "slope its gain allows:\n  Filter  2: ON  LS       Gain   3.00 dB\nNothing was changed.\n"},
        {"huge.txt",
         std::string(1048577, ' '),
         {},
         "is larger than 1048576 bytes; a filter set is a small text file. Nothing was changed.\n"},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, c.text);
        std::vector<std::string_view> args = {"eq-import", "--channel", "CH2"};
        args.insert(args.end(), c.more.begin(), c.more.end());
        args.push_back(path);
        const Result r = Box(args);
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(path + " " + c.said), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_TRUE(Image() == image) << c.name << " changed the box";
    }
    const Result folder = Box({"eq-import", "--channel", "CH2", dir_.string()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err,
              "caraudio-cli: " + dir_.string() + " is not a regular file (a folder). Nothing was changed.\n");
}

// REW from a decimal-comma locale: a no-break space groups 1 066 Hz, a dot
// groups 8.000 Hz.
const std::string kNorwegianRew =
    "Filter Settings file\r\n\r\nRoom EQ V5,01\r\nDated: 8. jan. 2025 kl. 11:32:39\r\n\r\n"
    "Notes: Måling i stua\r\n\r\nEqualiser: Generic\r\nRMS Average\r\n"
    "Filter  1: ON  PK       Fc   63,8 Hz  Gain  -5,0 dB  Q  8,06\r\n"
    "Filter  2: ON  PK       Fc  1\u00A0066 Hz  Gain   3,0 dB  Q  2,00\r\n"
    "Filter  3: ON  PK       Fc   8.000 Hz  Gain  -2,5 dB  Q  1,50\r\n"
    "Filter  4: ON  None\r\n";

TEST_F(CliFilterSets, FilesFromOtherLocalesAndEncodingsImport) {
    for (const auto& [name, bytes] : {std::pair{"utf8.txt", kNorwegianRew},
                                      {"latin1.txt", test::Latin1(kNorwegianRew)},
                                      {"utf16le.txt", Utf16WithMark(kNorwegianRew)},
                                      {"utf16be.txt", Utf16WithMark(kNorwegianRew, true)}}) {
        const std::string path = Write(name, bytes);
        const Result r = Box({"eq-import", "--channel", "CH2", path});
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        const auto lines = Lines(r.out);
        ASSERT_GE(lines.size(), 5u) << r.out;
        EXPECT_EQ(lines[0], "Imported " + path + " (REW filter settings) into CH2:") << name;
        EXPECT_EQ(lines[1],
                  "  band  1     64 Hz   -5.00 dB  Q 24.2 (file Q 8.067)  line 10; rounded from 63.8 Hz, "
                  "file Q 8.06")
            << name;
        EXPECT_EQ(lines[2], "  band  2   1066 Hz   +3.00 dB  Q 6.00 (file Q 2.000)  line 11") << name;
        EXPECT_EQ(lines[3], "  band  3   8000 Hz   -2.50 dB  Q 4.50 (file Q 1.500)  line 12") << name;
    }
}

TEST_F(CliFilterSets, RewTableExportImports) {
    const std::string header =
        "Number, Enabled, Control, Type, Frequency(Hz), Gain(dB), Q, Bandwidth(Hz), TargetT60(ms), Shape, "
        "Slope_dB/oct, Frequency2(Hz), _Q2_, Slope2_dB/oct,\n";
    const std::string comma = "Notes:\n\nEqualiser: Generic\n\n" + header +
                              "1, True, Auto, PK, 49.85, 3.00, 4.505, 11.07,\n"
                              "2, False, Manual, PK, 120.0, -2.00, 2.000, 60.00,\n"
                              "3, True, Manual, LS, 105.0, 4.00,\n"
                              "4, True, Auto, None,\n";
    std::string spaced = comma;
    for (size_t at = spaced.find(", "); at != std::string::npos; at = spaced.find(", ", at))
        spaced.replace(at, 2, "  ");
    for (size_t at = spaced.find(",\n"); at != std::string::npos; at = spaced.find(",\n", at))
        spaced.erase(at, 1);
    for (const auto& [name, text] : {std::pair{"table-commas.txt", comma}, {"table-spaces.txt", spaced}}) {
        const std::string path = Write(name, text);
        const Result r = Box({"eq-import", "--channel", "CH2", path});
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(Lines(r.out)[0], "Imported " + path + " (REW filter table) into CH2:") << name;
        for (const char* said :
             {"  band  2     50 Hz   +3.00 dB  Q 13.5 (file Q 4.500)  line 6; rounded from 49.85 Hz, file Q "
              "4.505\n",
              "  line 7 (switched off): 2", "  line 8 (a low shelf, LS): approximated by 1 band\n"})
            EXPECT_NE(r.out.find(said), std::string::npos) << name << ": " << said << "\nin\n" << r.out;
    }
}

TEST_F(CliFilterSets, ConfigurationsImportWhatTheBoxHoldsAndListTheRest) {
    std::filesystem::create_directories(dir_ / "cfg" / "sub");
    std::ofstream(dir_ / "cfg" / "config.txt") << "Device: Speakers\n"
                                                  "Eval: g = 1\n"
                                                  "Copy: L=R\n"
                                                  "Include: sub/room.txt\n"
                                                  "Include: missing.txt\n"
                                                  "Filter: ON IIR Order 2 Coefficients 1 0 0 1 0 0\n"
                                                  "Filter: ON Modal Fc 45 Hz Gain -6 dB Q 8\n"
                                                  "Filter: ON NO Fc 60 Hz\n"
                                                  "Filter: ON AP Fc 300 Hz Q 0.7\n"
                                                  "Filter: ON HPQ Fc 40 Hz Q 2.5\n"
                                                  "Filter: ON LP Fc 2000 Hz\n";
    std::ofstream(dir_ / "cfg" / "sub" / "room.txt") << "Filter: ON PK Fc 63 Hz Gain -4 dB Q 5\n"
                                                        "Include: ../config.txt\n";
    const std::string config = (dir_ / "cfg" / "config.txt").string();
    const Result r = Box({"eq-import", "--channel", "CH2", config});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string missing = (dir_ / "cfg" / "missing.txt").lexically_normal().generic_string();
    for (const std::string& said :
         {std::string("  band  1     63 Hz   -4.00 dB  Q 15.0 (file Q 5.000)  line 1 of sub/room.txt\n"),
          std::string("Low-pass (line 11): "),
          std::string("  line 1 (a configuration line; the box has nothing for it): Device: Speakers\n"),
          std::string("  line 2 (a configuration line; the box has nothing for it): Eval: g = 1\n"),
          std::string("  line 3 (a configuration line; the box has nothing for it): Copy: L=R\n"),
          "  line 2 of sub/room.txt (the file includes itself: " + config + "): Include: ../config.txt\n",
          "  line 5 (the included file is missing: " + missing + "): Include: missing.txt\n",
          std::string("  line 6 (IIR: not a filter the box has): "),
          std::string("  line 7 (Modal: not a filter"),
          std::string("  line 8 (a notch; the box has no notch filter)"),
          std::string("  line 9 (an all-pass; the box has no all-pass filter)"),
          std::string("  line 10 (no crossover type of the box comes close to it (")})
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\nin\n" << r.out;

    // A file of nothing but includes that cannot be read says where its
    // filters are.
    const std::string only = Write("only-includes.txt", "Include: seat-left.txt\nInclude: seat-right.txt\n");
    const std::string image = Image();
    const Result refused = Box({"eq-import", "--channel", "CH2", only});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(only +
                               " keeps its filters in the files it includes, and none of them could be "
                               "read. Nothing was changed.\nNot imported:\n  line 1 (the included file is "
                               "missing: " +
                               File("seat-left.txt")),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(Image() == image);
}

// Whatever the program writes, it reads back to the same image: a flat
// channel, and bands with gain anywhere, not in frequency order.
TEST_F(CliFilterSets, OwnExportsImportBackToTheSameImage) {
    for (const char* format : {"rew", "apo"}) {
        const std::string flat = File("flat.txt");
        ASSERT_EQ(Box({"eq-export", "--channel", "CH2", "--format", format, flat}).status, 0);
        const std::string before = Image();
        const Result r = Box({"eq-import", "--channel", "CH2", flat});
        ASSERT_EQ(r.status, 0) << format << ": " << r.err;
        EXPECT_NE(r.out.find("  No peaking filters: every band is set to 0 dB.\n"), std::string::npos)
            << r.out;
        EXPECT_TRUE(Image() == before) << format;
    }
    for (const auto& [param, raw] : {std::pair{"Box3_EQ20_Gain", "900"},
                                     {"Box3_EQ5_Gain", "-450"},
                                     {"Box3_EQ30_Gain", "1250"},
                                     {"Box3_EQ12_Gain", "-1"}})
        ASSERT_EQ(Box({"set", param, raw}).status, 0);
    const std::string shaped = Image();
    for (const char* format : {"rew", "apo"}) {
        const std::string file = File("shaped.txt");
        ASSERT_EQ(Box({"eq-export", "--channel", "CH2", "--format", format, file}).status, 0);
        const Result r = Box({"eq-import", "--channel", "CH2", file});
        ASSERT_EQ(r.status, 0) << format << ": " << r.err;
        EXPECT_NE(r.out.find("  The other 27 bands are set to 0 dB and keep their frequency and Q.\n"),
                  std::string::npos)
            << r.out;
        EXPECT_TRUE(Image() == shaped) << format;
    }

    // More filters than REW's Generic equaliser holds: written, and said.
    for (int b = 0; b < 22; ++b) {
        const std::string param = "Box3_EQ" + std::to_string(b) + "_Gain";
        ASSERT_EQ(Box({"set", param, "100"}).status, 0) << param;
    }
    const Result many = Box({"eq-export", "--channel", "CH2", File("many.txt")});
    EXPECT_EQ(many.status, 0);
    EXPECT_NE(
        many.err.find("the file has 23 filters; REW up to V5.19 holds 20 in its Generic equaliser and leaves "
                      "the rest out.\n"),
        std::string::npos)
        << many.err;
    EXPECT_EQ(Box({"eq-export", "--channel", "CH2", "--format", "apo", File("many-apo.txt")}).err, "");
}

// A door speaker at the listening position, as a measuring program exports
// it ("freq spl phase", 48 points per octave): second-order roll-offs at
// 50 Hz and 14 kHz, cabin lift below about 70 Hz, cabin peaks and dips of a
// few dB and a ripple of 0.3 dB.
std::string CarMeasurement(double fromHz = 20, double toHz = 20000) {
    const double pi = std::acos(-1.0);
    auto secondOrderDb = [](double ratio) {  // a Butterworth low-pass at ratio = f/fc
        return -10 * std::log10(std::pow(1 - ratio * ratio, 2) + 2 * ratio * ratio);
    };
    const struct {
        double hz, db, q;
    } modes[] = {{95, 4, 4}, {180, -3, 3}, {420, 3, 2}, {1100, -4, 2.5}, {2600, 3.5, 3}, {6500, -3, 2}};
    std::ostringstream text;
    text << "* Measurement data\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = fromHz; hz <= toHz * 1.0001; hz *= std::pow(2.0, 1.0 / 48)) {
        double db = 84 + secondOrderDb(50 / hz) + secondOrderDb(hz / 14000) + 6 / (1 + std::pow(hz / 70, 2));
        for (const auto& m : modes) db += test::TextbookPeakingDb(m.hz, m.db, m.q, hz);
        db += 0.3 * std::sin(2 * pi * 3 * std::log2(hz));
        text << hz << ' ' << db << " 0\n";
    }
    return text.str();
}

struct PrintedBand {
    int freq, gain, q;  // as the box's fields hold them: Hz, 0.01 dB, 300 x the file's Q
    bool operator==(const PrintedBand&) const = default;
};

// The filter lines of REW filter-settings text.
std::vector<PrintedBand> PrintedBands(const std::string& text) {
    std::vector<PrintedBand> bands;
    for (const std::string& line : Lines(text)) {
        int n;
        double fc, gain, q;
        if (std::sscanf(line.c_str(), "Filter %d: ON PK Fc %lf Hz Gain %lf dB Q %lf", &n, &fc, &gain, &q) !=
            4)
            continue;
        bands.push_back({static_cast<int>(std::lround(fc)), static_cast<int>(std::lround(gain * 100)),
                         static_cast<int>(std::lround(q * 300))});
    }
    return bands;
}

// A raw field as `dump` prints it, signed.
int DumpedField(const std::string& dump, const std::string& name) {
    const std::string key = " " + name + " =";
    const size_t at = dump.find(key);
    if (at == std::string::npos) return INT32_MIN;
    const size_t open = dump.find('(', at);
    return std::atoi(dump.c_str() + open + 1);
}

// Block 3 (CH2)'s bands that carry a gain, in band order.
std::vector<PrintedBand> BoxBands(const std::string& dump) {
    std::vector<PrintedBand> bands;
    for (int b = 0; b < 31; ++b) {
        const std::string field = "Box3_EQ" + std::to_string(b) + "_";
        const int gain = DumpedField(dump, field + "Gain");
        if (gain != 0)
            bands.push_back({DumpedField(dump, field + "Freq"), gain, DumpedField(dump, field + "Q")});
    }
    return bands;
}

TEST_F(CliWithBox, AutoEqFitsTheChannelAndTheBoxHoldsWhatItPrints) {
    const std::string measured = File("door.txt");
    std::ofstream(measured) << CarMeasurement();
    const struct {
        const char* name;
        std::vector<std::string_view> options;
        int loHz, hiHz;
        double boostDb;
        int bands;
    } cases[] = {
        // 0: the channel's band, found from the curve's own roll-offs (its
        // -3 dB points: the 14 kHz low-pass's corner, and below the 50 Hz
        // high-pass's corner where the cabin gain holds it up).
        {"flat", {}, 0, 0, 6, 31},
        {"house", {"--target", "house:6@80,-1.5"}, 0, 0, 6, 31},
        {"narrow",
         {"--range", "100-8000", "--max-boost", "+2.5", "--bands", "6", "--smoothing", "1/6"},
         100,
         8000,
         2.5,
         6},
        {"narrow, written LO..HI", {"--range", "100..8000", "--bands", "6"}, 100, 8000, 6, 6},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Box({"recall", "9"}).status, 0);
        std::vector<std::string_view> args{"autoeq", "--channel", "CH2", "--measurement", measured};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::vector<std::string_view> dry = args;
        dry.push_back("--dry-run");

        const std::string before = Box({"dump"}).out;
        const Result shown = Box(dry);
        ASSERT_EQ(shown.status, 0) << c.name << ": " << shown.err;
        EXPECT_EQ(Box({"dump"}).out, before) << c.name << ": a dry run changes nothing";
        EXPECT_NE(shown.out.find("* Dry run: nothing was sent to the box.\n"), std::string::npos) << c.name;

        int lo = 0, hi = 0;
        double rmsBefore = 0, rmsAfter = 0;
        bool rmsLine = false;
        for (const std::string& line : Lines(shown.out))
            rmsLine = rmsLine || std::sscanf(line.c_str(),
                                             "* RMS error over %d..%d Hz after 1/6-octave smoothing: before "
                                             "%lf dB, after %lf dB",
                                             &lo, &hi, &rmsBefore, &rmsAfter) == 4;
        ASSERT_TRUE(rmsLine) << c.name << ":\n" << shown.out;
        if (c.loHz > 0) {
            EXPECT_EQ(lo, c.loHz) << c.name;
            EXPECT_EQ(hi, c.hiHz) << c.name;
        } else {
            EXPECT_GE(lo, 25) << c.name;
            EXPECT_LE(lo, 50) << c.name;
            EXPECT_GE(hi, 13000) << c.name;
            EXPECT_LE(hi, 15000) << c.name;
            EXPECT_NE(shown.out.find("(auto, the channel's band), " + std::to_string(lo) +
                                     " Hz: the speaker's own roll-off (3 dB under its level); " +
                                     std::to_string(hi) + " Hz: the speaker's own roll-off"),
                      std::string::npos)
                << shown.out;
        }
        EXPECT_LT(rmsAfter, 1.5) << c.name;
        EXPECT_LT(rmsAfter, rmsBefore) << c.name;

        const std::vector<PrintedBand> printed = PrintedBands(shown.out);
        ASSERT_FALSE(printed.empty()) << c.name << ":\n" << shown.out;
        EXPECT_LE(printed.size(), static_cast<size_t>(c.bands)) << c.name;
        for (const PrintedBand& b : printed) {
            EXPECT_LE(b.gain, std::lround(c.boostDb * 100)) << c.name << " " << b.freq << " Hz";
            EXPECT_NE(b.gain, 0) << c.name << ": only bands with a gain are printed";
            EXPECT_GE(b.freq, lo) << c.name;
            EXPECT_LE(b.freq, hi) << c.name;
            EXPECT_GE(b.q, 40) << c.name;
            EXPECT_LE(b.q, 12800) << c.name;
        }
        // Comment lines first: the text reads back as a filter set.
        const std::string printedFile = File("printed.txt");
        std::ofstream(printedFile) << shown.out;
        const Result imported = Box({"eq-import", "--channel", "CH3", printedFile});
        EXPECT_EQ(imported.status, 0) << c.name << ": " << imported.err;
        EXPECT_NE(imported.out.find("(REW filter settings)"), std::string::npos) << c.name;

        const Result sent = Box(args);
        ASSERT_EQ(sent.status, 0) << c.name << ": " << sent.err;
        EXPECT_NE(sent.out.find("* Sent to CH2 in the box.\n"), std::string::npos) << c.name;
        EXPECT_EQ(PrintedBands(sent.out), printed) << c.name << ": the same fit again";
        EXPECT_EQ(BoxBands(Box({"dump"}).out), printed) << c.name;
    }
}

// A tweeter rolling off at 1.2 kHz (an analog second-order high-pass, Q
// 0.8), 48 points per octave from 300 Hz, measured alone, through CH2's
// Linkwitz-Riley 24 dB/oct high-pass at 3 kHz (two textbook Butterworth
// sections), or through that and a -4.5 dB band at 5 kHz, Q 1.5.
std::string TweeterMeasurement(bool crossover, bool band) {
    std::ostringstream text;
    text << "* Freq(Hz) SPL(dB)\n";
    for (double hz = 300; hz <= 20000; hz *= std::pow(2.0, 1.0 / 48)) {
        const std::complex<double> s(0, hz / 1200);
        double db = 88 + 20 * std::log10(std::abs(s * s / (s * s + s / 0.8 + 1.0)));
        if (crossover) db += 2 * test::TextbookPassDb(true, 3000, 1 / std::sqrt(2.0), hz);
        if (band) db += test::TextbookPeakingDb(5000, -4.5, 1.5, hz);
        text << hz << ' ' << db << '\n';
    }
    return text.str();
}

constexpr int kPredictedColumn = 2;

TEST_F(CliWithBox, MeasuredWithTakesOutWhatPlayedWhileMeasuring) {
    const struct {
        const char* name;
        const char* value;
        std::string measurement;
    } takes[] = {{"alone", "flat", TweeterMeasurement(false, false)},
                 {"through the crossover", "crossovers", TweeterMeasurement(true, false)},
                 {"through the crossover and the band", "current", TweeterMeasurement(true, true)}};
    for (const auto& [name, value] : std::vector<std::pair<const char*, const char*>>{
             {"Box3_HFliter_Type_Xoct", "131"},  // Linkwitz 24 dB/oct
             {"Box3_HFliter_Freq", "3000"},
             {"Box3_LFliter_Type_Xoct", "8"},  // off
             {"Box3_EQ20_Freq", "5000"},
             {"Box3_EQ20_Q", "450"},
             {"Box3_EQ20_Gain", "65086"}})  // -4.5 dB
        ASSERT_EQ(Box({"set", name, value}).status, 0) << name;
    const std::string alone = File("alone.txt");
    std::ofstream(alone) << takes[0].measurement;
    const auto expected =
        PrintedColumn(Box({"curve", "--channel", "CH2", "--measurement", alone}).out, kPredictedColumn);
    ASSERT_GT(expected.size(), 500u);
    const std::string said[] = {
        "* Measured with: flat (the speaker alone: nothing of CH2's settings is taken out of the "
        "measurement)\n",
        "* Measured with: crossovers (CH2's crossovers in the box now, high-pass 3000Hz Linkwitz 24dB/Oct, "
        "low-pass off, taken out of the measurement)\n",
        "* Measured with: current (CH2's EQ and crossovers in the box now, bands with gain: 1, high-pass "
        "3000Hz "
        "Linkwitz 24dB/Oct, low-pass off, taken out of the measurement; its level ",
    };
    for (size_t t = 0; t < std::size(takes); ++t) {
        const std::string file = File("take.txt");
        std::ofstream(file) << takes[t].measurement;
        const Result r =
            Box({"curve", "--channel", "CH2", "--measurement", file, "--measured-with", takes[t].value});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(said[t]), std::string::npos) << r.out.substr(0, 600);
        const auto got = PrintedColumn(r.out, kPredictedColumn);
        ASSERT_EQ(got.size(), expected.size()) << takes[t].name;
        double worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::abs(got[i].second - expected[i].second));
        EXPECT_LT(worst, 0.05) << takes[t].name;

        // The fit sees the speaker alone: the same error before and after.
        const auto rms = [](const std::string& out) {
            double before = NAN, after = NAN;
            for (const std::string& line : Lines(out))
                std::sscanf(
                    line.c_str(),
                    "* RMS error over %*d..%*d Hz after 1/6-octave smoothing: before %lf dB, after %lf dB",
                    &before, &after);
            return std::pair{before, after};
        };
        const Result fitted = Box({"autoeq", "--channel", "CH2", "--measurement", file, "--measured-with",
                                   takes[t].value, "--dry-run"});
        ASSERT_EQ(fitted.status, 0) << fitted.err;
        EXPECT_NE(fitted.out.find(said[t]), std::string::npos) << fitted.out.substr(0, 600);
        const Result fittedAlone = Box({"autoeq", "--channel", "CH2", "--measurement", alone, "--dry-run"});
        const auto [before, after] = rms(fitted.out);
        const auto [aloneBefore, aloneAfter] = rms(fittedAlone.out);
        EXPECT_NEAR(before, aloneBefore, 0.05) << takes[t].name << "\n" << fitted.out;
        EXPECT_NEAR(after, aloneAfter, 0.1) << takes[t].name << "\n" << fitted.out;
    }
    // Not said: taken as flat, so what played counts twice.
    const Result unsaid = Box({"curve", "--channel", "CH2", "--measurement", File("take.txt")});
    EXPECT_NE(unsaid.out.find(said[0]), std::string::npos);
    double twice = 0;
    const auto counted = PrintedColumn(unsaid.out, kPredictedColumn);
    for (size_t i = 0; i < counted.size() && i < expected.size(); ++i)
        twice = std::max(twice, std::abs(counted[i].second - expected[i].second));
    EXPECT_GT(twice, 3);

    for (const char* command : {"curve", "autoeq"}) {
        const Result r =
            Box({command, "--channel", "CH2", "--measurement", alone, "--measured-with", "crossover"});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.err.find("--measured-with takes flat, crossovers or current."), std::string::npos)
            << r.err;
        EXPECT_TRUE(r.out.empty()) << command;
    }
    const Result lone = Box({"curve", "--measured-with", "current"});
    EXPECT_EQ(lone.status, 1);
    EXPECT_NE(lone.err.find("--measured-with go with --measurement FILE"), std::string::npos) << lone.err;
}

// Points from fromHz to toHz exactly, 48 to the octave, at `db`, as a
// measuring program writes a curve it has only in part.
std::string PartialCurve(double fromHz, double toHz, double db) {
    std::ostringstream text;
    text << "* Freq(Hz) SPL(dB)\n";
    const int steps = std::max(2, static_cast<int>(std::ceil(48 * std::log2(toHz / fromHz))));
    for (int i = 0; i <= steps; ++i)
        text << fromHz * std::pow(toHz / fromHz, double(i) / steps) << ' ' << db << '\n';
    return text.str();
}

bool SaysNan(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("nan") != std::string::npos;
}

// A target or a measurement over part of the range: the fit keeps to what
// both cover and says so; what shares less than an octave is not fitted.
TEST_F(CliWithBox, AutoEqKeepsToWhereTheMeasurementAndTheTargetHaveLevels) {
    const std::string door = File("door.txt"), target = File("mid-target.txt"), narrow = File("narrow.txt");
    std::ofstream(door) << CarMeasurement();
    std::ofstream(target) << PartialCurve(500, 2000, 75);
    std::ofstream(narrow) << PartialCurve(900, 1100, 82);

    const Result r = Box(
        {"autoeq", "--channel", "CH2", "--measurement", door, "--target", target, "--range", "40..16000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(SaysNan(r.out)) << r.out;
    // The car's curve runs in 1/48 octaves from 20 Hz to the last step below 20 kHz, 19897 Hz.
    EXPECT_NE(r.out.find("* Only 500..2000 Hz of the range 40..16000 Hz was fitted: " + door +
                         " covers 20..19897 Hz and the target " + target + " 500..2000 Hz.\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("onto the target over 500..2000 Hz (as much of 200..2000 Hz as both cover)\n"),
              std::string::npos)
        << r.out;
    double before = 0, after = 0;
    int used = -1;
    for (const std::string& line : Lines(r.out)) {
        std::sscanf(line.c_str(),
                    "* RMS error over 500..2000 Hz after 1/6-octave smoothing: before %lf dB, after %lf dB",
                    &before, &after);
        std::sscanf(line.c_str(), "* Bands used: %d", &used);
    }
    EXPECT_GT(before, after);
    EXPECT_GT(after, 0);
    const std::vector<PrintedBand> printed = PrintedBands(r.out);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(used, static_cast<int>(printed.size())) << "bands used are the bands with a gain";
    for (const PrintedBand& b : printed) {
        EXPECT_GE(b.freq, 500);
        EXPECT_LE(b.freq, 2000);
    }
    EXPECT_EQ(BoxBands(Box({"dump"}).out), printed);

    // 900..1100 Hz is levelled over just that, and is too little to fit.
    const Result curve = Box({"curve", "--channel", "CH2", "--measurement", narrow});
    ASSERT_EQ(curve.status, 0) << curve.err;
    EXPECT_NE(
        curve.out.find("moved -82.00 dB onto the target over 900..1100 Hz (as much of 200..2000 Hz as both "
                       "cover)\n"),
        std::string::npos)
        << curve.out;
    const std::string before2 = Box({"dump"}).out;
    const Result refused = Box({"autoeq", "--channel", "CH2", "--measurement", narrow});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "caraudio-cli: " + narrow +
                  " covers 900..1100 Hz and the target every frequency: of CH2's band "
                  "they share only 900..1100 Hz, less than an octave; there is too little to fit. "
                  "Nothing was changed.\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(Box({"dump"}).out, before2) << "nothing was sent";
}

// A subwoofer's curve as a measuring program exports it: 90 dB in its
// band, its own second-order roll-offs at 30 and 80 Hz (Q 0.7), cabin modes.
std::string SubMeasurement() {
    std::ostringstream text;
    text << "* Freq(Hz) SPL(dB)\n";
    for (double hz = 15; hz <= 20000; hz *= std::pow(2.0, 1.0 / 48)) {
        const double lo = 30 / hz, hi = hz / 80;
        double db = 90 - 10 * std::log10(std::pow(1 - lo * lo, 2) + 2 * lo * lo) -
                    10 * std::log10(std::pow(1 - hi * hi, 2) + 2 * hi * hi);
        db += test::TextbookPeakingDb(45, 4, 4, hz) + test::TextbookPeakingDb(62, -3, 4, hz);
        text << hz << ' ' << db << '\n';
    }
    return text.str();
}

// The mean level of a curve the way the file has it (48 points to the
// octave) over lo..hi Hz.
double MeanLevel(const std::string& curve, double lo, double hi) {
    double sum = 0;
    int n = 0;
    for (const std::string& line : Lines(curve)) {
        double hz = 0, db = 0;
        if (std::sscanf(line.c_str(), "%lf %lf", &hz, &db) == 2 && hz >= lo && hz <= hi) sum += db, ++n;
    }
    return sum / n;
}

// A door speaker: 2nd-order roll-offs at 70 Hz and 4 kHz, broad lifts at
// 120 Hz and 3 kHz that move its level over its band away from its level
// over 200..2000 Hz.
std::string DoorMeasurement() {
    std::ostringstream text;
    text << "* Freq(Hz) SPL(dB)\n";
    for (double hz = 15; hz <= 20000; hz *= std::pow(2.0, 1.0 / 48)) {
        const double lo = 70 / hz, hi = hz / 4000;
        double db = 88 - 10 * std::log10(std::pow(1 - lo * lo, 2) + 2 * lo * lo) -
                    10 * std::log10(std::pow(1 - hi * hi, 2) + 2 * hi * hi);
        db += test::TextbookPeakingDb(120, 6, 0.8, hz) + test::TextbookPeakingDb(3000, 5, 1, hz);
        text << hz << ' ' << db << '\n';
    }
    return text.str();
}

// The level is the channel's: it is printed as a trim and set only when
// asked, and only where the measurement's own reference range says
// something of it; a measurement the bands cannot improve gets no proposal.
TEST_F(CliWithBox, AutoEqPrintsTheLevelTrimAndSetsItOnlyWhenAsked) {
    const std::string sub = File("sub.txt"), door = File("door.txt"), flat = File("flat.txt");
    std::ofstream(sub) << SubMeasurement();
    std::ofstream(door) << DoorMeasurement();
    std::ofstream(flat) << PartialCurve(20, 20000, 80);
    auto volume = [&] { return DumpedField(Box({"dump"}).out, "Volume_3"); };

    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    const Result shown = Box({"autoeq", "--channel", "CH2", "--measurement", door, "--dry-run"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    int refLo = 0, refHi = 0, step = 0;
    double trim = 0;
    for (const std::string& line : Lines(shown.out)) {
        std::sscanf(line.c_str(), "* Reference: the level is set against the target over %d..%d Hz", &refLo,
                    &refHi);
        std::sscanf(line.c_str(), "* Level trim: %lf dB, volume step %d", &trim, &step);
    }
    // The measurement is first set onto the target over 200..2000 Hz; over
    // where it plays fully it then lies this far off, the lifts pulling it
    // up.
    ASSERT_GT(refHi, refLo) << shown.out;
    EXPECT_LE(refLo, 140) << shown.out;
    EXPECT_GE(refHi, 2000) << shown.out;
    const std::string curve = DoorMeasurement();
    const double expected = MeanLevel(curve, 200, 2000) - MeanLevel(curve, refLo, refHi);
    EXPECT_LT(expected, -0.5) << "the case must have a trim to find";
    EXPECT_NEAR(trim, expected, 0.3) << shown.out;
    EXPECT_EQ(step, std::lround(trim)) << shown.out;
    EXPECT_NE(shown.out.find(" against its level over 200..2000 Hz: suggested only; --apply-level sets it\n"),
              std::string::npos)
        << shown.out;

    const Result sent = Box({"autoeq", "--channel", "CH2", "--measurement", door});
    ASSERT_EQ(sent.status, 0) << sent.err;
    const int compensated = volume();
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    const Result levelled = Box({"autoeq", "--channel", "CH2", "--measurement", door, "--apply-level"});
    ASSERT_EQ(levelled.status, 0) << levelled.err;
    EXPECT_NE(levelled.out.find(": applied with the bands\n"), std::string::npos) << levelled.out;
    EXPECT_EQ(volume(), std::max(0, compensated + step)) << levelled.out;
    EXPECT_EQ(PrintedBands(levelled.out), PrintedBands(sent.out));
    EXPECT_EQ(BoxBands(Box({"dump"}).out), PrintedBands(sent.out));

    // A sub has only its roll-off in 200..2000 Hz: against that it would be
    // turned down by some 20 dB, so it gets no trim and --apply-level leaves
    // its level to the bands' gain compensation.
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    const Result subAlone = Box({"autoeq", "--channel", "CH2", "--measurement", sub});
    ASSERT_EQ(subAlone.status, 0) << subAlone.err;
    const int subCompensated = volume();
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    const Result subLevelled = Box({"autoeq", "--channel", "CH2", "--measurement", sub, "--apply-level"});
    ASSERT_EQ(subLevelled.status, 0) << subLevelled.err;
    EXPECT_NE(subLevelled.out.find("* Level trim: none: the measurement's level was set over 200..2000 Hz, "
                                   "where CH2 hardly plays, so it says nothing of the channel's level; "
                                   "--apply-level changes nothing\n"),
              std::string::npos)
        << subLevelled.out;
    EXPECT_EQ(volume(), subCompensated) << subLevelled.out;
    EXPECT_EQ(PrintedBands(subLevelled.out), PrintedBands(subAlone.out));

    // Flat already: nothing to propose, nothing sent.
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    const std::string before = Box({"dump"}).out;
    const Result unchanged = Box({"autoeq", "--channel", "CH2", "--measurement", flat, "--apply-level"});
    ASSERT_EQ(unchanged.status, 0) << unchanged.err;
    EXPECT_NE(
        unchanged.out.find("* No change: the fitted bands would reach 0.00 dB RMS, no better than the 0.00 "
                           "dB CH2 has now. Nothing was sent to the box.\n"),
        std::string::npos)
        << unchanged.out;
    EXPECT_TRUE(PrintedBands(unchanged.out).empty());
    EXPECT_EQ(Box({"dump"}).out, before);

    // A reference range where the measurement has no level.
    const Result noReference = Box(
        {"autoeq", "--channel", "CH2", "--measurement", sub, "--reference", "20..30", "--range", "40..80"});
    EXPECT_EQ(noReference.status, 0) << "the sub has levels there: " << noReference.err;
    const std::string part = File("part.txt");
    std::ofstream(part) << PartialCurve(100, 8000, 80);
    const Result missing =
        Box({"autoeq", "--channel", "CH2", "--measurement", part, "--reference", "20..60"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("share no level in the reference range 20..60 Hz; give another --reference"),
              std::string::npos)
        << missing.err;
}

TEST_F(CliWithBox, AutoEqRefusesWhatItCannotUseAndChangesNothing) {
    const std::string measured = File("door.txt"), midrange = File("midrange.txt"),
                      treble = File("treble.txt");
    std::ofstream(measured) << CarMeasurement();
    std::ofstream(midrange) << CarMeasurement(100, 3000);
    std::ofstream(treble) << CarMeasurement(5000, 20000);
    const std::string missing = File("missing.txt");
    const std::string before = Box({"dump"}).out;
    const struct {
        std::vector<std::string_view> args;
        int status;
        std::string says;
    } cases[] = {
        {{"--channel", "CH7", "--measurement", measured}, 2, "--channel takes CH1..CH6"},
        {{"--measurement", measured, "--bands", "4"}, 2, "say which channel to fit with --channel"},
        {{"--channel", "CH2", "--bands", "4"}, 2, "say which measurement to fit with --measurement FILE"},
        {{"--channel", "CH2", "--measurement", measured, "--range", "16000-40"},
         2,
         "--range takes auto or LO..HI"},
        {{"--channel", "CH2", "--measurement", measured, "--range", "10-16000"},
         2,
         "--range takes auto or LO..HI"},
        {{"--channel", "CH2", "--measurement", measured, "--range", "40-25000"},
         2,
         "--range takes auto or LO..HI"},
        {{"--channel", "CH2", "--measurement", measured, "--range", "40-"},
         2,
         "--range takes auto or LO..HI"},
        {{"--channel", "CH2", "--measurement", measured, "--range", "40...16000"},
         2,
         "--range takes auto or LO..HI"},
        {{"--channel", "CH2", "--measurement", measured, "--max-boost", "21"},
         2,
         "--max-boost takes 0..20 dB"},
        {{"--channel", "CH2", "--measurement", measured, "--max-boost", "-1"},
         2,
         "--max-boost takes 0..20 dB"},
        {{"--channel", "CH2", "--measurement", measured, "--max-boost", "6dB"},
         2,
         "--max-boost takes 0..20 dB"},
        {{"--channel", "CH2", "--measurement", measured, "--bands", "0"},
         2,
         "--bands takes a whole number 1..31"},
        {{"--channel", "CH2", "--measurement", measured, "--bands", "32"}, 2, "--bands takes a whole number"},
        {{"--channel", "CH2", "--measurement", measured, "--bands", "2.5"},
         2,
         "--bands takes a whole number"},
        {{"--channel", "CH2", "--measurement", measured, "--geq"}, 2, "usage: caraudio-cli autoeq --channel"},
        {{"--channel", "CH2", "--measurement", measured, "--smoothing", "1/5"},
         1,
         "--smoothing takes none, 1/48"},
        {{"--channel", "CH2", "--measurement", measured, "--target", "house:loud"}, 1, "--target takes flat"},
        {{"--channel", "CH2", "--measurement", missing}, 1, "cannot read " + missing},
        {{"--channel", "CH2", "--measurement", treble},
         1,
         treble + " covers 5000..20000 Hz and the target every frequency, so they share nothing of the "
                  "reference range 200..2000 Hz and the measurement cannot be set against the target."},
        {{"--channel", "CH2", "--measurement", midrange, "--range", "5000-16000"},
         1,
         midrange +
             " covers 100..2977 Hz and the target every frequency: they share nothing of the fit range "
             "5000..16000 Hz; there is nothing to fit. Nothing was changed."},
    };
    for (const auto& c : cases) {
        std::vector<std::string_view> args{"autoeq"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Box(args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.says;
    }
    EXPECT_EQ(Box({"dump"}).out, before) << "nothing changed";
}

TEST_F(CliScenes, AddExportDeleteImportRecall) {
    EXPECT_NE(RunCli({"scenes"}).out.find("No PC scenes"), std::string::npos);
    ASSERT_EQ(Box({"set", "MainVol", "33"}).status, 0);
    EXPECT_EQ(Box({"scene-add", "  Bass  "}).out, "Added scene 1: Bass\n");
    const Result again = Box({"scene-add", "BASS"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "caraudio-cli: A scene with the same name already exists\n");
    EXPECT_EQ(RunCli({"scene-add", "   "}).status, 3) << "no box to take the image from";
    const std::string cae = File("bass.cae");
    EXPECT_EQ(RunCli({"scene-export", "1", cae}).out, "Exporting the scene successfully\n");
    EXPECT_EQ(RunCli({"scene-delete", "1"}).out, "Deleted scene 1: Bass\n");
    EXPECT_EQ(RunCli({"scene-delete", "1"}).status, 1);
    EXPECT_EQ(RunCli({"scene-import", cae}).out, "1 scene files imported successfully.\n");
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Bass\n");
    EXPECT_EQ(RunCli({"scene-import", "--duplicates=skip", cae, File("none.cae")}).out,
              "0 scene files imported successfully.\n1 scene file reads failed:none.cae \n"
              "1 scenes have already existed：bass.cae \n");
    ASSERT_EQ(Box({"recall", "9"}).status, 0);
    EXPECT_EQ(Box({"scene-recall", "1"}).out, "Call the computer scene successfully!\n");
    EXPECT_NE(Box({"dump"}).out.find("MainVol =   33(33)"), std::string::npos);
    EXPECT_EQ(RunCli({"scene-recall", "2"}).status, 1);
}

TEST_F(CliScenes, SceneFilesSavedAsUtf16AreImported) {
    for (const bool bigEndian : {false, true}) {
        const std::string name = bigEndian ? "Big" : "Little";
        const std::string path = SceneFile("scene.cae", std::u16string(name.begin(), name.end()));
        std::string text;
        {
            std::ifstream in(path, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::ofstream(path, std::ios::binary)
            << Utf16WithMark("; saved by a Windows editor\r\n" + text, bigEndian);
        const Result r = RunCli({"scene-import", path});
        EXPECT_EQ(r.out, "1 scene files imported successfully.\n") << r.err;
    }
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Little\n  2  Big\n");
}

TEST_F(CliScenes, ScenesFromAnImageFile) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(RunCli({"scene-add", "From file", "--image", image}).out, "Added scene 1: From file\n");
    EXPECT_EQ(RunCli({"scene-add", "--image", File("missing.bin"), "x"}).status, 1);
    EXPECT_EQ(RunCli({"scene-add", "a", "b"}).status, 2);
}

// Scene files and scenes from elsewhere hold whatever their writer put
// there: values no control gives are neither stored nor sent.
TEST_F(CliScenes, ScenesOutsideTheLimitsAreRefused) {
    EffectBlock loud = DefaultEffectBlock();
    loud.Set(*FindParam(param::MainVol), 153);
    loud.Set(*FindParam(param::Delay(2)), 11612);
    const std::string cae = SceneFile("loud.cae", u"Loud", loud);
    const Result imported = RunCli({"scene-import", cae});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.out,
              "0 scene files imported successfully.\n1 scene files hold values outside what the box may be "
              "given (allowed in brackets) and were not imported: loud.cae (MainVol = 153 (0..66), Delay_2 = "
              "11612 (0..960)) \n");
    EXPECT_NE(RunCli({"scenes"}).out.find("No PC scenes"), std::string::npos);

    const std::string image = File("loud.bin");
    std::ofstream(image, std::ios::binary)
        .write(reinterpret_cast<const char*>(loud.data()), kEffectBlockSize);
    const Result added = RunCli({"scene-add", "Loud", "--image", image});
    EXPECT_EQ(added.status, 1);
    EXPECT_EQ(added.err,
              "caraudio-cli: " + image +
                  " holds 2 values outside what the box may be given (allowed in brackets); nothing "
                  "was sent:\n  MainVol = 153 (0..66)\n  Delay_2 = 11612 (0..960)\n");
    EXPECT_NE(RunCli({"scenes"}).out.find("No PC scenes"), std::string::npos);

    // config.ini edited by hand: listed, but never sent.
    std::filesystem::create_directories(std::filesystem::path(ConfigIni()).parent_path());
    std::ofstream(ConfigIni(), std::ios::binary)
        << "[PCMode]\nCount=1\n0=" << storage::EncodeHexBlock(loud.data(), kEffectBlockSize)
        << "\n[PCModeName]\n0=Edited\n";
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Edited\n");
    const std::string before = Box({"dump"}).out;
    const Result recalled = Box({"scene-recall", "1"});
    EXPECT_EQ(recalled.status, 1);
    EXPECT_EQ(recalled.err,
              "caraudio-cli: scene 1 holds 2 values outside what the box may be given (allowed in brackets); "
              "nothing was sent:\n  MainVol = 153 (0..66)\n  Delay_2 = 11612 (0..960)\n");
    EXPECT_EQ(Box({"dump"}).out, before);
}

// A name that held a line break would start a new line, or a new section,
// of config.ini: one imported file could empty the whole list.
TEST_F(CliScenes, NamesNeverBreakALineOfTheSettingsFile) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    EXPECT_EQ(RunCli({"scene-add", "Bass\nBoost", "--image", image}).out, "Added scene 1: Bass Boost\n");
    const std::string evil = SceneFile("evil.cae", u"Evil\r\n[PCMode]\r\nCount=0\x1B[2J");
    EXPECT_EQ(RunCli({"scene-import", evil}).out, "1 scene files imported successfully.\n");
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Bass Boost\n  2  Evil  [PCMode]  Count=0 [2J\n");
    const std::string ini = ReadConfigIni();
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '['), 4) << "[PCMode], [PCModeName], and the two in a name";
    EXPECT_EQ(ini.find("\nCount=0"), std::string::npos);
    EXPECT_EQ(ini.find('\x1B'), std::string::npos);
}

// The program keeps its own copy of the scenes and writes it back whole: a
// change made here meanwhile would be lost. Reading is fine.
TEST_F(CliScenes, ChangesWaitUntilTheProgramHasClosed) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    ASSERT_EQ(RunCli({"scene-add", "Kept", "--image", image}).status, 0);
    const std::string cae = File("kept.cae");
    storage::InstanceLock program((dir_ / "runtime").string());
    ASSERT_TRUE(program.TryLock());
    const std::string before = ReadConfigIni();
    const std::vector<std::vector<std::string_view>> changes = {
        {"scene-add", "New", "--image", image}, {"scene-delete", "1"}, {"scene-import", cae}};
    EXPECT_EQ(RunCli({"scene-export", "1", cae}).status, 0);
    for (const auto& change : changes) {
        const Result r = RunCli(change);
        EXPECT_EQ(r.status, 1) << change[0];
        EXPECT_EQ(r.err,
                  "caraudio-cli: the program is running and keeps its own copy of the PC scenes; close it "
                  "before changing them here.\n")
            << change[0];
        EXPECT_TRUE(r.out.empty()) << change[0];
    }
    EXPECT_EQ(RunCli({"scenes"}).out, "  1  Kept\n");
    EXPECT_TRUE(ReadConfigIni() == before) << "config.ini untouched";
    program.Release();
    EXPECT_EQ(RunCli({"scene-delete", "1"}).status, 0);
}

TEST_F(CliScenes, ASettingsFileThatCannotBeWrittenFailsEveryChange) {
    const std::string cae = SceneFile("road.cae", u"Road");
    // A folder in config.ini's place: nothing can be read or written there.
    std::filesystem::create_directories(ConfigIni());
    const std::string unreadable =
        "caraudio-cli: " + ConfigIni() +
        " is not a regular file (a folder); it is left as it is, and no change can be saved to it.\n";
    const std::string notKept =
        "caraudio-cli: " + ConfigIni() + " could not be written; the change is not kept.\n";
    const Result imported = RunCli({"scene-import", cae});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.err, unreadable + notKept);
    EXPECT_EQ(imported.out, "") << "nothing was imported";
    const Result listed = RunCli({"scenes"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, unreadable);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigIni()));
}

// A command that only reads writes nothing the program owns: a damaged
// config.ini is read as far as it can be and left as it is, whether the
// program runs or not.
TEST_F(CliScenes, ReadingCommandsLeaveADamagedSettingsFileAlone) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    const std::string damaged = DamagedSettingsHoldingFirst(image);
    const std::string cae = File("first.cae");
    const struct {
        std::vector<std::string_view> args;
        const char* out;
    } reads[] = {
        {{"scenes"}, "  1  First\n"},
        {{"scene-export", "1", cae}, "Exporting the scene successfully\n"},
        {{memory_, "scene-recall", "1"}, "Call the computer scene successfully!\n"},
    };
    const std::string said =
        "caraudio-cli: " + ConfigIni() +
        " is damaged; what could be read of it is used, and the file is left as it is.\n";
    for (const bool programRuns : {false, true}) {
        storage::InstanceLock program((dir_ / "runtime").string());
        if (programRuns) {
            ASSERT_TRUE(program.TryLock());
        }
        for (const auto& read : reads) {
            const Result r = RunCli(read.args);
            EXPECT_EQ(r.status, 0) << read.args[0] << r.err;
            EXPECT_EQ(r.out, read.out);
            EXPECT_EQ(r.err, said) << read.args[0];
            EXPECT_TRUE(ReadConfigIni() == damaged) << read.args[0] << ", program runs: " << programRuns;
            EXPECT_EQ(DataFiles(), std::set<std::string>({"config.ini", "config.ini.lock"}))
                << "nothing beside config.ini and the lock of the change that made it, after "
                << read.args[0];
        }
    }
}

// A change keeps the whole damaged file under a name of its own first; what
// could be read, with the change, is then config.ini.
TEST_F(CliScenes, AChangeKeepsTheDamagedSettingsFileAndGoesOnWithWhatWasRead) {
    const std::string image = File("image.bin");
    ASSERT_EQ(Box({"read", image}).status, 0);
    const std::string damaged = DamagedSettingsHoldingFirst(image);
    const Result r = RunCli({"scene-add", "Second", "--image", image});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Added scene 2: Second\n");
    EXPECT_EQ(r.err, "caraudio-cli: " + ConfigIni() +
                         " was damaged; what could be read of it is in use, and the whole file was kept as " +
                         ConfigIni() + ".unreadable.\n");
    std::ifstream kept(ConfigIni() + ".unreadable", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), damaged);
    const Result next = RunCli({"scenes"});
    EXPECT_EQ(next.out, "  1  First\n  2  Second\n");
    EXPECT_TRUE(next.err.empty()) << "config.ini was read whole the next time";
}

}  // namespace
}  // namespace caraudio::cli
