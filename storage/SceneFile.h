#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SceneStore.h"

namespace caraudio::storage {

// Scene files (".cae"): one scene under CAEConfig/data in the profile-struct
// encoding, readable by any program that uses that encoding.
inline constexpr const char* kSceneSection = "CAEConfig";
inline constexpr const char* kSceneKey = "data";

// The text of a scene file holding the scene: every other line of the
// existing file's text kept, in UTF-8 whatever the file was written in (a
// file that is not text keeps nothing).
std::string SceneFileText(const SceneRecord& scene, std::string_view existing);
// Writes that into the file; the file is replaced as a whole, so a failed
// write leaves it as it was.
bool ExportSceneFile(const SceneRecord& scene, const std::string& path);
// Files in UTF-8, UTF-16 or an 8-bit code page (see DecodeText).
std::optional<SceneRecord> ReadSceneFile(const std::string& path);
// The same from a file's bytes.
std::optional<SceneRecord> ParseSceneFile(std::string_view file);

enum class DuplicateAnswer { Yes, No, Closed };
// Asked once per import run, when a file's scene has the name of one already
// in the store.
using AskDuplicate = std::function<DuplicateAnswer()>;

struct ImportReport {
    int imported = 0;
    int readFailures = 0;
    int addFailures = 0;
    int alreadyExisting = 0;
    // File names, each followed by a blank.
    std::string readFailureList;
    std::string addFailureList;
    std::string existingList;
    std::vector<int> importedIndices;  // where the imported scenes went in the list
    bool allSaved = true;              // whether config.ini took every imported scene
};

// Reads each file and appends its scene to the store; every file ends in
// exactly one of the four outcomes.
ImportReport ImportSceneFiles(const std::vector<std::string>& paths, SceneList& list, Settings& settings,
                              const AskDuplicate& ask);

// The summary shown after an import, in the interface language (0 Chinese,
// 1 English).
std::string ImportSummary(const ImportReport& report, int language);

}  // namespace caraudio::storage
