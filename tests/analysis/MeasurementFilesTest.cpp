// Measurement files as programs in the field write them: several curves
// side by side, summary lines after the data, decimal commas, UTF-16 and
// 8-bit code pages. Every level is 60 + 10 * column + 0.25 * row, exact in
// binary, so the numbers read tell which column and rows were taken.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Measurement.h"
#include "Utf16Text.h"

namespace caraudio::analysis {
namespace {

using storage::TextEncoding;
using test::Utf16WithMark;

// Third-octave steps from `startHz`, to two decimals as the files write them.
double RowHz(int row, double startHz = 20) {
    return std::round(startHz * std::pow(2.0, row / 3.0) * 100) / 100;
}

double Level(int column, int row) {
    return 60 + 10 * column + 0.25 * row;
}

std::string Fixed(double v, bool decimalComma = false) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    std::string s = text;
    if (decimalComma) s[s.find('.')] = ',';
    return s;
}

struct Expected {
    int column;  // whose levels; -1: the levels are given
    int rows;
    double startHz = 20;
    std::vector<std::pair<double, double>> given = {};
};

void ExpectCurve(const MeasurementRead& r, const Expected& e, const std::string& name) {
    ASSERT_EQ(r.status, MeasurementStatus::Read) << name << ": line " << r.line << " " << r.lineText;
    const auto& points = r.measurement.points;
    if (e.column < 0) {
        ASSERT_EQ(points.size(), e.given.size()) << name;
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_DOUBLE_EQ(points[i].hz, e.given[i].first) << name << " point " << i;
            EXPECT_DOUBLE_EQ(points[i].db, e.given[i].second) << name << " point " << i;
        }
        return;
    }
    ASSERT_EQ(points.size(), static_cast<size_t>(e.rows)) << name;
    for (int k = 0; k < e.rows; ++k) {
        EXPECT_DOUBLE_EQ(points[size_t(k)].hz, RowHz(k, e.startHz)) << name << " row " << k;
        EXPECT_DOUBLE_EQ(points[size_t(k)].db, Level(e.column, k)) << name << " row " << k;
    }
}

const std::vector<std::string> kResultsColumns = {
    "raw",           "error",         "smoothed",      "error_smoothed",     "equalization",
    "parametric_eq", "fixed_band_eq", "equalized_raw", "equalized_smoothed", "target"};

// The open headphone project's results: a frequency and ten curves.
std::string ResultsCsv(int rows, char separator = ',', bool decimalComma = false) {
    std::string s = "frequency";
    for (const std::string& c : kResultsColumns) s += separator + c;
    s += '\n';
    for (int k = 0; k < rows; ++k) {
        s += Fixed(RowHz(k), decimalComma);
        for (int c = 1; c <= 10; ++c) s += separator + Fixed(Level(c, k), decimalComma);
        s += '\n';
    }
    return s;
}

// A two-channel analyser's export: four quoted lines about it, then
// frequency and level of the left and right channel side by side. The right
// channel starts at 25 Hz; the curves may differ in length, the shorter one
// leaving its fields empty.
std::string AnalyserCsv(int left, int right, bool quotedNames) {
    std::string s =
        "\"Two-channel analyser export\"\n\"Date: 2025-01-08 14:02:11\"\n"
        "\"Left: front left door, Right: front right door\"\n\"Averaging: 8 frames, 1/3 octave\"\n";
    s += quotedNames ? "\"Hz\",\"dBSPL\",\"Hz\",\"dBSPL\"\n" : "Hz,dBSPL,Hz,dBSPL\n";
    for (int k = 0; k < std::max(left, right); ++k) {
        s += k < left ? Fixed(RowHz(k)) + "," + Fixed(Level(1, k)) : std::string(",");
        if (k < right)
            s += "," + Fixed(RowHz(k, 25)) + "," + Fixed(Level(2, k));
        else
            s += ",,";
        s += "\n";
    }
    return s;
}

TEST(MeasurementFiles, FilesWithSeveralCurvesGiveTheOneChosen) {
    const ColumnChoice automatic, target{"", CurveRole::Target};
    const struct {
        const char* name;
        std::string file;
        ColumnChoice choice;
        Expected expected;
        std::vector<std::string> columns;
        int column;
    } cases[] = {
        {"results: raw", ResultsCsv(12), automatic, {1, 12}, kResultsColumns, 0},
        {"results: smoothed by name", ResultsCsv(12), {"smoothed"}, {3, 12}, kResultsColumns, 2},
        {"results: a name in other letters", ResultsCsv(12), {"Error_Smoothed"}, {4, 12}, kResultsColumns, 3},
        {"results: by number", ResultsCsv(12), {"3"}, {3, 12}, kResultsColumns, 2},
        {"results as a target", ResultsCsv(12), target, {10, 12}, kResultsColumns, 9},
        {"results in a decimal-comma spreadsheet",
         ResultsCsv(12, ';', true),
         automatic,
         {1, 12},
         kResultsColumns,
         0},
        {"results with tabs and decimal commas",
         ResultsCsv(12, '\t', true),
         {"equalized_raw"},
         {8, 12},
         kResultsColumns,
         7},
        {"analyser: the left curve", AnalyserCsv(9, 9, false), automatic, {1, 9}, {"dBSPL", "dBSPL"}, 0},
        {"analyser, quoted names: the right curve",
         AnalyserCsv(9, 9, true),
         {"2"},
         {2, 9, 25},
         {"dBSPL", "dBSPL"},
         1},
        {"analyser: the longer left curve",
         AnalyserCsv(10, 6, true),
         automatic,
         {1, 10},
         {"dBSPL", "dBSPL"},
         0},
        {"analyser: the shorter right curve",
         AnalyserCsv(10, 6, true),
         {"2"},
         {2, 6, 25},
         {"dBSPL", "dBSPL"},
         1},
        {"analyser: the shorter left curve",
         AnalyserCsv(5, 11, false),
         automatic,
         {1, 5},
         {"dBSPL", "dBSPL"},
         0},
        {"analyser: the longer right curve",
         AnalyserCsv(5, 11, false),
         {"2"},
         {2, 11, 25},
         {"dBSPL", "dBSPL"},
         1},
        {"frequency, two levels and a phase",
         "Freq(Hz)\tLeft(dB)\tRight(dB)\tPhase(deg)\n20\t61\t71\t-10\n25\t62\t72\t-20\n",
         {"right(db)"},
         {-1, 0, 0, {{20, 71}, {25, 72}}},
         {"Left(dB)", "Right(dB)"},
         1},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file, {}, c.choice);
        ExpectCurve(r, c.expected, c.name);
        EXPECT_EQ(r.source.columns, c.columns) << c.name;
        EXPECT_EQ(r.source.column, c.column) << c.name;
        EXPECT_EQ(r.source.endLine, 0) << c.name;
    }
    const MeasurementRead phase = ReadMeasurement(
        "Freq(Hz)\tLeft(dB)\tRight(dB)\tPhase(deg)\n20\t61\t71\t-10\n25\t62\t72\t-20\n", {}, {"Right(dB)"});
    ASSERT_EQ(phase.status, MeasurementStatus::Read);
    EXPECT_TRUE(phase.measurement.hasPhase) << "the phase after a level is that level's";
    EXPECT_DOUBLE_EQ(phase.measurement.points[1].phaseDegrees, -20);
    EXPECT_FALSE(
        ReadMeasurement("Freq(Hz)\tLeft(dB)\tRight(dB)\tPhase(deg)\n20\t61\t71\t-10\n25\t62\t72\t-20\n")
            .measurement.hasPhase);
}

TEST(MeasurementFiles, AColumnThatIsNotThereIsRefusedNamingThoseThereAre) {
    const struct {
        const char* name;
        std::string file;
        const char* column;
        std::vector<std::string> columns;
    } cases[] = {
        {"unknown name", ResultsCsv(4), "spl", kResultsColumns},
        {"the frequency is no level", ResultsCsv(4), "frequency", kResultsColumns},
        {"number past the last", ResultsCsv(4), "11", kResultsColumns},
        {"number zero", ResultsCsv(4), "0", kResultsColumns},
        {"a second curve in a file of one", "20 60\n30 61\n", "2", {""}},
        {"a name in a file without names", "20 60\n30 61\n", "raw", {""}},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file, {}, {c.column});
        EXPECT_EQ(r.status, MeasurementStatus::NoSuchColumn) << c.name;
        EXPECT_EQ(r.source.columns, c.columns) << c.name;
        EXPECT_TRUE(r.measurement.points.empty()) << c.name;
    }
    EXPECT_EQ(ReadMeasurement("20 60\n30 61\n", {}, {"1"}).status, MeasurementStatus::Read)
        << "the one curve is number 1";
}

TEST(MeasurementFiles, DataEndAtTheFirstLineAfterThemThatIsNoPoint) {
    std::string words = "Frequency dB Unweighted\n";
    for (int k = 0; k < 6; ++k) words += Fixed(RowHz(k)) + "\t" + Fixed(Level(0, k)) + "\n";
    const struct {
        const char* name;
        std::string file;
        Expected expected;
        int endLine;
        std::string endText;
    } cases[] = {
        {"a header of words and a summary",
         words + "overall dB\t0.0 dB\nEnd of data\n1024\n",
         {0, 6},
         8,
         "overall dB\t0.0 dB"},
        {"a point count", words + "\n6\n", {0, 6}, 9, "6"},
        {"a closing line and comments",
         "* REW\n20 60\n25.2 60.25\nEnd of data\n* exported\n\n",
         {-1, 0, 0, {{20, 60}, {25.2, 60.25}}},
         4,
         "End of data"},
        {"results with a summary", ResultsCsv(5) + "Total,5 rows\n", {1, 5}, 7, "Total,5 rows"},
        {"decimal commas and a summary in words",
         "20;60\n25,2;60,25\nMittelwert;60,1 dB\n",
         {-1, 0, 0, {{20, 60}, {25.2, 60.25}}},
         3,
         "Mittelwert;60,1 dB"},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file);
        ExpectCurve(r, c.expected, c.name);
        EXPECT_EQ(r.source.endLine, c.endLine) << c.name;
        EXPECT_EQ(r.source.endText, c.endText) << c.name;
    }

    // A line that is no point amid the data is damage, not the end; and a
    // single point before a summary is no measurement.
    const struct {
        const char* name;
        std::string file;
        int line;
        const char* text;
    } refused[] = {
        {"data after the line", "20 60\n30 61\nEnd of block\n40 62\n50 63\n", 3, "End of block"},
        {"a number with a unit", "20 60\n30 61 dB\n40 62\n", 2, "30 61 dB"},
        {"one point before it", "20 60\noverall dB 0.0 dB\n", 2, "overall dB 0.0 dB"},
    };
    for (const auto& c : refused) {
        const MeasurementRead r = ReadMeasurement(c.file);
        EXPECT_EQ(r.status, MeasurementStatus::NotNumbers) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
        EXPECT_EQ(r.lineText, c.text) << c.name;
    }
}

TEST(MeasurementFiles, TheFileDecidesItsDecimalMark) {
    using P = std::vector<std::pair<double, double>>;
    const P thousands = {{20.5, 68.42}, {630, 70.25}, {1000, 70.1}, {12500.25, 65}};
    const struct {
        const char* name;
        std::string file;
        P points;
    } cases[] = {
        {"semicolons, Latin-1 no-break spaces between thousands",
         "Fr\xE9quence (Hz);Niveau (dB)\r\n20,5;68,42\r\n630;70,25\r\n1\xA0"
         "000;70,1\r\n12\xA0"
         "500,25;65\r\n",
         thousands},
        {"tabs, UTF-8 no-break spaces",
         "20,5\t68,42\t-12,3\n630\t70,25\t0\n1\xC2\xA0"
         "000\t70,1\t4,5\n12\xC2\xA0"
         "500,25\t65\t9\n",
         thousands},
        {"tabs, narrow no-break spaces",
         "20,5\t68,42\n630\t70,25\n1\xE2\x80\xAF"
         "000\t70,1\n12\xE2\x80\xAF"
         "500,25\t65\n",
         thousands},
        {"whole numbers first, the mark later",
         "20;68\n630;70,25\n1000;70,1\n",
         {{20, 68}, {630, 70.25}, {1000, 70.1}}},
        {"points with semicolons", "20.5;68.42\n630;70.25\n", {{20.5, 68.42}, {630, 70.25}}},
    };
    for (const auto& c : cases) ExpectCurve(ReadMeasurement(c.file), {-1, 0, 0, c.points}, c.name);

    const struct {
        const char* name;
        std::string file;
        MeasurementStatus status;
        int line;
    } refused[] = {
        {"a point after commas", "20,5;68\n30.5;70\n", MeasurementStatus::MixedDecimalMarks, 2},
        {"a comma after points", "20.5\t68.4\n30\t70,5\n", MeasurementStatus::MixedDecimalMarks, 2},
        {"a point as thousands separator", "20,5;68,4\n1.000;70,1\n", MeasurementStatus::MixedDecimalMarks,
         2},
        {"mixed in one line", "20.5\t68,4\n30\t70\n", MeasurementStatus::MixedDecimalMarks, 1},
        {"a group of two",
         "20;68\n1\xC2\xA0"
         "00;70\n",
         MeasurementStatus::NotNumbers, 2},
        {"a group of four",
         "20;68\n1\xC2\xA0"
         "0000;70\n",
         MeasurementStatus::NotNumbers, 2},
        {"a leading group of four",
         "20;68\n1000\xC2\xA0"
         "000;70\n",
         MeasurementStatus::NotNumbers, 2},
    };
    for (const auto& c : refused) {
        const MeasurementRead r = ReadMeasurement(c.file);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
    }
}

TEST(MeasurementFiles, TextInUtf16AndEightBitCodePagesIsRead) {
    const std::u16string rew =
        u"* Measurement data measured by a sweep program\r\n* Mikrofon: Messmikrofon, T\u00fcr vorne\r\n"
        u"* Freq(Hz) SPL(dB) Phase(degrees)\r\n20.00 60.00 -12.5\r\n25.20 60.25 -13\r\n31.75 60.50 -14\r\n";
    const std::vector<std::pair<double, double>> points = {{20, 60}, {25.2, 60.25}, {31.75, 60.5}};
    const struct {
        const char* name;
        std::string file;
        TextEncoding encoding;
    } cases[] = {
        {"UTF-16 little-endian", Utf16WithMark(rew), TextEncoding::Utf16LE},
        {"UTF-16 big-endian", Utf16WithMark(rew, true), TextEncoding::Utf16BE},
        {"Windows-1252", "* Mikrofon: T\xFCr vorne\n* Freq(Hz) SPL(dB)\n20 60\n25.2 60.25\n31.75 60.5\n",
         TextEncoding::Latin1},
        {"UTF-8 with a mark", "\xEF\xBB\xBF* T\xC3\xBCr\n20 60\n25.2 60.25\n31.75 60.5\n",
         TextEncoding::Utf8},
    };
    for (const auto& c : cases) {
        const MeasurementRead r = ReadMeasurement(c.file);
        ExpectCurve(r, {-1, 0, 0, points}, c.name);
        EXPECT_EQ(r.source.encoding, c.encoding) << c.name;
    }

    // Lines are told as the text they are, whatever the file's encoding.
    const MeasurementRead bad = ReadMeasurement(Utf16WithMark(u"20 60\r\n30 nan\r\n"));
    EXPECT_EQ(bad.status, MeasurementStatus::NotFinite);
    EXPECT_EQ(bad.line, 2);
    EXPECT_EQ(bad.lineText, "30 nan");
    EXPECT_EQ(bad.source.encoding, TextEncoding::Utf16LE);
    const MeasurementRead summary = ReadMeasurement("20 60\n30 61\nGesamtpegel: 85 dB(A), T\xFCr\n");
    EXPECT_EQ(summary.source.endText, "Gesamtpegel: 85 dB(A), T\xC3\xBCr");
    const MeasurementRead results = ReadMeasurement(Utf16WithMark(ResultsCsv(3), true), {}, {"smoothed"});
    ExpectCurve(results, {3, 3}, "UTF-16 results");

    // Bytes of no text: told as such, not as a line of garbage.
    const std::string binary(
        "\x7F"
        "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0\x3E\0",
        20);
    EXPECT_EQ(ReadMeasurement(binary).status, MeasurementStatus::NotText);
}

}  // namespace
}  // namespace caraudio::analysis
