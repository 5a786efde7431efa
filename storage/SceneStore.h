#pragma once

#include <string_view>
#include <vector>

#include "ImageLimits.h"
#include "SceneRecord.h"
#include "Settings.h"

namespace caraudio {
class ParamDatabase;
}

namespace caraudio::storage {

// The PC scene store: named images in config.ini (PCMode, PCModeName). A
// dialog holds its own copy of the list and saves the whole list after each
// change.
using SceneList = std::vector<SceneRecord>;

inline constexpr size_t kMaxAddedNameUnits = 20;

// Every readable scene is listed, whatever its values: nothing the user had
// is dropped, and RecallScene refuses one outside the limits.
SceneList LoadSceneStore(const IniDocument& doc);
// Replaces both sections in the document with the list.
void PutSceneStore(const SceneList& list, IniDocument& doc);
// The same, then writes the settings file; false when it could not be written.
bool SaveSceneStore(const SceneList& list, Settings& settings);

// Puts a record at the end and saves; the new index, or -1 if the list did not
// grow. Shared by adding and by scene-file import. `saved` tells whether the
// settings file could be written (the list has the scene either way).
int AppendScene(SceneList& list, const SceneRecord& record, Settings& settings, bool* saved = nullptr);

struct AddSceneResult {
    enum Outcome { Added, EmptyName, DuplicateName, NotAppended } outcome;
    int index = -1;
    bool saved = false;
};
// Makes the name fit for the store (StoredSceneName) within 20 units, refuses an empty name or one
// already in the list (without regard to case), then appends.
AddSceneResult AddScene(SceneList& list, std::u16string_view name, const EffectBlock& block,
                        Settings& settings);

// Removes the scene and saves; false for an index outside the list.
bool DeleteScene(SceneList& list, int index, Settings& settings, bool* saved = nullptr);

// Whether a scene of this name is in the list, without regard to case.
bool HasSceneNamed(const SceneList& list, std::u16string_view name);

enum class RecallOutcome { Sent, SendFailed, NotConnected, NoSelection, OutOfLimits };
// Loads the scene into the model (and the box when connected), clears the
// links and rebuilds the curves. The window then refreshes itself. A scene
// holding values the controls could not give (config.ini edited by hand,
// or written by something else) is neither loaded nor sent: OutOfLimits,
// and `outside` receives them.
RecallOutcome RecallScene(const SceneList& list, int index, ParamDatabase& db, GainLimits gains,
                          std::vector<OutOfLimit>* outside = nullptr);

}  // namespace caraudio::storage
