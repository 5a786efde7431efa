#include "SceneFile.h"

#include "AtomicFile.h"
#include "DebugLog.h"
#include "HexBlock.h"
#include "ProfileText.h"
#include "TextDecoding.h"

namespace caraudio::storage {
namespace {

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string SceneFileText(const SceneRecord& scene, std::string_view existing) {
    const DecodedText text = DecodeText(existing);
    // UTF-8 stays byte for byte, a byte-order mark included.
    const std::string_view kept = !text.Ok()                            ? std::string_view()
                                  : text.encoding == TextEncoding::Utf8 ? existing
                                                                        : text.text;
    const auto record = scene.ToBytes();
    const std::string value = EncodeProfileStruct(record.data(), record.size());
    return WriteProfileValue(kept, kSceneSection, kSceneKey, value);
}

bool ExportSceneFile(const SceneRecord& scene, const std::string& path) {
    // A file that is there but cannot be read is not replaced by a new one.
    std::string bytes;
    if (ReadFile(path, bytes) == ReadStatus::Failed) return false;
    return WriteFileAtomically(path, SceneFileText(scene, bytes));
}

std::optional<SceneRecord> ReadSceneFile(const std::string& path) {
    std::string text;
    if (ReadFile(path, text) != ReadStatus::Read) return std::nullopt;
    return ParseSceneFile(text);
}

std::optional<SceneRecord> ParseSceneFile(std::string_view file) {
    // Windows programs may save the file as UTF-16.
    const DecodedText text = DecodeText(file);
    if (!text.Ok()) return std::nullopt;
    const std::optional<std::string> value = ReadProfileValue(text.text, kSceneSection, kSceneKey);
    if (!value) return std::nullopt;
    std::array<uint8_t, SceneRecord::kSize> bytes{};
    if (!DecodeProfileStruct(*value, bytes.data(), bytes.size())) return std::nullopt;
    return SceneRecord::FromBytes(bytes);
}

ImportReport ImportSceneFiles(const std::vector<std::string>& paths, SceneList& list, Settings& settings,
                              const AskDuplicate& ask) {
    enum class Decision { Unasked, ImportAll, SkipAll } decision = Decision::Unasked;
    ImportReport report;
    for (const std::string& path : paths) {
        const std::string name = FileName(path);
        const std::optional<SceneRecord> scene = ReadSceneFile(path);
        if (!scene) {
            report.readFailureList += name + " ";
            ++report.readFailures;
            continue;
        }
        if (HasSceneNamed(list, scene->name)) {
            if (decision == Decision::Unasked && ask) {
                switch (ask()) {
                case DuplicateAnswer::Yes:
                    decision = Decision::ImportAll;
                    break;
                case DuplicateAnswer::No:
                    decision = Decision::SkipAll;
                    break;
                case DuplicateAnswer::Closed:
                    break;
                }
            }
            if (decision != Decision::ImportAll) {
                report.existingList += name + " ";
                ++report.alreadyExisting;
                continue;
            }
        }
        bool saved = false;
        const int index = AppendScene(list, *scene, settings, &saved);
        if (index >= 0 && !saved) report.allSaved = false;
        if (index < 0) {
            report.addFailureList += name + " ";
            ++report.addFailures;
            continue;
        }
        report.importedIndices.push_back(index);
        ++report.imported;
    }
    return report;
}

std::string ImportSummary(const ImportReport& r, int language) {
    const bool chinese = language == 0;
    std::string text = chinese ? FormatText("%d个场景文件导入成功。\n", r.imported)
                               : FormatText("%d scene files imported successfully.\n", r.imported);
    if (r.readFailures > 0)
        text += chinese ? FormatText("%d个场景文件读取失败：%s\n", r.readFailures, r.readFailureList.c_str())
                        : FormatText("%d scene file reads failed:%s\n", r.readFailures,
                                     r.readFailureList.c_str());
    if (r.addFailures > 0)
        text += chinese
                    ? FormatText("%d个场景文件添加失败：%s\n", r.addFailures, r.addFailureList.c_str())
                    : FormatText("%d scene file add failures:%s\n", r.addFailures, r.addFailureList.c_str());
    if (r.alreadyExisting > 0)
        text += chinese ? FormatText("%d个场景已经存在：%s", r.alreadyExisting, r.existingList.c_str())
                        : FormatText("%d scenes have already existed：%s", r.alreadyExisting,
                                     r.existingList.c_str());
    return text;
}

}  // namespace caraudio::storage
