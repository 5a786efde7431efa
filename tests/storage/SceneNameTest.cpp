// Scene names from every way in (typed, imported from a scene file, loaded
// from config.ini): nothing in them may break a line of config.ini, and a
// shortened name never ends in half a character.
#include "HexBlock.h"
#include "ProfileText.h"
#include "SceneFile.h"
#include "StorageTestSupport.h"
#include "TextCodec.h"

namespace caraudio::storage::test {
namespace {

// A scene file whose record holds exactly these name units (no terminator
// when all 32 are used).
std::string SceneFileText(const std::u16string& units) {
    std::array<uint8_t, SceneRecord::kSize> bytes{};
    for (size_t i = 0; i < units.size() && i < SceneRecord::kNameUnits; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
    const EffectBlock block = DefaultEffectBlock();
    std::copy(block.data(), block.data() + kEffectBlockSize, bytes.begin() + 2 * SceneRecord::kNameUnits);
    return "[CAEConfig]\r\ndata=" + EncodeProfileStruct(bytes.data(), bytes.size()) + "\r\n";
}

std::u16string Repeat(char16_t c, size_t n) {
    return std::u16string(n, c);
}

class SceneNames : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        settings = std::make_unique<Settings>(Folder());
        ASSERT_EQ(AddScene(list, u"Keep", DefaultEffectBlock(), *settings).outcome, AddSceneResult::Added);
    }
    // The name the store keeps for a name arriving one way or the other.
    std::u16string Typed(const std::u16string& name) {
        const AddSceneResult r = AddScene(list, name, DefaultEffectBlock(), *settings);
        return r.outcome == AddSceneResult::Added ? list.back().name : u"<refused>";
    }
    std::u16string Imported(const std::u16string& units) {
        WriteText("in.cae", SceneFileText(units));
        const ImportReport r =
            ImportSceneFiles({Path("in.cae")}, list, *settings, {}, [] { return DuplicateAnswer::Yes; });
        return r.imported == 1 ? list.back().name : u"<not imported>";
    }
    std::u16string Loaded(const std::string& utf8) {
        const EffectBlock b = DefaultEffectBlock();
        IniDocument doc;
        EXPECT_TRUE(doc.Parse("[PCMode]\nCount=1\n0=" + EncodeHexBlock(b.data(), kEffectBlockSize) +
                              "\n[PCModeName]\n0=" + utf8 + "\n"));
        const SceneList loaded = LoadSceneStore(doc);
        return loaded.size() == 1 ? loaded[0].name : u"<not loaded>";
    }
    // The store as the next start reads it from the file.
    SceneList Reloaded() {
        Settings fresh(Folder());
        EXPECT_EQ(fresh.Load(), Settings::LoadResult::Loaded);
        return LoadSceneStore(fresh.Document());
    }
    std::unique_ptr<Settings> settings;
    SceneList list;
};

TEST_F(SceneNames, ControlCharactersBecomeBlanksWhicheverWayANameComesIn) {
    struct Case {
        const char* way;
        std::u16string stored;
    };
    const Case cases[] = {
        {"typed line break", Typed(u"Bass\nBoost")},
        {"typed section", Typed(u"A\r\n[PCMode]\r\nCount=0")},
        {"typed odd controls", Typed(u"\x01Tab\there\x7F\x1F")},
        {"imported section", Imported(u"Evil\r\n[PCMode]\r\nCount=0")},
        {"imported NUL-free junk", Imported(u"\x1B[31mRed\x07")},
        {"loaded tab and escape", Loaded("In\tside\x1B!")},
    };
    const std::u16string expected[] = {u"Bass Boost", u"A  [PCMode]  Count=0",
                                       u"Tab here",   u"Evil  [PCMode]  Count=0",
                                       u"[31mRed",    u"In side !"};
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].stored, expected[i]) << cases[i].way;

    // Every scene of the store, the first one too, survives the next start.
    std::vector<std::string> names;
    for (const SceneRecord& r : list) names.push_back(r.NameUtf8());
    std::vector<std::string> reloaded;
    for (const SceneRecord& r : Reloaded()) reloaded.push_back(r.NameUtf8());
    EXPECT_EQ(reloaded, names);
    EXPECT_EQ(names.size(), 6u);  // Keep and five that came in through a file or typing
    const std::string file = ReadText("config.ini");
    EXPECT_EQ(file.find('\t'), std::string::npos);
    EXPECT_EQ(file.find('\x1B'), std::string::npos);
}

// The INI library drops blanks at both ends of a value when it reads it, so
// a name that kept them would come back different after the next start.
TEST_F(SceneNames, ImportedNamesLoseTheirOuterBlanksAsTheFileWouldLoseThem) {
    EXPECT_EQ(Imported(u"  Road  "), u"Road");
    EXPECT_EQ(Imported(u" \t\r\n "), u"");
    EXPECT_EQ(Reloaded().back().name, u"");
    EXPECT_EQ(Reloaded()[1].name, u"Road");
}

TEST_F(SceneNames, ShortenedNamesEndOnACharacterBoundary) {
    const std::u16string grin = u"\U0001F600";            // two units
    const std::u16string flag = u"\U0001F1E8\U0001F1F3";  // two pairs, one flag
    const std::u16string accented = u"e\u0301";           // e and its accent
    struct Case {
        const char* what;
        std::u16string stored;
        std::u16string expected;
    };
    const Case cases[] = {
        {"typed, pair across 20", Typed(Repeat(u'a', 19) + grin), Repeat(u'a', 19)},
        {"typed, pair ends at 20", Typed(Repeat(u'b', 18) + grin + u"zz"), Repeat(u'b', 18) + grin},
        {"typed, flag across 20", Typed(Repeat(u'c', 17) + flag), Repeat(u'c', 17)},
        {"typed, accent across 20", Typed(Repeat(u'd', 19) + accented), Repeat(u'd', 19)},
        {"record without terminator, pair in units 31 and 32", Imported(Repeat(u'e', 30) + grin),
         Repeat(u'e', 30)},
        {"record, pair ends at 31", Imported(Repeat(u'f', 29) + grin + u"g"), Repeat(u'f', 29) + grin},
        {"loaded, pair across 31", Loaded(Utf16ToUtf8(Repeat(u'h', 30) + grin)), Repeat(u'h', 30)},
        {"record, lone halves", Imported(u"\xD83Dx\xDE00"), u"\uFFFDx\uFFFD"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.stored, c.expected) << c.what;
}

}  // namespace
}  // namespace caraudio::storage::test
