// Filter sets as programs in the field write them: other locales and
// encodings, REW's table export, configurations with more than filters,
// Include: files, and this program's own exports read back.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "EffectBlock.h"
#include "FilterExport.h"
#include "FilterImportPlan.h"
#include "FilterSet.h"
#include "FilterSetExpectations.h"
#include "FilterSetWriter.h"
#include "Utf16Text.h"

namespace caraudio::analysis {
namespace {

constexpr int kCh2 = 3;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A REW export from a decimal-comma locale (Norwegian): "{G}" stands where
// the locale groups thousands.
const std::string kNorwegianRew =
    "Filter Settings file\r\n\r\nRoom EQ V5,01\r\nDated: 8. jan. 2025 kl. 11:32:39\r\n\r\n"
    "Notes: Måling i stua, førerplass\r\n\r\nEqualiser: Generic\r\nRMS Average\r\nPreamp: -3,5 dB\r\n"
    "Filter  1: ON  PK       Fc   63,8 Hz  Gain  -5,0 dB  Q  8,06\r\n"
    "Filter  2: ON  PK       Fc  1{G}066 Hz  Gain   3,0 dB  BW Oct 0,400\r\n"
    "Filter  3: ON  PK       Fc  8{G}000 Hz  Gain  -2,5 dB  Q  1,50\r\n"
    "Filter  4: OFF PK       Fc    120 Hz  Gain  -2,00 dB  Q  2,000\r\n"
    "Filter  5: ON  LS 6dB   Fc   80,0 Hz  Gain   4,0 dB\r\n"
    "Filter  6: ON  HSC      Fc 10{G}000 Hz  Gain  -1,5 dB  Q  0,700\r\n"
    "Filter  7: ON  None\r\n";

TEST(FieldFilterSets, DecimalCommaLocalesInEveryEncodingReadAsWritten) {
    const std::vector<Expected> expected = {
        {11, true, FilterKind::Peaking, 63.8, -5, 8.06},
        {12, true, FilterKind::Peaking, 1066, 3, QOfOctaves(0.4)},
        {13, true, FilterKind::Peaking, 8000, -2.5, 1.5},  // never 8 Hz
        {14, false, FilterKind::Peaking, 120, -2, 2},
        {15, true, FilterKind::LowShelf, 80, 4, 0},
        {16, true, FilterKind::HighShelf, 10000, -1.5, 0.7},
    };
    const struct {
        std::string name, group;
    } groupings[] = {{"dot", "."}, {"no-break space", "\u00A0"}, {"narrow no-break space", "\u202F"}};
    for (const auto& g : groupings) {
        const std::string utf8 = Replaced(kNorwegianRew, "{G}", g.group);
        const struct {
            std::string name, bytes, encoding;
        } encodings[] = {
            {"UTF-8", utf8, "UTF-8"},
            {"UTF-8 with a mark", "\xEF\xBB\xBF" + utf8, "UTF-8"},
            {"UTF-16 LE", test::Utf16WithMark(utf8), "UTF-16"},
            {"UTF-16 BE", test::Utf16WithMark(utf8, true), "UTF-16"},
            {"Latin-1", test::Latin1(utf8), "Latin-1 (Windows-1252)"},
        };
        for (const auto& e : encodings) {
            if (e.name == "Latin-1" && g.group == "\u202F") continue;  // not a Latin-1 character
            const std::string what = g.name + " grouping, " + e.name;
            const FilterSet set = ReadFilterSet(e.bytes);
            ASSERT_TRUE(set.Ok()) << what << ": line " << set.errorLine << ": " << set.errorText;
            EXPECT_EQ(set.encoding, e.encoding) << what;
            EXPECT_EQ(set.format, FilterSetFormat::RewFilterSettings) << what << ": a REW file with a preamp";
            EXPECT_DOUBLE_EQ(set.preampDb, -3.5) << what;
            ExpectFilters(set, expected, what);
            EXPECT_EQ(set.filters[1].text,
                      "Filter  2: ON  PK       Fc  1" + g.group + "066 Hz  Gain   3,0 dB  BW Oct 0,400")
                << what << ": quoted as UTF-8";
        }
    }

    // Where the file writes decimal points, a dot stays one and a comma
    // groups thousands.
    const FilterSet point = ReadFilterSet(
        "Filter 1: ON PK Fc 8.000 Hz Gain -2.50 dB Q 1.500\nFilter 2: ON PK Fc 1,066 Hz Gain 3.0 dB Q 2.0\n");
    ASSERT_TRUE(point.Ok());
    ExpectFilters(point,
                  {{1, true, FilterKind::Peaking, 8, -2.5, 1.5}, {2, true, FilterKind::Peaking, 1066, 3, 2}},
                  "decimal points");
}

TEST(FieldFilterSets, RewTableExportCommaAndSpaceSeparated) {
    const std::string header =
        "Number, Enabled, Control, Type, Frequency(Hz), Gain(dB), Q, Bandwidth(Hz), TargetT60(ms), Shape, "
        "Slope_dB/oct, Frequency2(Hz), _Q2_, Slope2_dB/oct,\n";
    const std::string rows =
        "1, True, Auto, PK, 49.85, 3.00, 4.505, 11.07,\n"
        "2, False, Manual, PK, 120.0, -2.00, 2.000, 60.00,\n"
        "3, True, Manual, LS, 105.0, 4.00,\n"
        "4, True, Manual, HSC, 8000, -2.50, 0.700,\n"
        "5, True, Auto, None,\n"
        "6, True, Manual, PK, 3155, -6.50, 4.318, 730.7,\n";
    const std::string comma = "Notes:\n\nEqualiser: Generic\n\n" + header + rows;
    const std::string spaced = Replaced(Replaced(comma, ", ", "  "), ",\n", "\n");
    // The comma-separated table may also leave out Q and give the bandwidth:
    // Q = Fc / bandwidth.
    const std::string bandwidthOnly = "Notes:\n\n" + header + "1, True, Manual, PK, 3155, -6.50, , 730.7,\n";
    const std::vector<Expected> expected = {
        {6, true, FilterKind::Peaking, 49.85, 3, 4.505},    {7, false, FilterKind::Peaking, 120, -2, 2},
        {8, true, FilterKind::LowShelf, 105, 4, 0},         {9, true, FilterKind::HighShelf, 8000, -2.5, 0.7},
        {11, true, FilterKind::Peaking, 3155, -6.5, 4.318},
    };
    for (const auto& [name, text] : {std::pair{"comma-separated", comma}, {"space-separated", spaced}}) {
        const FilterSet set = ReadFilterSet(text);
        ASSERT_TRUE(set.Ok()) << name << ": line " << set.errorLine << ": " << set.errorText;
        EXPECT_EQ(set.format, FilterSetFormat::RewFilterTable) << name;
        ExpectFilters(set, expected, name);
    }
    const FilterSet bw = ReadFilterSet(bandwidthOnly);
    ASSERT_TRUE(bw.Ok());
    ExpectFilters(bw, {{4, true, FilterKind::Peaking, 3155, -6.5, 3155 / 730.7}}, "bandwidth only");

    const FilterSet broken = ReadFilterSet("Notes:\n" + header + "1, Maybe, Auto, PK, 49.85, 3.00, 4.505,\n");
    EXPECT_EQ(broken.status, ReadStatus::BadLine);
    EXPECT_EQ(broken.errorLine, 3);
    EXPECT_EQ(broken.problem, LineProblem::NoOnOff);
}

// Another program's configuration: what the box cannot hold is listed with
// its line, the rest imported.
TEST(FieldFilterSets, ConfigurationLinesTheBoxCannotHoldAreListedAndTheRestImported) {
    const std::string apo =
        "Device: Speakers Realtek High Definition Audio\n"     // 1
        "Eval: gain = 10^(-3/20)\n"                            // 2
        "Preamp: -4 dB\n"                                      // 3
        "Copy: L=0.5*L+0.5*R\n"                                // 4
        "Filter 1: ON IIR Order 2 Coefficients 1 0 0 1 0 0\n"  // 5
        "Filter 2: ON Modal Fc 45 Hz Gain -6 dB Q 8\n"         // 6
        "Filter 3: ON NO Fc 60 Hz\n"                           // 7
        "Filter 4: ON AP Fc 300 Hz Q 0.7\n"                    // 8
        "Filter 5: ON PK Fc 100 Hz Gain -3 dB Q 2\n"           // 9
        "Filter 6: ON HPQ Fc 40 Hz Q 2.5\n"                    // 10: no box type comes close
        "Filter 7: ON LP Fc 2000 Hz\n"                         // 11
        "Delay: 2.5 ms\n";                                     // 12
    const FilterSet set = ReadFilterSet(apo);
    ASSERT_TRUE(set.Ok()) << set.errorLine << ": " << set.errorText;
    EXPECT_EQ(set.format, FilterSetFormat::EqualizerApo);
    const FilterImportPlan plan = PlanFilterImport(set.filters, DefaultEffectBlock(), kCh2, {}, {});
    ASSERT_EQ(plan.outcome, ImportOutcome::Planned);
    EXPECT_EQ(plan.peakingCount, 1);
    EXPECT_EQ(plan.bands[0], (BandValues{100, 600, -300}));
    EXPECT_FALSE(plan.highPass);
    ASSERT_TRUE(plan.lowPass);
    EXPECT_EQ(plan.lowPass->freq, 2000);
    const struct {
        int line;
        SkipReason reason;
        FilterKind kind;
    } skipped[] = {
        {1, SkipReason::NotFollowed, FilterKind::Command},
        {2, SkipReason::NotFollowed, FilterKind::Command},
        {4, SkipReason::NotFollowed, FilterKind::Command},
        {5, SkipReason::NotImportable, FilterKind::Other},
        {6, SkipReason::NotImportable, FilterKind::Modal},
        {7, SkipReason::NotImportable, FilterKind::Notch},
        {8, SkipReason::NotImportable, FilterKind::AllPass},
        {12, SkipReason::NotFollowed, FilterKind::Command},
        {10, SkipReason::NoCloseCrossover, FilterKind::HighPass},
    };
    ASSERT_EQ(plan.skipped.size(), std::size(skipped));
    for (std::size_t i = 0; i < std::size(skipped); ++i) {
        EXPECT_EQ(plan.skipped[i].lineNumber, skipped[i].line) << i;
        EXPECT_EQ(plan.skipped[i].reason, skipped[i].reason) << skipped[i].line;
        EXPECT_EQ(plan.skipped[i].kind, skipped[i].kind) << skipped[i].line;
    }
    EXPECT_GT(plan.skipped.back().rmsDb, kMaxCrossoverMismatchDb);

    // Nothing usable left: nothing changes.
    const FilterSet rest = ReadFilterSet("Copy: L=R\nFilter: ON NO Fc 60 Hz\nEval: x = 1\n");
    ASSERT_TRUE(rest.Ok());
    EXPECT_EQ(PlanFilterImport(rest.filters, DefaultEffectBlock(), kCh2, {}, {}).outcome,
              ImportOutcome::NothingToImport);
}

// A second-order section with Q above 1/sqrt(2) peaks by Q^2 / sqrt(Q^2 - 1/4)
// near its corner; the box's peakiest type (Butterworth, drawn with Q 0.859)
// by half a dB. Where the file's filter rises 2 dB and more above that, the
// box has nothing that sounds like it.
double CornerPeakDb(double q) {
    return q <= 1 / std::sqrt(2.0) ? 0 : 20 * std::log10(q * q / std::sqrt(q * q - 0.25));
}

TEST(FieldFilterSets, PassFiltersTheBoxCannotMatchAreListedNotSet) {
    const struct {
        std::string line;
        double q;  // 0: first order
        bool set;
    } cases[] = {
        {"Filter: ON HP1 Fc 100 Hz", 0, true},         {"Filter: ON LPQ Fc 2000 Hz Q 0.5", 0.5, true},
        {"Filter: ON HPQ Fc 80 Hz Q 1.0", 1.0, true},  {"Filter: ON LPQ Fc 3000 Hz Q 1.2", 1.2, true},
        {"Filter: ON HPQ Fc 80 Hz Q 1.5", 1.5, false}, {"Filter: ON LPQ Fc 2000 Hz Q 3", 3, false},
    };
    for (const auto& c : cases) {
        const FilterSet set = ReadFilterSet(c.line);
        ASSERT_TRUE(set.Ok()) << c.line;
        const FilterImportPlan plan = PlanFilterImport(set.filters, DefaultEffectBlock(), kCh2, {}, {});
        const bool crossoverSet = plan.highPass || plan.lowPass;
        EXPECT_EQ(crossoverSet, c.set) << c.line;
        EXPECT_EQ(CornerPeakDb(c.q) - CornerPeakDb(0.859) > 2.5, !c.set) << c.line << ": the rule's reason";
        if (c.set) continue;
        ASSERT_EQ(plan.skipped.size(), 1u) << c.line;
        EXPECT_EQ(plan.skipped[0].reason, SkipReason::NoCloseCrossover) << c.line;
        EXPECT_EQ(plan.outcome, ImportOutcome::NothingToImport) << c.line;
    }
}

TEST(FieldFilterSets, IncludedFilesAreReadBesideTheIncludingOne) {
    const std::map<std::string, std::string> disk = {
        {"/cfg/config.txt",
         "Preamp: -2 dB\nInclude: sub\\room.txt\nInclude: missing.txt\nFilter: ON PK Fc 50 Hz Gain -1 dB Q "
         "1\n"
         "Include: C:\\Program Files\\EqualizerAPO\\config\\x.txt\n"},
        {"/cfg/sub/room.txt",
         "Channel: L\nFilter: ON PK Fc 63 Hz Gain -4 dB Q 5\nInclude: ../seat.txt\nInclude: room.txt\n"},
        {"/cfg/seat.txt", "Preamp: -1,5 dB\nFilter: ON PK Fc 1.250 Hz Gain 2,0 dB Q 1,4\n"},
        {"/cfg/deep1.txt", "Include: deep2.txt\n"},
        {"/cfg/deep2.txt", "Include: deep3.txt\n"},
        {"/cfg/deep3.txt", "Include: deep4.txt\n"},
        {"/cfg/deep4.txt", "Include: deep5.txt\n"},
        {"/cfg/deep5.txt", "Include: deep6.txt\n"},
        {"/cfg/deep6.txt", "Filter: ON PK Fc 80 Hz Gain 1 dB Q 1\n"},
    };
    std::vector<std::string> asked;
    const IncludeFetcher fetch = [&](const std::string& path) {
        asked.push_back(path);
        const auto it = disk.find(path);
        return it == disk.end() ? IncludedBytes{IncludeRead::Missing, {}}
                                : IncludedBytes{IncludeRead::Read, it->second};
    };
    const FilterSet set = ReadFilterSet(disk.at("/cfg/config.txt"), {"/cfg/config.txt", fetch});
    ASSERT_TRUE(set.Ok()) << set.errorFile << " " << set.errorLine << ": " << set.errorText;
    EXPECT_EQ(asked, (std::vector<std::string>{"/cfg/sub/room.txt", "/cfg/seat.txt", "/cfg/missing.txt"}));
    EXPECT_DOUBLE_EQ(set.preampDb, -3.5);
    const struct {
        std::string file;
        int line;
        FilterKind kind;
        CommandNote note;
        double fc;
    } lines[] = {
        {"sub/room.txt", 2, FilterKind::Peaking, CommandNote::Config, 63},
        {"seat.txt", 2, FilterKind::Peaking, CommandNote::Config, 1250},  // its own decimal commas
        {"sub/room.txt", 4, FilterKind::Command, CommandNote::IncludeLoop, 0},
        {"", 3, FilterKind::Command, CommandNote::IncludeMissing, 0},
        {"", 4, FilterKind::Peaking, CommandNote::Config, 50},
        {"", 5, FilterKind::Command, CommandNote::IncludeAbsolute, 0},
    };
    ASSERT_EQ(set.filters.size(), std::size(lines));
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const FilterLine& f = set.filters[i];
        EXPECT_EQ(f.file, lines[i].file) << i;
        EXPECT_EQ(f.lineNumber, lines[i].line) << i;
        EXPECT_EQ(f.kind, lines[i].kind) << i;
        if (f.kind == FilterKind::Command) {
            EXPECT_EQ(f.note, lines[i].note) << i;
        }
        EXPECT_DOUBLE_EQ(f.fcHz, lines[i].fc) << i;
    }
    EXPECT_EQ(set.filters[3].includePath, "/cfg/missing.txt");
    // The included file's Channel: line holds in it and what it includes.
    EXPECT_EQ(set.sections, std::vector<std::string>{"L"});
    EXPECT_EQ(FiltersForSection(set, "R").size(), 3u);

    // Four levels are followed, the fifth listed.
    const FilterSet deep = ReadFilterSet(disk.at("/cfg/deep1.txt"), {"/cfg/deep1.txt", fetch});
    ASSERT_TRUE(deep.Ok());
    ASSERT_EQ(deep.filters.size(), 1u);
    EXPECT_EQ(deep.filters[0].note, CommandNote::IncludeTooDeep);
    EXPECT_EQ(deep.filters[0].file, "deep5.txt");

    // Without a way to read files, the lines say where the filters are.
    const FilterSet alone = ReadFilterSet("Include: room.txt\n");
    ASSERT_TRUE(alone.Ok());
    ASSERT_EQ(alone.filters.size(), 1u);
    EXPECT_EQ(alone.filters[0].note, CommandNote::IncludeNotFollowed);
    EXPECT_EQ(alone.filters[0].includePath, "room.txt");

    // A bad line in an included file names that file.
    const FilterSet bad = ReadFilterSet(
        "Include: seat.txt\n", {"/cfg/config.txt", [](const std::string&) {
                                    return IncludedBytes{IncludeRead::Read, "Filter: ON PK Fc x Hz\n"};
                                }});
    EXPECT_EQ(bad.status, ReadStatus::BadLine);
    EXPECT_EQ(bad.errorFile, "seat.txt");
    EXPECT_EQ(bad.errorLine, 1);
}

EffectBlock WithBands(const std::vector<std::array<int, 4>>& bands) {  // band, Hz, Q raw, gain raw
    EffectBlock image = DefaultEffectBlock();
    for (const auto& [b, hz, q, gain] : bands) {
        image.Set(*FindParam(param::BandFreq(kCh2, b)), static_cast<uint16_t>(hz));
        image.Set(*FindParam(param::BandQ(kCh2, b)), static_cast<uint16_t>(q));
        image.Set(*FindParam(param::BandGain(kCh2, b)), static_cast<uint16_t>(gain));
    }
    return image;
}

EffectBlock Imported(const EffectBlock& image, const std::string& file) {
    const FilterSet set = ReadFilterSet(file);
    EXPECT_TRUE(set.Ok()) << file;
    const FilterImportPlan plan =
        PlanFilterImport(set.filters, image, kCh2, {}, {false, set.preampDb, set.filters.empty()});
    EXPECT_EQ(plan.outcome, ImportOutcome::Planned) << file;
    EXPECT_TRUE(plan.skipped.empty() && plan.clamped.empty()) << file;
    EffectBlock out = image;
    for (int b = 0; b < kBandCount; ++b) {
        const BandValues& v = plan.bands[static_cast<std::size_t>(b)];
        out.Set(*FindParam(param::BandFreq(kCh2, b)), static_cast<uint16_t>(v.freq));
        out.Set(*FindParam(param::BandQ(kCh2, b)), static_cast<uint16_t>(v.q));
        out.Set(*FindParam(param::BandGain(kCh2, b)), static_cast<uint16_t>(v.gain));
    }
    return out;
}

TEST(FieldFilterSets, OwnExportsReadBackToTheSameImage) {
    const struct {
        const char* name;
        EffectBlock image;
    } channels[] = {
        {"flat", DefaultEffectBlock()},
        // Bands with gain anywhere, not in frequency order, one the factory
        // values with a gain.
        {"scattered", WithBands({{30, 40, 300, -450},
                                 {2, 8000, 1290, 325},
                                 {17, 63, 12800, -2000},
                                 {5, 20000, 40, 2000},
                                 {6, 20, 999, 1}})},
        {"full",
         [] {
             std::vector<std::array<int, 4>> all;
             for (int b = 0; b < kBandCount; ++b)
                 all.push_back({b, 20000 - 600 * b, 100 + 30 * b, 50 * b - 700});
             return WithBands(all);
         }()},
    };
    for (const auto& c : channels) {
        const auto filters = ChannelPeakingFilters(c.image, kCh2);
        EXPECT_TRUE(Imported(c.image, WriteRewFilterSettings(filters, "CH2")) == c.image) << c.name << " REW";
        EXPECT_TRUE(Imported(c.image, WriteApoConfig(filters, std::nullopt, "CH2")) == c.image)
            << c.name << " APO";
    }
    // A flat export imported into a channel with bands flattens them.
    const EffectBlock shaped = WithBands({{3, 100, 300, -600}});
    const EffectBlock flat = Imported(shaped, WriteRewFilterSettings({}));
    EXPECT_EQ(static_cast<int16_t>(flat.Get(*FindParam(param::BandGain(kCh2, 3)))), 0);
    EXPECT_EQ(flat.Get(*FindParam(param::BandFreq(kCh2, 3))), 100) << "keeps its frequency";
}

}  // namespace
}  // namespace caraudio::analysis
