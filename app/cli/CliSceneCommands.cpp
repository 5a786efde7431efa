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
    explicit PcScenes(Settings::Access a) : access(a), settings(DataFolder(), a) {}
    void Load(std::FILE* err);
    const Settings::Access access;
    Settings settings;
    SceneList list;
};

void PcScenes::Load(std::FILE* err) {
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
    case Settings::LoadResult::Unreadable: {
        // Read but damaged, where no copy of it could be kept.
        const std::string problem =
            settings.LoadProblem().Ok()
                ? settings.Path() + " is damaged, and no copy of it can be kept"
                : ReadProblemText(settings.Path(), settings.LoadProblem(), kMaxSettingsBytes);
        std::fprintf(err, "caraudio-cli: %s; it is left as it is, and no change can be saved to it.\n",
                     problem.c_str());
        break;
    }
    case Settings::LoadResult::Loaded:
    case Settings::LoadResult::Missing:
    case Settings::LoadResult::Busy:
        break;
    }
    list = LoadSceneStore(settings.Document());
}

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

// A change holds the settings lock from the load to the save, so another
// copy of this tool changing the scenes meanwhile waits instead of writing
// over this change. The program is looked for once the lock is held: one
// starting after that waits for the lock before it reads the file.
bool LoadForChange(PcScenes& store, std::FILE* err) {
    switch (store.settings.Lock()) {
    case FileLock::Result::Taken:
        break;
    case FileLock::Result::Busy:
        std::fprintf(err,
                     "caraudio-cli: another program is changing the settings in %s; try again when it has "
                     "finished. Nothing was changed.\n",
                     store.settings.Path().c_str());
        return false;
    case FileLock::Result::Failed:
        std::fprintf(err, "caraudio-cli: cannot lock %s: %s. Nothing was changed.\n",
                     store.settings.LockFile().Path().c_str(),
                     std::strerror(store.settings.LockFile().Error()));
        return false;
    }
    if (ProgramRunning(err)) return false;
    store.Load(err);
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

// Says why a change did not reach config.ini; false when it did not.
bool Kept(bool saved, const PcScenes& store, std::FILE* err) {
    if (saved) return true;
    if (store.settings.SaveError() != 0)
        std::fprintf(err, "caraudio-cli: %s could not be written: %s; the change is not kept.\n",
                     store.settings.Path().c_str(), std::strerror(store.settings.SaveError()));
    else
        std::fprintf(err, "caraudio-cli: %s could not be written; the change is not kept.\n",
                     store.settings.Path().c_str());
    return false;
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

// Why the scene file was not written, naming it.
std::string ExportProblem(const SceneExportResult& r, const std::string& path) {
    if (r.outcome == SceneExportResult::Outcome::WriteFailed)
        return "cannot write " + path + ": " + std::strerror(r.error);
    return ReadProblemText(path, r.target, kMaxSceneFileBytes) +
           "; a file that cannot be read is not replaced";
}

}  // namespace

int Scenes(const CliOptions&, CommandArgs, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly);
    store.Load(err);
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
    // Asked before the box is: no wait for an image that could not be kept.
    if (ProgramRunning(err)) return kExitFailed;
    EffectBlock image;
    if (const int status = TakeImage(options, std::string(imagePath), image, err); status != kExitOk)
        return status;
    // A file from elsewhere becomes a scene only if it could be sent later.
    if (!imagePath.empty() && !ImageWithinLimits(image, std::string(imagePath), err)) return kExitFailed;
    PcScenes store(Settings::Access::ReadWrite);
    if (!LoadForChange(store, err)) return kExitFailed;
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
    if (!Kept(r.saved, store, err)) return kExitFailed;
    std::fprintf(out, "Added scene %d: %s\n", r.index + 1,
                 store.list[static_cast<size_t>(r.index)].NameUtf8().c_str());
    return kExitOk;
}

int SceneDelete(const CliOptions&, CommandArgs args, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadWrite);
    if (!LoadForChange(store, err)) return kExitFailed;
    int index;
    if (!SceneIndex(args[0], store.list, index, err)) return kExitFailed;
    const std::string name = store.list[static_cast<size_t>(index)].NameUtf8();
    bool saved = false;
    DeleteScene(store.list, index, store.settings, &saved);
    if (!Kept(saved, store, err)) return kExitFailed;
    std::fprintf(out, "Deleted scene %d: %s\n", index + 1, name.c_str());
    return kExitOk;
}

int SceneExport(const CliOptions&, CommandArgs args, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly);
    store.Load(err);
    int index;
    if (!SceneIndex(args[0], store.list, index, err)) return kExitFailed;
    const std::string path(args[1]);
    const SceneExportResult exported = ExportSceneFile(store.list[static_cast<size_t>(index)], path);
    if (!exported.Ok()) {
        std::fprintf(err, "caraudio-cli: Failed to export effect to file: %s.\n",
                     ExportProblem(exported, path).c_str());
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
    PcScenes store(Settings::Access::ReadWrite);
    if (!LoadForChange(store, err)) return kExitFailed;
    const ImportReport r = ImportSceneFiles(files, store.list, store.settings, TuningGainLimits(), ask);
    for (const RefusedFile& f : r.unreadable) {
        if (f.why.Ok())
            std::fprintf(err, "caraudio-cli: %s is not a scene file.\n", f.path.c_str());
        else
            std::fprintf(err, "caraudio-cli: %s.\n",
                         ReadProblemText(f.path, f.why, kMaxSceneFileBytes).c_str());
    }
    // "imported successfully" only for scenes config.ini holds.
    if (!Kept(r.allSaved, store, err)) return kExitFailed;
    std::string summary = ImportSummary(r, 1);
    if (summary.back() != '\n') summary += '\n';
    std::fputs(summary.c_str(), out);
    return r.readFailures + r.addFailures > 0 || !r.outOfLimits.empty() ? kExitFailed : kExitOk;
}

int SceneRecall(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    PcScenes store(Settings::Access::ReadOnly);
    store.Load(err);
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
