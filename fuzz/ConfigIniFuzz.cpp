// config.ini and caedata.dat as any bytes: the document loads or is refused,
// and everything read from it stays within its meaning.
#include <cstdint>
#include <string_view>

#include "DelayLayout.h"
#include "FuzzCheck.h"
#include "SceneStore.h"
#include "Settings.h"
#include "TuningSettings.h"

using namespace caraudio::storage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniDocument doc;
    if (doc.Parse(text)) {
        const SceneList list = LoadSceneStore(doc);
        for (const SceneRecord& r : list) FUZZ_CHECK(r.name.size() <= SceneRecord::kMaxNameUnits);
        ReadDelayLayout(doc);
        doc.GetInt("Config", "Lang", 0);
        IniDocument again;
        FUZZ_CHECK(again.Parse(doc.Serialize()));
        FUZZ_CHECK(LoadSceneStore(again).size() == list.size());
    }
    ParseTuningSettings(text);
    return 0;
}
