#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "FilterSet.h"
#include "FilterSetExpectations.h"

namespace caraudio::analysis {
namespace {

const std::string kRew =
    "Filter Settings file\n"
    "\n"
    "Room EQ V5.31.3\n"
    "Dated: Jan 8, 2025 11:32:39 AM\n"
    "\n"
    "Notes:\n"
    "\n"
    "Equaliser: Generic\n"
    "RMS Average\n"
    "Filter  1: ON  PK       Fc   45.80 Hz  Gain   3.00 dB  Q  1.000\n"
    "Filter  2: ON  PK       Fc    3155 Hz  Gain  -6.50 dB  Q  4.318\n"
    "Filter  3: OFF PK       Fc     120 Hz  Gain  -2.00 dB  Q  2.000\n"
    "Filter 12: ON  None\n";

const std::string kApo =
    "# bass correction\n"
    "Preamp: -6.5 dB\n"
    "Filter 1: ON PK Fc 50 Hz Gain -3.0 dB Q 10.00\n"
    "Filter 2: ON PEQ Fc 100 Hz Gain 1.0 dB BW Oct 0.167\n"
    "Channel: L\n"
    "Filter: ON LPQ Fc 10000 Hz Q 0.400\n"
    "Channel: R\n"
    "Filter: ON HP Fc 30 Hz\n";

const std::string kAutoEq =
    "Preamp: -6.1 dB\n"
    "Filter 1: ON LSC Fc 105 Hz Gain 6.4 dB Q 0.70\n"
    "Filter 2: ON PK Fc 8865 Hz Gain 4.9 dB Q 1.30\n"
    "Filter 6: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70\n";

TEST(ReadFilterSet, EveryFormatSample) {
    const FilterSet rew = ReadFilterSet(kRew);
    ASSERT_TRUE(rew.Ok());
    EXPECT_EQ(rew.format, FilterSetFormat::RewFilterSettings);
    EXPECT_EQ(rew.preampDb, 0);
    EXPECT_TRUE(rew.sections.empty());
    ExpectFilters(rew,
                  {{10, true, FilterKind::Peaking, 45.8, 3, 1},
                   {11, true, FilterKind::Peaking, 3155, -6.5, 4.318},
                   {12, false, FilterKind::Peaking, 120, -2, 2}},
                  "REW; the None slot dropped");
    EXPECT_EQ(rew.filters[1].text, "Filter  2: ON  PK       Fc    3155 Hz  Gain  -6.50 dB  Q  4.318");

    const FilterSet apo = ReadFilterSet(kApo);
    ASSERT_TRUE(apo.Ok());
    EXPECT_EQ(apo.format, FilterSetFormat::EqualizerApo);
    EXPECT_DOUBLE_EQ(apo.preampDb, -6.5);
    ExpectFilters(apo,
                  {{3, true, FilterKind::Peaking, 50, -3, 10},
                   {4, true, FilterKind::Peaking, 100, 1, QOfOctaves(0.167)},
                   {6, true, FilterKind::LowPass, 10000, 0, 0.4},
                   {8, true, FilterKind::HighPass, 30, 0, 1 / std::sqrt(2.0)}},
                  "APO");

    const FilterSet autoEq = ReadFilterSet(kAutoEq);
    ASSERT_TRUE(autoEq.Ok());
    EXPECT_EQ(autoEq.format, FilterSetFormat::AutoEq);
    EXPECT_DOUBLE_EQ(autoEq.preampDb, -6.1);
    ExpectFilters(autoEq,
                  {{2, true, FilterKind::LowShelf, 105, 6.4, 0.7},
                   {3, true, FilterKind::Peaking, 8865, 4.9, 1.3},
                   {4, true, FilterKind::HighShelf, 10000, -2.1, 0.7}},
                  "AutoEQ");
}

TEST(ReadFilterSet, TypeCodesAndBandwidths) {
    const struct {
        std::string line;
        FilterKind kind;
        int order;
        std::string type;
        double q;  // cookbook Q; 0 when the line has none
    } cases[] = {
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 2", FilterKind::Peaking, 0, "PK", 2},
        {"Filter 1: ON PEQ Fc 100 Hz Gain 1 dB BW Oct 1", FilterKind::Peaking, 0, "PEQ", std::sqrt(2.0)},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB BW 1/6", FilterKind::Peaking, 0, "PK", QOfOctaves(1.0 / 6)},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB BW Oct 0.333", FilterKind::Peaking, 0, "PK", QOfOctaves(0.333)},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB BW 1/3 Oct", FilterKind::Peaking, 0, "PK", QOfOctaves(1.0 / 3)},
        {"Filter 1: ON HP Fc 80 Hz", FilterKind::HighPass, 2, "HP", 1 / std::sqrt(2.0)},
        {"Filter 1: ON LP Fc 80 Hz", FilterKind::LowPass, 2, "LP", 1 / std::sqrt(2.0)},
        {"Filter 1: ON HP1 Fc 80 Hz", FilterKind::HighPass, 1, "HP1", 0},
        {"Filter 1: ON LP1 Fc 80 Hz", FilterKind::LowPass, 1, "LP1", 0},
        {"Filter 1: ON HPQ Fc 80 Hz Q 0.5", FilterKind::HighPass, 2, "HPQ", 0.5},
        {"Filter 1: ON LPQ Fc 80 Hz Q 1.2", FilterKind::LowPass, 2, "LPQ", 1.2},
        {"Filter 1: ON LS Fc 80 Hz Gain 5 dB", FilterKind::LowShelf, 0, "LS", 0},
        {"Filter 1: ON LS 6dB Fc 80 Hz Gain 5 dB", FilterKind::LowShelf, 0, "LS 6dB", 0},
        {"Filter 1: ON HS 12dB Fc 8000 Hz Gain -5 dB", FilterKind::HighShelf, 0, "HS 12dB", 0},
        {"Filter 1: ON LSC Fc 80 Hz Gain 5 dB Q 0.7", FilterKind::LowShelf, 0, "LSC", 0.7},
        {"Filter 1: ON HSC Fc 8000 Hz Gain 5 dB Q 0.7", FilterKind::HighShelf, 0, "HSC", 0.7},
        {"Filter 1: ON NO Fc 60 Hz", FilterKind::Notch, 0, "NO", 0},
        {"Filter 1: ON AP Fc 60 Hz Q 1", FilterKind::AllPass, 0, "AP", 1},
        {"Filter 1: ON Modal Fc 45 Hz Gain -6 dB T60 target 300 ms", FilterKind::Modal, 0, "Modal", 0},
        {"Filter 1: ON BP Fc 45 Hz Q 2", FilterKind::Other, 0, "BP", 2},
        {"GraphicEQ: 25 0; 40 -3; 63 2", FilterKind::GraphicEq, 0, "GraphicEQ", 0},
        {"filter 1: on pk fc 100hz gain 1db q 2", FilterKind::Peaking, 0, "pk", 2},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet(c.line);
        ASSERT_TRUE(set.Ok()) << c.line;
        ASSERT_EQ(set.filters.size(), 1u) << c.line;
        const FilterLine& f = set.filters[0];
        EXPECT_EQ(f.kind, c.kind) << c.line;
        EXPECT_EQ(f.order, c.order) << c.line;
        EXPECT_EQ(f.type, c.type) << c.line;
        EXPECT_NEAR(f.q, c.q, 1e-12) << c.line;
    }
}

// The REW sample written by other tools and locales: the filters read the same.
TEST(ReadFilterSet, LenientSpellingsReadTheSame) {
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    };
    const struct {
        std::string name, text;
    } cases[] = {
        {"CRLF", replaced(kRew, "\n", "\r\n")},
        {"CR", replaced(kRew, "\n", "\r")},
        {"BOM", "\xEF\xBB\xBF" + kRew},
        {"BOM and CRLF", "\xEF\xBB\xBF" + replaced(kRew, "\n", "\r\n")},
        {"tabs", replaced(kRew, "  ", "\t")},
        {"no final line end", kRew.substr(0, kRew.size() - 1)},
        {"thousands comma", replaced(kRew, "   3155", "  3,155")},
        {"decimal commas",
         replaced(
             replaced(replaced(replaced(replaced(kRew, "45.80", "45,80"), "3.00", "3,00"), "6.50", "6,50"),
                      "2.00", "2,00"),
             ".000", ",000")},
        {"decimal commas, dot grouping",
         replaced(replaced(replaced(kRew, "45.80", "45,80"), "   3155", "  3.155"), "4.318", "4,318")},
        {"localised header",
         replaced(kRew, "Jan 8, 2025 11:32:39 AM", "2022/6/7 \xE4\xB8\x8A\xE5\x8D\x88 11:26:51")},
        {"padded numbers", replaced(kRew, "Filter  1:", "Filter 01:")},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet(c.text);
        ASSERT_TRUE(set.Ok()) << c.name << " line " << set.errorLine << ": " << set.errorText;
        ExpectFilters(set,
                      {{10, true, FilterKind::Peaking, 45.8, 3, 1},
                       {11, true, FilterKind::Peaking, 3155, -6.5, 4.318},
                       {12, false, FilterKind::Peaking, 120, -2, 2}},
                      c.name);
    }
}

TEST(ReadFilterSet, NumbersWithCommasAndDots) {
    const struct {
        std::string line;
        double fc, gain, q;
    } cases[] = {
        {"Filter 1: ON PK Fc 45,80 Hz Gain 3,5 dB Q 1,000", 45.8, 3.5, 1},
        {"Filter 1: ON PK Fc 3,155 Hz Gain 1 dB Q 1", 3155, 1, 1},
        {"Filter 1: ON PK Fc 3.155 Hz Gain 1 dB Q 1", 3.155, 1, 1},     // the file's decimal mark is the dot
        {"Filter 1: ON PK Fc 3.155 Hz Gain 1,5 dB Q 1", 3155, 1.5, 1},  // ... and here the comma
        {"Filter 1: ON PK Fc 12,345.5 Hz Gain 1 dB Q 1", 12345.5, 1, 1},
        {"Filter 1: ON PK Fc 12.345,5 Hz Gain 1 dB Q 1", 12345.5, 1, 1},
        {"Filter 1: ON PK Fc 00100 Hz Gain +02.50 dB Q 0.5", 100, 2.5, 0.5},
        {"Filter 1: ON PK Fc 100Hz Gain -3dB Q .5", 100, -3, 0.5},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet(c.line);
        ASSERT_TRUE(set.Ok()) << c.line;
        EXPECT_NEAR(set.filters[0].fcHz, c.fc, 1e-9) << c.line;
        EXPECT_NEAR(set.filters[0].gainDb, c.gain, 1e-9) << c.line;
        EXPECT_NEAR(set.filters[0].q, c.q, 1e-9) << c.line;
    }
}

TEST(ReadFilterSet, ChannelSectionsChooseTheirFilters) {
    const std::string text =
        "Preamp: -2 dB\n"
        "Filter: ON PK Fc 50 Hz Gain -3 dB Q 1\n"  // every channel
        "Channel: L R\n"
        "Preamp: -1.5 dB\n"
        "Filter: ON PK Fc 60 Hz Gain -3 dB Q 1\n"
        "Channel: SUB\n"
        "Filter: ON LP Fc 80 Hz\n"
        "GraphicEQ: 25 0; 40 -3\n"
        "Channel: all\n"
        "Filter: ON PK Fc 70 Hz Gain -3 dB Q 1\n"
        "Channel: r\n"
        "Filter: ON PK Fc 90 Hz Gain -3 dB Q 1\n";
    const FilterSet set = ReadFilterSet(text);
    ASSERT_TRUE(set.Ok());
    EXPECT_EQ(set.sections, (std::vector<std::string>{"L", "R", "SUB"}));
    EXPECT_DOUBLE_EQ(set.preampDb, -3.5);
    const struct {
        std::string section;
        std::vector<int> lines;
        double preamp;
    } cases[] = {
        {"L", {2, 5, 10}, -3.5},
        {"R", {2, 5, 10, 12}, -3.5},
        {"sub", {2, 7, 8, 10}, -2},
        {"C", {2, 10}, -2},
    };
    for (const auto& c : cases) {
        std::vector<int> lines;
        for (const FilterLine& f : FiltersForSection(set, c.section)) lines.push_back(f.lineNumber);
        EXPECT_EQ(lines, c.lines) << c.section;
        EXPECT_DOUBLE_EQ(PreampForSection(set, c.section), c.preamp) << c.section;
    }
}

TEST(ReadFilterSet, RefusedFilesNameTheirFirstUnreadableLine) {
    const std::string truncated = kRew.substr(0, kRew.find("Gain  -6.50")) + "\n";
    const std::string binary("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20);
    const struct {
        std::string name, text;
        ReadStatus status;
        int line;
        std::string lineText;
    } cases[] = {
        {"empty", "", ReadStatus::Empty, 0, ""},
        {"blanks", "\xEF\xBB\xBF \r\n\t\n\n", ReadStatus::Empty, 0, ""},
        {"binary", binary, ReadStatus::NotText, 0, ""},
        {"measurement",
         "* Measurement data measured by REW V5.20\n* Freq(Hz) SPL(dB) Phase(degrees)\n20.000 68.42 -12.3\n",
         ReadStatus::NotAFilterSet, 1, "* Measurement data measured by REW V5.20"},
        {"header only", "Filter Settings file\n\nEqualiser: Generic\n", ReadStatus::NotAFilterSet, 1,
         "Filter Settings file"},
        {"truncated line", truncated, ReadStatus::BadLine, 11, "Filter  2: ON  PK       Fc    3155 Hz"},
        {"no on/off", "Filter 1: PK Fc 50 Hz Gain 1 dB Q 1\n", ReadStatus::BadLine, 1,
         "Filter 1: PK Fc 50 Hz Gain 1 dB Q 1"},
        {"no colon", "Preamp: -1 dB\nFilter 1 ON PK Fc 50 Hz Gain 1 dB Q 1\n", ReadStatus::BadLine, 2,
         "Filter 1 ON PK Fc 50 Hz Gain 1 dB Q 1"},
        {"word for a number", "Filter 1: ON PK Fc fifty Hz Gain 1 dB Q 1\n", ReadStatus::BadLine, 1,
         "Filter 1: ON PK Fc fifty Hz Gain 1 dB Q 1"},
        {"unknown key on a peaking filter", "Filter 1: ON PK Fc 50 Hz Gain 1 dB Width 1\n",
         ReadStatus::BadLine, 1, "Filter 1: ON PK Fc 50 Hz Gain 1 dB Width 1"},
        {"bad grouping", "Filter 1: ON PK Fc 3,15,5 Hz Gain 1 dB Q 1\n", ReadStatus::BadLine, 1,
         "Filter 1: ON PK Fc 3,15,5 Hz Gain 1 dB Q 1"},
        {"zero bandwidth", "Filter 1: ON PK Fc 50 Hz Gain 1 dB BW 0/6\n", ReadStatus::BadLine, 1,
         "Filter 1: ON PK Fc 50 Hz Gain 1 dB BW 0/6"},
        {"bad preamp", "Preamp: loud\nFilter 1: ON PK Fc 50 Hz Gain 1 dB Q 1\n", ReadStatus::BadLine, 1,
         "Preamp: loud"},
        {"text after the filters", kRew + "20.000 68.42 -12.3\n", ReadStatus::BadLine, 14,
         "20.000 68.42 -12.3"},
        {"too large", std::string(kMaxFilterSetBytes + 1, ' '), ReadStatus::TooLarge, 0, ""},
        {"too many lines", std::string(kMaxFilterSetLines + 1, '\n'), ReadStatus::TooLarge, 0, ""},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet(c.text);
        EXPECT_EQ(set.status, c.status) << c.name;
        EXPECT_EQ(set.errorLine, c.line) << c.name;
        EXPECT_EQ(set.errorText, c.lineText) << c.name;
        EXPECT_TRUE(set.filters.empty()) << c.name;
    }
}

}  // namespace
}  // namespace caraudio::analysis
