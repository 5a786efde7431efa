#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "CliDeviceCommands.h"
#include "Folders.h"
#include "InstanceLock.h"
#include "SceneFile.h"
#include "SceneStore.h"
#include "TextCodec.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::storage;

// config.ini of the data folder, loaded as the program loads it. A command
// that only reads writes nothing there: the program may be running, and a
// damaged file waits for a change (or the program) to be kept and mended.
struct PcScenes {
    PcScenes(Settings::Access access, std::FILE* err) : settings(DataFolder(), access) {
        switch (settings.Load()) {
        case Settings::LoadResult::Damaged:
            if (access == Settings::Access::ReadOnly)
                std::fprintf(
                    err,
                    "caraudio-cli: %s is damaged; what could be read of it is used, and the file is left "
                    "as it is.\n",
                    settings.Path().c_str());
            else
                std::fprintf(
                    err,
                    "caraudio-cli: %s was damaged; what could be read of it is in use, and the whole file "
                    "was kept as %s.\n",
                    settings.Path().c_str(), settings.SetAsidePath().c_str());
            break;
        case Settings::LoadResult::Unreadable:
            std::fprintf(
                err,
                "caraudio-cli: %s cannot be read; it is left as it is, and no change can be saved to it.\n",
                settings.Path().c_str());
            break;
        case Settings::LoadResult::Loaded:
        case Settings::LoadResult::Missing:
            break;
        }
        list = LoadSceneStore(settings.Document());
    }
    Settings settings;
    SceneList list;
};

// The program keeps its own copy of the scenes and writes config.ini whole:
// a change made here while it runs would be lost at its next save.
bool ProgramRunning(std::FILE* err) {
    if (!InstanceLock::HeldByAnother()) return false;
    std::fprintf(
        err,
        "caraudio-cli: the program is running and keeps its own copy of the PC scenes; close it before "
        "changing them here.\n");
    return true;
}

// Scenes are numbered from 1 for the user, as `scenes` lists them.
bool SceneIndex(std::string_view text, const SceneList& list, int& index, std::FILE* err) {
    long n = 0;
    char* end = nullptr;
    const std::string s(text);
    n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || n < 1 || n > static_cast<long>(list.size())) {
        std::fprintf(err, "caraudio-cli: there is no scene %s; caraudio-cli scenes lists them.\n", s.c_str());
        return false;
    }
    index = static_cast<int>(n - 1);
    return true;
}

void WarnIfNotSaved(bool saved, const PcScenes& store, std::FILE* err) {
    if (!saved)
        std::fprintf(err, "caraudio-cli: %s could not be written; the change is not kept.\n",
                     store.settings.Path().c_str());
}

// Without a terminal to ask, duplicates are skipped.
DuplicateAnswer AskOnTerminal(std::FILE* out) {
    if (!::isatty(STDIN_FILENO)) return DuplicateAnswer::No;
    std::fprintf(out,
                 "A scenario with the same name already exists,Do you want to continue importing? [y/N] ");
    std::fflush(out);
    std::string answer;
    if (!std::getline(std::cin, answer)) return DuplicateAnswer::Closed;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? DuplicateAnswer::Yes
                                                                     : DuplicateAnswer::No;
}

}  // namespace

int Scenes(const CliOptions&, CommandArgs, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly, err);
    if (store.list.empty()) std::fprintf(out, "No PC scenes in %s.\n", store.settings.Path().c_str());
    for (size_t i = 0; i < store.list.size(); ++i)
        std::fprintf(out, "%3zu  %s\n", i + 1, store.list[i].NameUtf8().c_str());
    return kExitOk;
}

int SceneAdd(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    std::string_view name;
    std::string_view imagePath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--image" && i + 1 < args.size())
            imagePath = args[++i];
        else if (name.empty())
            name = args[i];
        else
            return kExitUsage;
    }
    if (ProgramRunning(err)) return kExitFailed;
    EffectBlock image;
    if (const int status = TakeImage(options, std::string(imagePath), image, err); status != kExitOk)
        return status;
    // A file from elsewhere becomes a scene only if it could be sent later.
    if (!imagePath.empty() && !ImageWithinLimits(image, std::string(imagePath), err)) return kExitFailed;
    PcScenes store(Settings::Access::ReadWrite, err);
    const AddSceneResult r = AddScene(store.list, Utf8ToUtf16(name), image, store.settings);
    switch (r.outcome) {
    case AddSceneResult::EmptyName:
        std::fprintf(err, "caraudio-cli: Name cannot be empty\n");
        return kExitFailed;
    case AddSceneResult::DuplicateName:
        std::fprintf(err, "caraudio-cli: A scene with the same name already exists\n");
        return kExitFailed;
    case AddSceneResult::NotAppended:
        std::fprintf(err, "caraudio-cli: the scene could not be added.\n");
        return kExitFailed;
    case AddSceneResult::Added:
        break;
    }
    WarnIfNotSaved(r.saved, store, err);
    std::fprintf(out, "Added scene %d: %s\n", r.index + 1,
                 store.list[static_cast<size_t>(r.index)].NameUtf8().c_str());
    return r.saved ? kExitOk : kExitFailed;
}

int SceneDelete(const CliOptions&, CommandArgs args, std::FILE* out, std::FILE* err) {
    if (ProgramRunning(err)) return kExitFailed;
    PcScenes store(Settings::Access::ReadWrite, err);
    int index;
    if (!SceneIndex(args[0], store.list, index, err)) return kExitFailed;
    const std::string name = store.list[static_cast<size_t>(index)].NameUtf8();
    bool saved = false;
    DeleteScene(store.list, index, store.settings, &saved);
    WarnIfNotSaved(saved, store, err);
    std::fprintf(out, "Deleted scene %d: %s\n", index + 1, name.c_str());
    return saved ? kExitOk : kExitFailed;
}

int SceneExport(const CliOptions&, CommandArgs args, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly, err);
    int index;
    if (!SceneIndex(args[0], store.list, index, err)) return kExitFailed;
    if (!ExportSceneFile(store.list[static_cast<size_t>(index)], std::string(args[1]))) {
        std::fprintf(err, "caraudio-cli: Failed to export effect to file\n");
        return kExitFailed;
    }
    std::fprintf(out, "Exporting the scene successfully\n");
    return kExitOk;
}

int SceneImport(const CliOptions&, CommandArgs args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> files;
    AskDuplicate ask = [out] { return AskOnTerminal(out); };
    for (std::string_view a : args) {
        if (a == "--duplicates=import")
            ask = [] { return DuplicateAnswer::Yes; };
        else if (a == "--duplicates=skip")
            ask = [] { return DuplicateAnswer::No; };
        else
            files.emplace_back(a);
    }
    if (files.empty()) return kExitUsage;
    if (ProgramRunning(err)) return kExitFailed;
    PcScenes store(Settings::Access::ReadWrite, err);
    const ImportReport r = ImportSceneFiles(files, store.list, store.settings, TuningGainLimits(), ask);
    std::string summary = ImportSummary(r, 1);
    if (summary.back() != '\n') summary += '\n';
    std::fputs(summary.c_str(), out);
    WarnIfNotSaved(r.allSaved, store, err);
    return r.readFailures + r.addFailures > 0 || !r.outOfLimits.empty() || !r.allSaved ? kExitFailed
                                                                                       : kExitOk;
}

int SceneRecall(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly, err);
    int index;
    if (!SceneIndex(args[0], store.list, index, err)) return kExitFailed;
    CliSession session(options, err);
    if (!session.Open()) return kExitFailed;
    const ConnectStatus status = session.Connect();
    if (status != ConnectStatus::Connected) return ExitStatusFor(status);
    std::vector<OutOfLimit> outside;
    switch (RecallScene(store.list, index, session.Db(), TuningGainLimits(), &outside)) {
    case RecallOutcome::Sent:
        std::fprintf(out, "Call the computer scene successfully!\n");
        return kExitOk;
    case RecallOutcome::SendFailed:
        std::fprintf(err, "caraudio-cli: Recall PC mode failed\n");
        return kExitFailed;
    case RecallOutcome::NotConnected:
        std::fprintf(err, "caraudio-cli: Device not connected\n");
        return kExitFailed;
    case RecallOutcome::OutOfLimits:
        SayOutOfLimits("scene " + std::to_string(index + 1), outside, err);
        return kExitFailed;
    case RecallOutcome::NoSelection:
        break;
    }
    std::fprintf(err, "caraudio-cli: Unselected scene!\n");
    return kExitFailed;
}

}  // namespace caraudio::cli
