#include "SceneStore.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "HexBlock.h"
#include "ParamDatabase.h"
#include "SceneName.h"
#include "TextCodec.h"

namespace caraudio::storage {

// The scene numbers 0..count-1 that have a name, in ascending order. Walking
// the keys that exist, not every number up to Count, keeps a damaged Count
// of two billion from freezing the program.
std::vector<long> NamedSceneNumbers(const IniDocument& doc, long count) {
    std::vector<long> numbers;
    for (const std::string& key : doc.Keys(key::kPcModeName)) {
        char* end = nullptr;
        const long k = std::strtol(key.c_str(), &end, 10);
        if (*end || k < 0 || k >= count || std::to_string(k) != key) continue;
        numbers.push_back(k);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

SceneList LoadSceneStore(const IniDocument& doc) {
    SceneList list;
    const long count = doc.GetInt(key::kPcMode, key::kCount, 0);
    for (long k : NamedSceneNumbers(doc, count)) {
        const std::string index = std::to_string(k);
        const std::string hex = doc.GetText(key::kPcMode, index);
        // A shorter image (a box without the mixer, say) keeps the factory
        // values for the bytes it lacks.
        EffectBlock block = DefaultEffectBlock();
        if (!DecodeHexBlock(hex, block.data(), kEffectBlockSize)) continue;
        list.push_back(SceneRecord::Make(Utf8ToUtf16(doc.GetText(key::kPcModeName, index)), block));
    }
    return list;
}

void PutSceneStore(const SceneList& list, IniDocument& doc) {
    doc.DeleteSection(key::kPcMode);
    doc.DeleteSection(key::kPcModeName);
    doc.SetInt(key::kPcMode, key::kCount, static_cast<long>(list.size()));
    long written = 0;
    for (const SceneRecord& r : list) {
        const std::string index = std::to_string(written);
        doc.SetText(key::kPcMode, index, EncodeHexBlock(r.block.data(), kEffectBlockSize));
        doc.SetText(key::kPcModeName, index, r.NameUtf8());
        ++written;
    }
    if (written != static_cast<long>(list.size())) doc.SetInt(key::kPcMode, key::kCount, written);
}

bool SaveSceneStore(const SceneList& list, Settings& settings) {
    PutSceneStore(list, settings.Document());
    return settings.Save();
}

int AppendScene(SceneList& list, const SceneRecord& record, Settings& settings, bool* saved) {
    const size_t before = list.size();
    list.push_back(record);
    if (list.size() != before + 1) return -1;
    const bool ok = SaveSceneStore(list, settings);
    if (saved) *saved = ok;
    return static_cast<int>(list.size()) - 1;
}

bool HasSceneNamed(const SceneList& list, std::u16string_view name) {
    for (const SceneRecord& r : list)
        if (EqualsIgnoringCase(r.name, name)) return true;
    return false;
}

AddSceneResult AddScene(SceneList& list, std::u16string_view name, const EffectBlock& block,
                        Settings& settings) {
    const std::u16string stored = StoredSceneName(name, kMaxAddedNameUnits);
    if (stored.empty()) return {AddSceneResult::EmptyName};
    if (HasSceneNamed(list, stored)) return {AddSceneResult::DuplicateName};
    bool saved = false;
    const int index = AppendScene(list, SceneRecord::Make(stored, block), settings, &saved);
    if (index < 0) return {AddSceneResult::NotAppended};
    return {AddSceneResult::Added, index, saved};
}

bool DeleteScene(SceneList& list, int index, Settings& settings, bool* saved) {
    if (index < 0 || index >= static_cast<int>(list.size())) return false;
    list.erase(list.begin() + index);
    const bool ok = SaveSceneStore(list, settings);
    if (saved) *saved = ok;
    return true;
}

RecallOutcome RecallScene(const SceneList& list, int index, ParamDatabase& db, GainLimits gains,
                          std::vector<OutOfLimit>* outside) {
    if (index < 0 || index >= static_cast<int>(list.size())) return RecallOutcome::NoSelection;
    const EffectBlock& image = list[static_cast<size_t>(index)].block;
    std::vector<OutOfLimit> bad = OutOfLimitParams(image, gains);
    if (!bad.empty()) {
        if (outside) *outside = std::move(bad);
        return RecallOutcome::OutOfLimits;
    }
    const bool connected = db.IsDeviceReady();
    const bool sent = db.LoadBlock(image);
    db.ClearLinks();
    db.RebuildCurveModels();
    if (sent) return RecallOutcome::Sent;
    return connected ? RecallOutcome::SendFailed : RecallOutcome::NotConnected;
}

}  // namespace caraudio::storage
