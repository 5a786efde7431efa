#include <algorithm>
#include <functional>
#include <iostream>
#include <set>
#include <thread>

#include "DelayLayout.h"
#include "HexBlock.h"
#include "Settings.h"
#include "StorageTestSupport.h"
#include "TuningSettings.h"

namespace caraudio::storage::test {
namespace {

// Text with NULs in it, as written.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

TEST(IniDocument, IntegersAreDecimalOrHexAndNothingElse) {
    const struct {
        const char* value;
        long read;
    } cases[] = {
        {"100", 100}, {"0x64", 100}, {"0X64", 100}, {"-12", -12}, {"100x", 7},
        {"", 7},      {"0x", 7},     {"1.5", 7},    {"abc", 7},   {"0x1G", 7},
    };
    for (const auto& c : cases) {
        IniDocument doc;
        ASSERT_TRUE(doc.Parse(std::string("[param]\r\nscale=") + c.value + "\r\n"));
        EXPECT_EQ(doc.GetInt("param", "scale", 7), c.read) << '"' << c.value << '"';
    }
    IniDocument doc;
    EXPECT_EQ(doc.GetInt("param", "missing", 7), 7);
}

TEST(IniDocument, NamesIgnoreCaseAndTextIsUtf8WithOrWithoutMark) {
    for (const std::string& mark : {std::string(), std::string("\xEF\xBB\xBF")}) {
        IniDocument doc;
        ASSERT_TRUE(
            doc.Parse(mark + "[PCModeName]\n0=B\xC3\xA4ss \xE4\xBD\x8E\xE9\x9F\xB3\n[Config]\nLang=1\n"));
        EXPECT_EQ(doc.GetText("pcmodename", "0"), "B\xC3\xA4ss \xE4\xBD\x8E\xE9\x9F\xB3");
        EXPECT_EQ(doc.GetInt("CONFIG", "lang", 0), 1);
    }
}

TEST_F(TempFolder, SettingsRoundTripKeepsEverySection) {
    Settings settings(Folder());
    EXPECT_EQ(settings.Load(), Settings::LoadResult::Missing);
    settings.Document().SetText("PCModeName", "0", "Bass 低音");
    settings.Document().SetText("Other", "key", "kept");
    DelayLayout layout;
    layout.listener = {530, 1580};
    layout.positionsValid = 1;
    WriteDelayLayout(settings.Document(), layout);
    ASSERT_TRUE(settings.Save());
    // Switching the language writes Lang and keeps the rest.
    Settings again(Folder());
    ASSERT_EQ(again.Load(), Settings::LoadResult::Loaded);
    again.SetLanguage(1);
    ASSERT_TRUE(again.Save());
    Settings third(Folder());
    ASSERT_EQ(third.Load(), Settings::LoadResult::Loaded);
    EXPECT_EQ(third.Language(), 1);
    EXPECT_EQ(third.Document().GetText("PCModeName", "0"), "Bass 低音");
    EXPECT_EQ(third.Document().GetText("other", "KEY"), "kept");
    EXPECT_EQ(ReadDelayLayout(third.Document()), layout);
    EXPECT_EQ(third.Document().GetInt("PCMode", "Count", -1), -1) << "no scenes were stored";
    EXPECT_NE(ReadText("config.ini").find("Lang=1"), std::string::npos) << "no blanks around the equals sign";
}

// Whatever step of a save fails, config.ini is the old file or the new one,
// never empty or half written, and no temporary file is left behind.
TEST_F(TempFolder, AnInterruptedSaveLeavesTheOldFile) {
    Settings settings(Folder());
    settings.Document().SetText("PCMode", "Count", "1");
    settings.Document().SetText("PCMode", "0", std::string(5000, 'A'));  // a few write pieces
    ASSERT_TRUE(settings.Save());
    const std::string old = ReadText("config.ini");
    settings.Document().SetText("PCMode", "0", std::string(9000, 'B'));
    const std::string fresh = settings.Document().Serialize();
    std::set<size_t> seenOffsets;
    for (WriteStep step :
         {WriteStep::Open, WriteStep::Write, WriteStep::Sync, WriteStep::Close, WriteStep::Rename}) {
        for (size_t failAt = 0; failAt <= fresh.size(); failAt += 4096) {
            const bool saved = settings.Save([&](WriteStep s, size_t written) {
                if (s == WriteStep::Write) seenOffsets.insert(written);
                return !(s == step && (s != WriteStep::Write || written >= failAt));
            });
            EXPECT_FALSE(saved);
            EXPECT_EQ(ReadText("config.ini"), old);
            EXPECT_EQ(FilesBesideTheLock(), 1) << "no temporary file left";
            if (step != WriteStep::Write) break;
        }
    }
    EXPECT_GE(seenOffsets.size(), 3u) << "the write was interrupted between pieces";
    ASSERT_TRUE(settings.Save());
    EXPECT_EQ(ReadText("config.ini"), fresh);
}

// A damaged file keeps what the INI library can read of it (everything
// before a NUL) and is kept whole under a name no later damage reuses.
TEST_F(TempFolder, EveryDamagedFileIsKeptUnderANameOfItsOwn) {
    const std::string first = Bytes("[Config]\nLang=1\n[Other]\nkey=first\n\0\0garbage");
    const std::string second = Bytes("[Other]\nkey=second\n\0[Config]\nLang=1\n");
    WriteText("config.ini.unreadable-3", "the user's own file");
    const struct {
        const std::string* text;
        const char* keptAs;
        int language;
        const char* other;
    } cases[] = {
        {&first, "config.ini.unreadable", 1, "first"},
        {&second, "config.ini.unreadable-2", 0, "second"},
        {&first, "config.ini.unreadable-4", 1, "first"},
    };
    for (const auto& c : cases) {
        WriteText("config.ini", *c.text);
        Settings settings(Folder());
        EXPECT_EQ(settings.Load(), Settings::LoadResult::Damaged) << c.keptAs;
        EXPECT_EQ(settings.SetAsidePath(), Path(c.keptAs));
        EXPECT_EQ(ReadText(c.keptAs), *c.text);
        EXPECT_EQ(settings.Language(), c.language) << c.keptAs;
        EXPECT_EQ(settings.Document().GetText("Other", "key"), c.other) << c.keptAs;
        // config.ini now holds what could be read, and the next start reads it whole.
        Settings next(Folder());
        EXPECT_EQ(next.Load(), Settings::LoadResult::Loaded) << c.keptAs;
        EXPECT_EQ(next.Document().GetText("Other", "key"), c.other) << c.keptAs;
    }
    EXPECT_EQ(ReadText("config.ini.unreadable"), first);
    EXPECT_EQ(ReadText("config.ini.unreadable-2"), second);
    EXPECT_EQ(ReadText("config.ini.unreadable-3"), "the user's own file");
}

// Only reading writes nothing at all, whatever the file holds: a damaged one
// is read as far as it goes and left as it is, with no copy made.
TEST_F(TempFolder, OnlyReadingNeverWrites) {
    const std::string damaged = Bytes("[Config]\nLang=1\n\0junk");
    const std::string whole = "[Config]\nLang=1\n";
    const struct {
        const char* what;
        const std::string* text;  // null: no config.ini
        Settings::LoadResult result;
    } cases[] = {
        {"damaged", &damaged, Settings::LoadResult::Damaged},
        {"whole", &whole, Settings::LoadResult::Loaded},
        {"missing", nullptr, Settings::LoadResult::Missing},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(Path("config.ini"));
        if (c.text) WriteText("config.ini", *c.text);
        Settings settings(Folder(), Settings::Access::ReadOnly);
        EXPECT_EQ(settings.Load(), c.result) << c.what;
        EXPECT_EQ(settings.Language(), c.text ? 1 : 0) << c.what;
        EXPECT_TRUE(settings.SetAsidePath().empty()) << c.what;
        settings.SetLanguage(0);
        EXPECT_FALSE(settings.Save()) << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), c.text ? 1 : 0) << c.what;
        if (c.text) {
            EXPECT_EQ(ReadText("config.ini"), *c.text) << c.what;
        }
    }
}

// A config.ini that is there but cannot be read may still hold everything
// the user has: it is never replaced, and nothing is saved over it.
TEST_F(TempFolder, AFileThatCannotBeOpenedIsNeverReplaced) {
    const std::string kept = "[Config]\nLang=1\n";
    const struct {
        const char* what;
        std::function<bool()> arrange;  // false: cannot be arranged with the rights the test has
    } cases[] = {
        {"a folder in its place",
         [&] { return std::filesystem::create_directories(Path("config.ini/inside")); }},
        {"no permission to read",
         [&] {
             WriteText("config.ini", kept);
             std::filesystem::permissions(Path("config.ini"), std::filesystem::perms::none);
             return ::access(Path("config.ini").c_str(), R_OK) != 0;  // root reads it anyway
         }},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(Path("config.ini"));
        if (!c.arrange()) {
            std::cout << "[   NOTE   ] not checked: " << c.what << " (the test may read any file)\n";
            continue;
        }
        Settings settings(Folder());
        EXPECT_EQ(settings.Load(), Settings::LoadResult::Unreadable) << c.what;
        settings.SetLanguage(1);
        EXPECT_FALSE(settings.Save()) << c.what;
        EXPECT_EQ(FilesBesideTheLock(), 1) << c.what;
        if (std::filesystem::is_directory(Path("config.ini"))) {
            EXPECT_TRUE(std::filesystem::exists(Path("config.ini/inside"))) << c.what;
        } else {
            std::filesystem::permissions(Path("config.ini"), std::filesystem::perms::owner_read);
            EXPECT_EQ(ReadText("config.ini"), kept) << c.what;
        }
    }
}

// Two saves at the same moment (the program and the command-line tool, say):
// the second waits for the first to finish, and the file ends up as the
// second, whole, with no temporary file left.
TEST_F(TempFolder, SavesAtTheSameTimeDoNotMixTheirFiles) {
    Settings first(Folder()), second(Folder());
    first.Document().SetText("PCMode", "0", std::string(20000, 'A'));
    second.Document().SetText("PCMode", "0", std::string(20000, 'B'));
    bool secondSaved = false;
    std::thread other;
    const bool firstSaved = first.Save([&](WriteStep step, size_t written) {
        if (step == WriteStep::Write && written == 8192) {
            other = std::thread([&] { secondSaved = second.Save(); });
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the second is waiting now
        }
        return true;
    });
    other.join();
    EXPECT_TRUE(secondSaved);
    EXPECT_TRUE(firstSaved);
    EXPECT_TRUE(ReadText("config.ini") == second.Document().Serialize()) << "the last one to finish, whole";
    EXPECT_EQ(FilesBesideTheLock(), 1) << "no temporary file left";
}

TEST_F(TempFolder, AFileThatCannotBeWrittenLeavesTheOldOne) {
    Settings settings(Path("no/such/folder"));
    EXPECT_FALSE(settings.Save());
}

TEST(Tuning, EveryKeyAndItsDefault) {
    const TuningSettings none = ParseTuningSettings("");
    EXPECT_EQ(none.scale, 0.0);
    EXPECT_EQ(none.id1, 0u);
    EXPECT_EQ(none.id2, 0u);
    EXPECT_EQ(none.maxvol, 20);
    EXPECT_EQ(none.minvol, -20);
    EXPECT_EQ(none.showFreqId, 1);
    EXPECT_EQ(none.alertDelay, 8000);
    EXPECT_EQ(none.alertEnable, 0);
    EXPECT_EQ(none.alertMessage, "EQ增益调得太大，可能会爆音！");
    EXPECT_TRUE(TuningSettings{}.alertMessage.empty()) << "empty until the file is read";

    const TuningSettings t = ParseTuningSettings(
        "[param]\nscale=0x64\nmaxvol=12\nminvol=-12\nShowFreqID=0\nid1=0x12345678\nid2=4000000000\n"
        "[alert]\nenable=1\ndelay=3000\nmsg=Too loud!\n");
    EXPECT_EQ(t.scale, 1.0);
    EXPECT_EQ(t.id1, 0x12345678u);
    EXPECT_EQ(t.id2, 4000000000u);
    EXPECT_EQ(t.Gains().maxvol, 12);
    EXPECT_EQ(t.Gains().minvol, -12);
    EXPECT_EQ(CurveScaleFor(t.Gains()).dbKeduVal, 6);
    EXPECT_EQ(ParseGain("15", t.Gains()).raw, 1200);
    EXPECT_EQ(GainSliderRange(t.Gains()).min, -120);
    EXPECT_EQ(GainSliderRange(t.Gains()).max, 120);
    EXPECT_EQ(CurveScaleFor(t.Gains()).dbMax, 12);
    EXPECT_EQ(CurveScaleFor(t.Gains()).dbMin, -12);
    EXPECT_EQ(t.showFreqId, 0);
    EXPECT_EQ(t.alertEnable, 1);
    EXPECT_EQ(t.alertDelay, 3000);
    EXPECT_EQ(t.alertMessage, "Too loud!");
    EXPECT_EQ(ParseTuningSettings("[param]\nscale=100x\n").scale, 0.0);
}

TEST(Tuning, GainLimitsStayWithinWhatARawGainHolds) {
    struct Case {
        const char* file;
        int maxvol, minvol;
    };
    const Case cases[] = {
        {"[param]\nmaxvol=12\nminvol=-6\n", 12, -6},
        {"[param]\nmaxvol=327\nminvol=-327\n", 327, -327},
        {"[param]\nmaxvol=328\nminvol=-328\n", 327, -327},
        {"[param]\nmaxvol=400\nminvol=-400\n", 327, -327},
        {"[param]\nmaxvol=99999999999\nminvol=-99999999999\n", 327, -327},
        {"[param]\nmaxvol=0x7fffffff\nminvol=-2147483648\n", 327, -327},
        {"[param]\nmaxvol=-400\nminvol=400\n", -327, 327},  // the wrong way round is cut, not mended
    };
    for (const Case& c : cases) {
        const TuningSettings t = ParseTuningSettings(c.file);
        EXPECT_EQ(t.maxvol, c.maxvol) << c.file;
        EXPECT_EQ(t.minvol, c.minvol) << c.file;
        EXPECT_EQ(ParseGain("1000", t.Gains()).raw, std::max(c.maxvol, c.minvol) * 100) << c.file;
    }
}

TEST_F(TempFolder, TuningFileIsTakenFromTheFirstFolderThatHasOne) {
    std::filesystem::create_directories(Path("program"));
    std::filesystem::create_directories(Path("share"));
    WriteText("share/caedata.dat", "[param]\nmaxvol=15\n");
    std::string found;
    EXPECT_EQ(LoadTuningSettings({Path("program"), Path("share")}, &found).maxvol, 15);
    EXPECT_EQ(found, Path("share/caedata.dat"));
    WriteText("program/caedata.dat", "[param]\nmaxvol=9\n");
    EXPECT_EQ(LoadTuningSettings({Path("program"), Path("share")}, &found).maxvol, 9);
    EXPECT_EQ(LoadTuningSettings({Path("nowhere")}, &found).maxvol, 20);
    EXPECT_TRUE(found.empty());
}

TEST(Delay, RecordLayoutAndDefault) {
    const DelayLayout d;
    EXPECT_EQ(d.carWidth, 1825);
    EXPECT_EQ(d.zhouJu, 2680);
    EXPECT_EQ(d.xStart, -2000);
    EXPECT_EQ(d.yStart, -2000);
    EXPECT_EQ(d.mmPerScale, 500);
    EXPECT_EQ(d.mmPerPx, 10);
    EXPECT_EQ(d.positionsValid, 0);

    DelayLayout l;
    l.listener = {530, -1};
    l.speakers[5] = {0x01020304, 7};
    l.delayMm[0] = 1.0;
    l.positionsValid = 1;
    l.reserved = {9, 8, 7, 6};
    const auto b = EncodeDelayLayout(l);
    EXPECT_EQ(b[0], 0x21);  // 1825 = 0x0721, little-endian
    EXPECT_EQ(b[1], 0x07);
    EXPECT_EQ(b[8], 0x30);  // -2000 = 0xFFFFF830
    EXPECT_EQ(b[11], 0xFF);
    EXPECT_EQ(b[24], 0x12);  // 530
    EXPECT_EQ(b[28], 0xFF);  // -1
    EXPECT_EQ(b[32 + 40], 0x04);
    EXPECT_EQ(b[32 + 43], 0x01);
    EXPECT_EQ(b[80 + 6], 0xF0);  // 1.0 = 0x3FF0000000000000
    EXPECT_EQ(b[80 + 7], 0x3F);
    EXPECT_EQ(b[128], 1);
    EXPECT_EQ(b[132], 9);
    EXPECT_EQ(DecodeDelayLayout(b), l);

    IniDocument doc;
    WriteDelayLayout(doc, l);
    EXPECT_EQ(doc.GetText("Config", "Delay").size(), 274u);
    EXPECT_EQ(ReadDelayLayout(doc), l);
}

TEST(Delay, MissingOrDamagedValuesGiveTheDefault) {
    const DelayLayout def;
    const std::array<uint8_t, 3> tiny = {1, 2, 3};
    for (const std::string& value : {std::string(), std::string("zz"), std::string(274, '0'),
                                     EncodeHexBlock(tiny.data(), tiny.size())}) {
        IniDocument doc;
        doc.SetText("Config", "Delay", value);
        EXPECT_EQ(ReadDelayLayout(doc), def) << value.substr(0, 10);
    }
    EXPECT_EQ(ReadDelayLayout(IniDocument()), def);
}

}  // namespace
}  // namespace caraudio::storage::test
