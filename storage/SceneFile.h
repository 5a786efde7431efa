#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "SceneStore.h"

namespace caraudio::storage {

// Scene files (".cae"): one scene under CAEConfig/data in the profile-struct
// encoding, readable by any program that uses that encoding.
inline constexpr const char* kSceneSection = "CAEConfig";
inline constexpr const char* kSceneKey = "data";

// A scene file is a few lines; other programs' lines in one are kept, within reason.
inline constexpr size_t kMaxSceneFileBytes = 1u << 20;

struct SceneExportResult {
    enum class Outcome {
        Written,
        // Something has that name but cannot be read (target says why): what
        // it holds may matter, so it is not replaced.
        TargetUnreadable,
        WriteFailed,  // error says why
    };
    Outcome outcome = Outcome::WriteFailed;
    ReadResult target;
    int error = 0;
    bool Ok() const { return outcome == Outcome::Written; }
};

// The text of a scene file holding the scene: every other line of the
// existing file's text kept, in UTF-8 whatever the file was written in (a
// file that is not text keeps nothing).
std::string SceneFileText(const SceneRecord& scene, std::string_view existing);
// Writes that into the file; the file is replaced as a whole, so a failed
// write leaves it as it was.
SceneExportResult ExportSceneFile(const SceneRecord& scene, const std::string& path);
// The scene in a scene file in UTF-8, UTF-16 or an 8-bit code page (see
// DecodeText); `why` tells a file that could not be read from one that was
// read but holds no scene (then it is Ok).
std::optional<SceneRecord> ReadSceneFile(const std::string& path, ReadResult* why = nullptr);
// The same from a file's bytes.
std::optional<SceneRecord> ParseSceneFile(std::string_view file);

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
    std::vector<int> importedIndices;     // where the imported scenes went in the list
    std::vector<RefusedFile> unreadable;  // each read failure, and why (Ok: no scene in it)
    // Whether config.ini holds every imported scene: the last save, which
    // writes the whole list, succeeded.
    bool allSaved = true;
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
