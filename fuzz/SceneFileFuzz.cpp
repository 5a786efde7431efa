// Scene files from anywhere, in any encoding: reading never crashes, and
// writing a scene into any file keeps its text readable and the scene
// readable from it.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "ProfileText.h"
#include "SceneFile.h"

using namespace caraudio;
using namespace caraudio::storage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto scene = ParseSceneFile(bytes))
        FUZZ_CHECK(scene->name.size() <= SceneRecord::kMaxNameUnits);
    const SceneRecord probe = SceneRecord::Make(u"probe", DefaultEffectBlock());
    const std::string written = SceneFileText(probe, bytes);
    const auto back = ParseSceneFile(written);
    // A text whose lines hide the section (a stray "[" line inside it, say)
    // may shadow the value; the written key must still be there to find.
    if (back) FUZZ_CHECK(back->block == probe.block);
    FUZZ_CHECK(ReadProfileValue(written, kSceneSection, kSceneKey).has_value());
    return 0;
}
