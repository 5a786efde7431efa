#include "SceneFile.h"

#include <algorithm>
#include <cerrno>

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

// Each file with the first of its values; a message box has room for no more.
constexpr size_t kValuesShownPerFile = 3;

std::string RefusedList(const std::vector<RefusedSceneFile>& files, bool chinese) {
    std::string text;
    for (const RefusedSceneFile& f : files) {
        const size_t more = f.outside.size() - std::min(f.outside.size(), kValuesShownPerFile);
        text += f.fileName + (chinese ? "（" : " (") + OutOfLimitList(f.outside, kValuesShownPerFile);
        if (more > 0) text += chinese ? FormatText("，另有%zu项", more) : FormatText(" and %zu more", more);
        text += chinese ? "）" : ") ";
    }
    return text;
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

SceneExportResult ExportSceneFile(const SceneRecord& scene, const std::string& path) {
    SceneExportResult result;
    std::string bytes;
    result.target = ReadFile(path, bytes, kMaxSceneFileBytes);
    if (!result.target.Ok() && result.target.status != ReadStatus::Missing) {
        result.outcome = SceneExportResult::Outcome::TargetUnreadable;
        return result;
    }
    if (WriteFileAtomically(path, SceneFileText(scene, bytes)))
        result.outcome = SceneExportResult::Outcome::Written;
    else
        result.error = errno;
    return result;
}

std::optional<SceneRecord> ReadSceneFile(const std::string& path, ReadResult* why) {
    std::string bytes;
    const ReadResult read = ReadFile(path, bytes, kMaxSceneFileBytes);
    if (why) *why = read;
    if (!read.Ok()) return std::nullopt;
    return ParseSceneFile(bytes);
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
                              GainLimits gains, const AskDuplicate& ask) {
    enum class Decision { Unasked, ImportAll, SkipAll } decision = Decision::Unasked;
    ImportReport report;
    for (const std::string& path : paths) {
        const std::string name = FileName(path);
        ReadResult read;
        const std::optional<SceneRecord> scene = ReadSceneFile(path, &read);
        if (!scene) {
            report.unreadable.push_back({path, read});
            report.readFailureList += name + " ";
            ++report.readFailures;
            continue;
        }
        if (std::vector<OutOfLimit> outside = OutOfLimitParams(scene->block, gains); !outside.empty()) {
            report.outOfLimits.push_back({name, std::move(outside)});
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
        if (index >= 0) report.allSaved = saved;
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
    if (!r.outOfLimits.empty()) {
        const int n = static_cast<int>(r.outOfLimits.size());
        const std::string files = RefusedList(r.outOfLimits, chinese);
        text += chinese ? FormatText("%d个场景文件的参数超出设备允许的范围（括号内为允许值），未导入：%s\n",
                                     n, files.c_str())
                        : FormatText(
                              "%d scene files hold values outside what the box may be given (allowed in "
                              "brackets) and were not imported: %s\n",
                              n, files.c_str());
    }
    if (r.alreadyExisting > 0)
        text += chinese ? FormatText("%d个场景已经存在：%s", r.alreadyExisting, r.existingList.c_str())
                        : FormatText("%d scenes have already existed：%s", r.alreadyExisting,
                                     r.existingList.c_str());
    return text;
}

}  // namespace caraudio::storage
