#include "../model/ModelFakes.h"
#include "DelayLayout.h"
#include "HexBlock.h"
#include "ParamDatabase.h"
#include "SceneStore.h"
#include "StorageTestSupport.h"
#include "TextCodec.h"

namespace caraudio::storage::test {
namespace {

EffectBlock ImageWithVolume(uint8_t volume) {
    EffectBlock b = DefaultEffectBlock();
    b.SetByte(FindParam(param::MainVol)->offset, volume);
    return b;
}

std::vector<std::string> Names(const SceneList& list) {
    std::vector<std::string> out;
    for (const auto& r : list) out.push_back(r.NameUtf8());
    return out;
}

class Store : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        settings = std::make_unique<Settings>(Folder());
    }
    // The store as a fresh dialog would see it: read back from the file.
    SceneList Reloaded() {
        Settings fresh(Folder());
        fresh.Load();
        return LoadSceneStore(fresh.Document());
    }
    std::unique_ptr<Settings> settings;
};

TEST_F(Store, AddingTrimsShortensAndRefusesDuplicates) {
    SceneList list;
    const struct {
        std::u16string name;
        AddSceneResult::Outcome outcome;
        const char* stored;
    } cases[] = {
        {u"  Bass boost  ", AddSceneResult::Added, "Bass boost"},
        {u"bass BOOST", AddSceneResult::DuplicateName, nullptr},
        {u"\t\r\n", AddSceneResult::EmptyName, nullptr},
        {u"", AddSceneResult::EmptyName, nullptr},
        {u"abcdefghijklmnopqrstuvwxy", AddSceneResult::Added, "abcdefghijklmnopqrst"},
        {u"低音 Ünïcode", AddSceneResult::Added, "低音 Ünïcode"},
        {u"低音 üNÏCODE", AddSceneResult::DuplicateName, nullptr},
    };
    int expectedIndex = 0;
    for (const auto& c : cases) {
        const AddSceneResult r = AddScene(list, c.name, ImageWithVolume(10), *settings);
        EXPECT_EQ(r.outcome, c.outcome) << Utf16ToUtf8(c.name);
        if (c.outcome != AddSceneResult::Added) continue;
        EXPECT_EQ(r.index, expectedIndex++);
        EXPECT_TRUE(r.saved);
        EXPECT_EQ(list.back().NameUtf8(), c.stored);
    }
    EXPECT_EQ(Names(Reloaded()),
              (std::vector<std::string>{"Bass boost", "abcdefghijklmnopqrst", "低音 Ünïcode"}));
    EXPECT_EQ(Reloaded()[0].block, ImageWithVolume(10));
}

TEST_F(Store, LoadingSkipsDamagedEntriesAndSavingRenumbers) {
    const EffectBlock a = ImageWithVolume(1), b = ImageWithVolume(2), c = ImageWithVolume(3);
    std::string lower = EncodeHexBlock(b.data(), kEffectBlockSize);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(ch));
    WriteText("config.ini", "[PCMode]\nCount=3\n0=" + EncodeHexBlock(a.data(), kEffectBlockSize) +
                                "\n1=" + lower + "\n2=" + EncodeHexBlock(c.data(), kEffectBlockSize) +
                                "\n[PCModeName]\n0=first\n1=second\n2=\n");
    ASSERT_EQ(settings->Load(), Settings::LoadResult::Loaded);
    SceneList list = LoadSceneStore(settings->Document());
    ASSERT_EQ(Names(list), (std::vector<std::string>{"first", ""})) << "an empty name is still a scene";
    EXPECT_EQ(list[1].block, c);
    ASSERT_TRUE(SaveSceneStore(list, *settings));
    const IniDocument& doc = settings->Document();
    EXPECT_EQ(doc.GetInt("PCMode", "Count", -1), 2);
    EXPECT_EQ(doc.GetText("PCModeName", "1"), "");
    EXPECT_TRUE(doc.Has("PCMode", "1"));
    EXPECT_FALSE(doc.Has("PCMode", "2"));
    EXPECT_EQ(Names(Reloaded()), (std::vector<std::string>{"first", ""}));
}

TEST_F(Store, CountRulesAndOddEntries) {
    const EffectBlock a = ImageWithVolume(1);
    const std::string hex = EncodeHexBlock(a.data(), kEffectBlockSize);
    const std::array<uint8_t, 1206> noMixer{};
    const std::string shortHex = EncodeHexBlock(noMixer.data(), noMixer.size());
    const struct {
        const char* what;
        std::string file;
        size_t scenes;
    } cases[] = {
        {"no Count", "[PCMode]\n0=" + hex + "\n[PCModeName]\n0=x\n", 0},
        {"Count with a suffix", "[PCMode]\nCount=1x\n0=" + hex + "\n[PCModeName]\n0=x\n", 0},
        {"hexadecimal Count", "[PCMode]\nCount=0x1\n0=" + hex + "\n[PCModeName]\n0=x\n", 1},
        {"name missing", "[PCMode]\nCount=1\n0=" + hex + "\n", 0},
        {"block missing", "[PCMode]\nCount=1\n[PCModeName]\n0=x\n", 0},
        {"key beyond Count", "[PCMode]\nCount=1\n1=" + hex + "\n[PCModeName]\n1=x\n", 0},
        {"a huge Count, one real entry", "[PCMode]\nCount=2000000000\n7=" + hex + "\n[PCModeName]\n7=x\n", 1},
        {"negative Count", "[PCMode]\nCount=-4\n0=" + hex + "\n[PCModeName]\n0=x\n", 0},
        {"key written 01", "[PCMode]\nCount=2\n01=" + hex + "\n[PCModeName]\n01=x\n", 0},
        {"image without the mixer", "[PCMode]\nCount=1\n0=" + shortHex + "\n[PCModeName]\n0=x\n", 1},
    };
    for (const auto& c : cases) {
        IniDocument doc;
        ASSERT_TRUE(doc.Parse(c.file)) << c.what;
        EXPECT_EQ(LoadSceneStore(doc).size(), c.scenes) << c.what;
    }
    IniDocument doc;
    ASSERT_TRUE(doc.Parse(cases[9].file));
    const SceneRecord r = LoadSceneStore(doc).at(0);
    EXPECT_EQ(r.block.Byte(1205), 0);
    EXPECT_EQ(r.block.Byte(1206), 100) << "missing bytes keep the factory values";
}

TEST_F(Store, AStoredNameTooLongForARecordKeepsItsFirst31Units) {
    IniDocument doc;
    const EffectBlock a = DefaultEffectBlock();
    ASSERT_TRUE(doc.Parse("[PCMode]\nCount=1\n0=" + EncodeHexBlock(a.data(), kEffectBlockSize) +
                          "\n[PCModeName]\n0=" + std::string(40, 'n') + "\n"));
    EXPECT_EQ(LoadSceneStore(doc).at(0).name.size(), 31u);
}

TEST_F(Store, ScenesLanguageAndGeometrySurviveASaveAndLoad) {
    SceneList list;
    AddScene(list, u"低音", ImageWithVolume(5), *settings);
    AddScene(list, u"Vocal", ImageWithVolume(6), *settings);
    settings->SetLanguage(1);
    DelayLayout layout;
    layout.speakers[2] = {100, -200};
    layout.delayMm[5] = 1234.5;
    layout.positionsValid = 1;
    WriteDelayLayout(settings->Document(), layout);
    ASSERT_TRUE(SaveSceneStore(list, *settings));
    Settings fresh(Folder());
    ASSERT_EQ(fresh.Load(), Settings::LoadResult::Loaded);
    const SceneList back = LoadSceneStore(fresh.Document());
    ASSERT_EQ(Names(back), (std::vector<std::string>{"低音", "Vocal"}));
    EXPECT_EQ(back[0].block, ImageWithVolume(5));
    EXPECT_EQ(back[1].block, ImageWithVolume(6));
    EXPECT_EQ(fresh.Language(), 1);
    EXPECT_EQ(ReadDelayLayout(fresh.Document()), layout);
}

TEST_F(Store, DeletingClosesTheGap) {
    SceneList list;
    for (const char16_t* n : {u"one", u"two", u"three"}) AddScene(list, n, DefaultEffectBlock(), *settings);
    EXPECT_FALSE(DeleteScene(list, 3, *settings));
    EXPECT_FALSE(DeleteScene(list, -1, *settings));
    EXPECT_TRUE(DeleteScene(list, 1, *settings));
    EXPECT_EQ(Names(Reloaded()), (std::vector<std::string>{"one", "three"}));
}

TEST_F(Store, RecallLoadsTheSceneAndClearsLinks) {
    SceneList list;
    AddScene(list, u"loud", ImageWithVolume(60), *settings);
    const struct {
        const char* what;
        bool link, connected, answer;
        RecallOutcome outcome;
    } cases[] = {
        {"no box", false, false, true, RecallOutcome::NotConnected},
        {"box open, not connected", true, false, true, RecallOutcome::NotConnected},
        {"connected", true, true, true, RecallOutcome::Sent},
        {"box stops answering", true, true, false, RecallOutcome::SendFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        caraudio::test::FakeBox box;
        ParamDatabase db;
        auto curves = std::make_unique<caraudio::test::RecordingCurves>();
        auto* seen = curves.get();
        db.SetCurveModels(std::move(curves));
        if (c.link) db.SetDeviceLink(&box);
        if (c.connected) {
            ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
        }
        db.LinkChannel(2, 2);
        db.LinkChannel(3, 2);
        if (!c.answer) box.failRequest = static_cast<int>(box.sent.size());
        seen->rebuilt.clear();
        EXPECT_EQ(RecallScene(list, 0, db, {}), c.outcome);
        EXPECT_EQ(db.Block(), ImageWithVolume(60)) << "the PC image takes the scene in every case";
        EXPECT_FALSE(db.IsLinked(2));
        EXPECT_FALSE(db.IsLinked(3));
        EXPECT_EQ(seen->rebuilt, (std::vector<int>{0, 1, 2, 3, 4, 5}));
        if (c.outcome == RecallOutcome::Sent) {
            EXPECT_EQ(box.image, ImageWithVolume(60));
        }
    }
    ParamDatabase db;
    EXPECT_EQ(RecallScene(list, 1, db, {}), RecallOutcome::NoSelection);
    EXPECT_EQ(RecallScene(list, -1, db, {}), RecallOutcome::NoSelection);
}

// config.ini edited by hand: the scene stays listed, but neither reaches
// the PC's image nor the box, and the values at fault are named.
TEST_F(Store, RecallRefusesASceneOutsideTheLimits) {
    EffectBlock loud = ImageWithVolume(153);
    loud.Set(*FindParam(param::BandGain(0, 3)), 2500);
    WriteText("config.ini", "[PCMode]\nCount=1\n0=" + EncodeHexBlock(loud.data(), kEffectBlockSize) +
                                "\n[PCModeName]\n0=edited\n");
    ASSERT_EQ(settings->Load(), Settings::LoadResult::Loaded);
    const SceneList list = LoadSceneStore(settings->Document());
    ASSERT_EQ(Names(list), std::vector<std::string>{"edited"});
    for (const GainLimits gains : {GainLimits{}, GainLimits{-30, 30}}) {
        caraudio::test::FakeBox box;
        ParamDatabase db;
        db.SetDeviceLink(&box);
        ASSERT_EQ(db.Connect(), ConnectStatus::Connected);
        const size_t framesBefore = box.sent.size();
        const EffectBlock pcBefore = db.Block();
        std::vector<OutOfLimit> outside;
        EXPECT_EQ(RecallScene(list, 0, db, gains, &outside), RecallOutcome::OutOfLimits);
        EXPECT_EQ(db.Block(), pcBefore);
        EXPECT_EQ(box.sent.size(), framesBefore) << "nothing went to the box";
        EXPECT_EQ(OutOfLimitList(outside, 9),
                  gains.maxvol == 20 ? "MainVol = 153 (0..66), Box0_EQ3_Gain = 2500 (-2000..2000)"
                                     : "MainVol = 153 (0..66)");
    }
}

}  // namespace
}  // namespace caraudio::storage::test
