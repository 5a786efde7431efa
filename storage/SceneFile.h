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

// Writes the scene into the file, keeping every other line of an existing
// file; the file is replaced as a whole, so a failed write leaves it as it was.
bool ExportSceneFile(const SceneRecord& scene, const std::string& path);
std::optional<SceneRecord> ReadSceneFile(const std::string& path);
// The same from a file's text.
std::optional<SceneRecord> ParseSceneFile(std::string_view text);

enum class DuplicateAnswer { Yes, No, Closed };
// Asked once per import run, when a file's scene has the name of one already
// in the store.
using AskDuplicate = std::function<DuplicateAnswer()>;

// A scene file whose image holds values the program's controls could not
// give: it came from something else, or was changed by hand.
struct RefusedSceneFile {
    std::string fileName;
    std::vector<OutOfLimit> outside;
};

struct ImportReport {
    int imported = 0;
    int readFailures = 0;
    int addFailures = 0;
    int alreadyExisting = 0;
    std::vector<RefusedSceneFile> outOfLimits;  // neither stored nor sent
    // File names, each followed by a blank.
    std::string readFailureList;
    std::string addFailureList;
    std::string existingList;
    std::vector<int> importedIndices;  // where the imported scenes went in the list
    bool allSaved = true;              // whether config.ini took every imported scene
};

// Reads each file and appends its scene to the store; every file ends in
// exactly one of the five outcomes. A scene outside the gain limits (or any
// other parameter's) is refused before the question about its name.
ImportReport ImportSceneFiles(const std::vector<std::string>& paths, SceneList& list, Settings& settings,
                              GainLimits gains, const AskDuplicate& ask);

// The summary shown after an import, in the interface language (0 Chinese,
// 1 English).
std::string ImportSummary(const ImportReport& report, int language);

}  // namespace caraudio::storage
