// A scene record from a file, whatever its name units hold, goes into the
// store, into config.ini's text and back: the next start reads the same
// scenes, the scene already there included, and the rest of the file.
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "HexBlock.h"
#include "SceneFile.h"
#include "SceneStore.h"
#include "Settings.h"

using namespace caraudio;
using namespace caraudio::storage;

namespace {

bool FitForALine(const std::u16string& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c < 0x20 || c == 0x7F) return false;
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (low) return false;  // a low half is only ever taken with its high half below
        if (high) {
            if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

}  // namespace

// The input is the record's bytes, the name's 64 first; missing bytes are zero.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<uint8_t, SceneRecord::kSize> bytes{};
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    const std::string file =
        "[CAEConfig]\r\ndata=" + EncodeProfileStruct(bytes.data(), bytes.size()) + "\r\n";
    const std::optional<SceneRecord> scene = ParseSceneFile(file);
    FUZZ_CHECK(scene.has_value());
    FUZZ_CHECK(scene->name.size() <= SceneRecord::kMaxNameUnits);
    FUZZ_CHECK(FitForALine(scene->name));
    // Written into a scene file again, the record reads back as it is.
    const auto again = SceneRecord::FromBytes(scene->ToBytes());
    FUZZ_CHECK(again.name == scene->name && again.block == scene->block);

    IniDocument doc;
    FUZZ_CHECK(doc.Parse("[Config]\r\nLang=1\r\n"));
    SceneList list = {SceneRecord::Make(u"Keep", DefaultEffectBlock()), *scene};
    PutSceneStore(list, doc);
    IniDocument next;
    FUZZ_CHECK(next.Parse(doc.Serialize()));
    const SceneList back = LoadSceneStore(next);
    FUZZ_CHECK(back.size() == list.size());
    for (size_t i = 0; i < back.size() && i < list.size(); ++i) {
        FUZZ_CHECK(back[i].name == list[i].name);
        FUZZ_CHECK(back[i].block == list[i].block);
    }
    FUZZ_CHECK(next.GetInt("Config", "Lang", 0) == 1);
    FUZZ_CHECK(next.Keys("PCModeName").size() == list.size());
    FUZZ_CHECK(next.Keys("PCMode").size() == list.size() + 1);  // and Count
    return 0;
}
