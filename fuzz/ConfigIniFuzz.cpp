// config.ini and caedata.dat as any bytes: whatever part of it loads stays
// within its meaning, and the scenes read from it come back the same from the
// text the program would save; a measurement's settings line is taken whole
// or not at all, and is the line the program would write for them.
#include <cstdint>
#include <string_view>

#include "ChannelSettingsText.h"
#include "DelayLayout.h"
#include "FuzzCheck.h"
#include "SceneStore.h"
#include "Settings.h"
#include "TuningSettings.h"
#include "ValueScales.h"

using namespace caraudio::storage;

namespace {

void CheckSettingsAtLoad(const IniDocument& doc) {
    for (int ch = 0; ch < caraudio::kChannelCount; ++ch) {
        const std::string line = doc.GetText(
            key::kMeasurement, caraudio::ChannelLabel(ch) + "." + std::string(key::kSettingsAtLoad));
        caraudio::EffectBlock image;
        const caraudio::EffectBlock before = image;
        if (DecodeChannelSettings(line, ch, image))
            FUZZ_CHECK(EncodeChannelSettings(image, ch) == line);
        else
            FUZZ_CHECK(image == before);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniDocument doc;
    doc.Parse(text);  // a NUL ends what is read
    const SceneList list = LoadSceneStore(doc);
    for (const SceneRecord& r : list) FUZZ_CHECK(r.name.size() <= SceneRecord::kMaxNameUnits);
    ReadDelayLayout(doc);
    CheckSettingsAtLoad(doc);
    const long lang = doc.GetInt("Config", "Lang", 0);
    IniDocument again;
    FUZZ_CHECK(again.Parse(doc.Serialize()));
    FUZZ_CHECK(LoadSceneStore(again).size() == list.size());
    PutSceneStore(list, doc);
    IniDocument saved;
    FUZZ_CHECK(saved.Parse(doc.Serialize()));
    const SceneList back = LoadSceneStore(saved);
    FUZZ_CHECK(back.size() == list.size());
    for (size_t i = 0; i < back.size() && i < list.size(); ++i)
        FUZZ_CHECK(back[i].name == list[i].name && back[i].block == list[i].block);
    FUZZ_CHECK(saved.GetInt("Config", "Lang", 0) == lang);
    ParseTuningSettings(text);
    return 0;
}
