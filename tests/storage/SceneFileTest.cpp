#include <random>

#include "HexBlock.h"
#include "ProfileText.h"
#include "SceneFile.h"
#include "StorageTestSupport.h"
#include "Utf16Text.h"

namespace caraudio::storage::test {
namespace {

SceneRecord Scene(const char16_t* name, uint8_t volume = 66) {
    EffectBlock b = DefaultEffectBlock();
    b.SetByte(FindParam(param::MainVol)->offset, volume);
    return SceneRecord::Make(name, b);
}

std::string DataValue(const std::string& text) {
    return ReadProfileValue(text, "CAEConfig", "data").value_or("");
}

TEST_F(TempFolder, ExportWritesTheRecordInTheProfileEncoding) {
    ASSERT_TRUE(ExportSceneFile(Scene(u"Bass"), Path("bass.cae")).Ok());
    const std::string text = ReadText("bass.cae");
    EXPECT_EQ(text.substr(0, 18), "[CAEConfig]\r\ndata=");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::string value = DataValue(text);
    EXPECT_EQ(value.size(), 2590u);
    EXPECT_EQ(value.substr(0, 20), "42006100730073000000");
    EXPECT_EQ(value.substr(20, 108), std::string(108, '0')) << "zero units after the name";
    const auto back = ReadSceneFile(Path("bass.cae"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->NameUtf8(), "Bass");
    EXPECT_EQ(back->block, Scene(u"Bass").block);
}

TEST_F(TempFolder, ExportIntoAnExistingFileKeepsEveryOtherLine) {
    const std::string before =
        "; notes of the "
        "installer\r\n[Other]\r\nkey=value\r\n\r\n[caeconfig]\r\nDATA=old\r\nextra=1\r\n[Last]\r\nx=y";
    WriteText("scene.cae", before);
    ASSERT_TRUE(ExportSceneFile(Scene(u"New"), Path("scene.cae")).Ok());
    const std::string after = ReadText("scene.cae");
    const std::string value = DataValue(after);
    EXPECT_EQ(after, "; notes of the installer\r\n[Other]\r\nkey=value\r\n\r\n[caeconfig]\r\ndata=" + value +
                         "\r\nextra=1\r\n[Last]\r\nx=y");
    EXPECT_EQ(ReadSceneFile(Path("scene.cae"))->NameUtf8(), "New");
}

TEST_F(TempFolder, FilesSavedAsUtf16OrAnEightBitCodePageRead) {
    ASSERT_TRUE(ExportSceneFile(Scene(u"Road", 41), Path("road.cae")).Ok());
    const std::string utf8 = "; Einstellung f\xC3\xBCr die T\xC3\xBCr\r\n" + ReadText("road.cae");
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-16 little-endian", caraudio::test::Utf16WithMark(ReadText("road.cae"))},
        {"UTF-16 big-endian", caraudio::test::Utf16WithMark(ReadText("road.cae"), true)},
        {"Windows-1252 comment", "; Einstellung f\xFCr die T\xFCr\r\n" + ReadText("road.cae")},
        {"UTF-8 comment", utf8},
    };
    for (const auto& c : cases) {
        WriteText("copy.cae", c.bytes);
        const auto scene = ReadSceneFile(Path("copy.cae"));
        ASSERT_TRUE(scene) << c.what;
        EXPECT_EQ(scene->NameUtf8(), "Road") << c.what;
        EXPECT_EQ(scene->block, Scene(u"Road", 41).block) << c.what;
    }

    // Writing into such a file keeps its lines, as UTF-8; a file that is not
    // text keeps nothing of itself.
    WriteText("utf16.cae", caraudio::test::Utf16WithMark("; installer's notes\r\n[Other]\r\nkey=value\r\n"));
    ASSERT_TRUE(ExportSceneFile(Scene(u"New"), Path("utf16.cae")).Ok());
    const std::string after = ReadText("utf16.cae");
    const std::string kept = "; installer's notes\r\n[Other]\r\nkey=value\r\n[CAEConfig]\r\ndata=";
    EXPECT_EQ(after.substr(0, kept.size()), kept);
    EXPECT_EQ(ReadSceneFile(Path("utf16.cae"))->NameUtf8(), "New");
    WriteText("binary.cae", std::string("\x7F"
                                        "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                                        16));
    ASSERT_TRUE(ExportSceneFile(Scene(u"New"), Path("binary.cae")).Ok());
    EXPECT_EQ(ReadText("binary.cae").substr(0, 18), "[CAEConfig]\r\ndata=");
}

TEST(ProfileText, KeysAreAddedWhereTheyBelong) {
    const struct {
        const char* what;
        const char* before;
        const char* after;
    } cases[] = {
        {"empty file", "", "[CAEConfig]\r\ndata=V\r\n"},
        {"other sections only", "[A]\r\nb=c", "[A]\r\nb=c\r\n[CAEConfig]\r\ndata=V\r\n"},
        {"section without the key", "[CAEConfig]\r\nx=1\r\n\r\n[B]\r\n",
         "[CAEConfig]\r\nx=1\r\ndata=V\r\n\r\n[B]\r\n"},
        {"key with blanks", "[ CAEConfig ]\nData = old \n", "[ CAEConfig ]\ndata=V\n"},
        {"same key in another section", "[A]\ndata=1\n[CAEConfig]\n", "[A]\ndata=1\n[CAEConfig]\ndata=V\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WriteProfileValue(c.before, "CAEConfig", "data", "V"), c.after) << c.what;
    EXPECT_EQ(ReadProfileValue("\xEF\xBB\xBF[caeCONFIG]\r\n DaTa =  abc \r\n", "CAEConfig", "data"), "abc");
    EXPECT_FALSE(ReadProfileValue("[A]\ndata=1\n", "CAEConfig", "data"));
    EXPECT_FALSE(ReadProfileValue("[CAEConfig]\nother=1\n", "CAEConfig", "data"));
}

TEST_F(TempFolder, DamagedFilesDoNotRead) {
    ASSERT_TRUE(ExportSceneFile(Scene(u"Good"), Path("good.cae")).Ok());
    const std::string value = DataValue(ReadText("good.cae"));
    std::string wrongSum = value;
    wrongSum.back() = wrongSum.back() == '0' ? '1' : '0';
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"one digit missing", "[CAEConfig]\r\ndata=" + value.substr(1) + "\r\n"},
        {"sum does not match", "[CAEConfig]\r\ndata=" + wrongSum + "\r\n"},
        {"not hexadecimal", "[CAEConfig]\r\ndata=" + std::string(2590, 'G') + "\r\n"},
        {"no section", "data=" + value + "\r\n"},
        {"no key", "[CAEConfig]\r\nother=" + value + "\r\n"},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        WriteText("bad.cae", c.text);
        EXPECT_FALSE(ReadSceneFile(Path("bad.cae"))) << c.what;
    }
    EXPECT_FALSE(ReadSceneFile(Path("missing.cae")));
}

TEST_F(TempFolder, ANameWithoutTerminatorKeepsItsFirst31Units) {
    std::array<uint8_t, SceneRecord::kSize> bytes{};
    for (size_t i = 0; i < 32; ++i) bytes[2 * i] = static_cast<uint8_t>('a' + i % 26);
    WriteText("long.cae", "[CAEConfig]\r\ndata=" + EncodeProfileStruct(bytes.data(), bytes.size()) + "\r\n");
    const auto scene = ReadSceneFile(Path("long.cae"));
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->NameUtf8(), "abcdefghijklmnopqrstuvwxyzabcde");
}

class Import : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        settings = std::make_unique<Settings>(Folder());
        AddScene(list, u"Bass", DefaultEffectBlock(), *settings);
        AddScene(list, u"Vocal", DefaultEffectBlock(), *settings);
    }
    std::string Export(const char* file, const char16_t* name, uint8_t volume = 66) {
        EXPECT_TRUE(ExportSceneFile(Scene(name, volume), Path(file)).Ok());
        return Path(file);
    }
    AskDuplicate Answer(DuplicateAnswer answer) {
        return [this, answer] {
            ++asked;
            return answer;
        };
    }
    std::unique_ptr<Settings> settings;
    SceneList list;
    int asked = 0;
};

TEST_F(Import, DuplicatesAreAskedAboutOnce) {
    const std::vector<std::string> files = {Export("a.cae", u"bass"), Export("b.cae", u"Treble"),
                                            Export("c.cae", u"VOCAL")};
    const ImportReport r = ImportSceneFiles(files, list, *settings, {}, Answer(DuplicateAnswer::No));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.imported, 1);
    EXPECT_EQ(r.alreadyExisting, 2);
    EXPECT_EQ(r.existingList, "a.cae c.cae ");
    EXPECT_EQ(r.importedIndices, std::vector<int>{2});
    EXPECT_EQ(ImportSummary(r, 0), "1个场景文件导入成功。\n2个场景已经存在：a.cae c.cae ");
    EXPECT_EQ(ImportSummary(r, 1),
              "1 scene files imported successfully.\n2 scenes have already existed：a.cae c.cae ");
    Settings fresh(Folder());
    fresh.Load();
    EXPECT_EQ(LoadSceneStore(fresh.Document()).size(), 3u) << "the store was saved at once";
}

TEST_F(Import, AnsweringYesImportsEveryDuplicate) {
    const std::vector<std::string> files = {Export("a.cae", u"Bass", 1), Export("b.cae", u"vocal", 2)};
    const ImportReport r = ImportSceneFiles(files, list, *settings, {}, Answer(DuplicateAnswer::Yes));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.imported, 2);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2].NameUtf8(), "Bass") << "two scenes of the same name";
    EXPECT_EQ(list[3].block.Byte(4), 2);
}

TEST_F(Import, ClosingTheQuestionAsksAgainNextTime) {
    const std::vector<std::string> files = {Export("a.cae", u"Bass"), Export("b.cae", u"Vocal")};
    const ImportReport r = ImportSceneFiles(files, list, *settings, {}, Answer(DuplicateAnswer::Closed));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(r.alreadyExisting, 2);
    EXPECT_EQ(r.imported, 0);
}

TEST_F(Import, EveryFileEndsInExactlyOneOutcome) {
    WriteText("broken.cae", "[CAEConfig]\r\ndata=0102\r\n");
    const std::vector<std::string> files = {Export("new1.cae", u"New"), Path("broken.cae"),
                                            Export("dup.cae", u"bass"), Path("missing.cae"),
                                            Export("new2.cae", u"new"), Export("other.cae", u"Other")};
    const ImportReport r = ImportSceneFiles(files, list, *settings, {}, Answer(DuplicateAnswer::No));
    EXPECT_EQ(r.imported + r.readFailures + r.addFailures + r.alreadyExisting,
              static_cast<int>(files.size()));
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(r.readFailures, 2);
    EXPECT_EQ(r.readFailureList, "broken.cae missing.cae ");
    EXPECT_EQ(r.alreadyExisting, 2) << "new2 repeats a scene this import brought in";
    EXPECT_EQ(r.existingList, "dup.cae new2.cae ");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ImportSummary(r, 1),
              "2 scene files imported successfully.\n2 scene file reads failed:broken.cae missing.cae \n"
              "2 scenes have already existed：dup.cae new2.cae ");
}

// A scene file as another program writes it: the record (the name in
// UTF-16LE units, then the image) in the profile encoding.
std::string ForeignSceneFile(const char* name, const EffectBlock& image) {
    std::array<uint8_t, SceneRecord::kSize> bytes{};
    for (size_t i = 0; name[i]; ++i) bytes[2 * i] = static_cast<uint8_t>(name[i]);
    std::copy(image.data(), image.data() + kEffectBlockSize, bytes.begin() + 2 * SceneRecord::kNameUnits);
    return "[CAEConfig]\r\ndata=" + EncodeProfileStruct(bytes.data(), bytes.size()) + "\r\n";
}

EffectBlock With(EffectBlock image, int index, uint16_t value) {
    image.Set(*FindParam(index), value);
    return image;
}

TEST_F(Import, ScenesOutsideTheLimitsAreNeitherStoredNorAsked) {
    std::mt19937 random(7);
    EffectBlock noise;
    for (int i = 0; i < kEffectBlockSize; ++i) noise.SetByte(i, static_cast<uint8_t>(random()));
    const EffectBlock loud = With(With(DefaultEffectBlock(), param::MainVol, 153), param::Delay(0), 11612);
    WriteText("loud.cae", ForeignSceneFile("Bass", loud));  // a name the store has: not asked about
    WriteText("boost.cae",
              ForeignSceneFile("Boost", With(DefaultEffectBlock(), param::BandGain(3, 17), 900)));
    WriteText("noise.cae", ForeignSceneFile("Noise", noise));
    WriteText("fine.cae", ForeignSceneFile("Fine", With(DefaultEffectBlock(), param::BandGain(3, 17), 600)));
    const std::vector<std::string> files = {Path("loud.cae"), Path("boost.cae"), Path("noise.cae"),
                                            Path("fine.cae")};
    const GainLimits tuning{-12, 6};  // a dealer's tuning file allows +6 dB at most
    const ImportReport r = ImportSceneFiles(files, list, *settings, tuning, Answer(DuplicateAnswer::Yes));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(r.imported, 1);
    ASSERT_EQ(r.outOfLimits.size(), 3u);
    EXPECT_EQ(r.outOfLimits[0].fileName, "loud.cae");
    EXPECT_EQ(OutOfLimitList(r.outOfLimits[0].outside, 9), "MainVol = 153 (0..66), Delay_0 = 11612 (0..960)");
    EXPECT_EQ(OutOfLimitList(r.outOfLimits[1].outside, 9), "Box3_EQ17_Gain = 900 (-1200..600)");
    EXPECT_GT(r.outOfLimits[2].outside.size(), 300u);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].NameUtf8(), "Fine");
    Settings fresh(Folder());
    fresh.Load();
    EXPECT_EQ(LoadSceneStore(fresh.Document()).size(), 3u) << "only the scene within the limits was kept";

    ImportReport one;
    one.outOfLimits = {r.outOfLimits[0], {"many.cae", r.outOfLimits[2].outside}};
    one.outOfLimits[1].outside.resize(5);
    const std::string first3 = OutOfLimitList(one.outOfLimits[1].outside, 3);
    EXPECT_EQ(
        ImportSummary(one, 1),
        "0 scene files imported successfully.\n2 scene files hold values outside what the box may be given "
        "(allowed in brackets) and were not imported: loud.cae (MainVol = 153 (0..66), Delay_0 = 11612 "
        "(0..960)) many.cae (" +
            first3 + " and 2 more) \n");
    EXPECT_EQ(ImportSummary(one, 0),
              "0个场景文件导入成功。\n2个场景文件的参数超出设备允许的范围（括号内为允许值），未导入：loud."
              "cae（MainVol = "
              "153 (0..66), Delay_0 = 11612 (0..960)）many.cae（" +
                  first3 + "，另有2项）\n");
}

TEST(ImportSummary, AddFailuresLine) {
    ImportReport r;
    r.addFailures = 1;
    r.addFailureList = "x.cae ";
    EXPECT_EQ(ImportSummary(r, 0), "0个场景文件导入成功。\n1个场景文件添加失败：x.cae \n");
    EXPECT_EQ(ImportSummary(r, 1),
              "0 scene files imported successfully.\n1 scene file add failures:x.cae \n");
}

}  // namespace
}  // namespace caraudio::storage::test
