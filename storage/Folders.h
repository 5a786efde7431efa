#pragma once

#include <string>
#include <vector>

namespace caraudio::storage {

inline constexpr const char* kDataFolderName = "CarAudioHalvern";

// $XDG_DATA_HOME/CarAudioHalvern (default ~/.local/share/CarAudioHalvern),
// created when missing. Empty when the user has no data folder at all.
std::string DataFolder();

// The user's runtime folder, where the program's one-copy lock lives:
// $XDG_RUNTIME_DIR, else a folder of the user's own in the temporary folder.
std::string RuntimeFolder();

// The folder of the running program, without a trailing slash.
std::string ProgramFolder();

// Where an installed build keeps its read-only files (the tuning file and
// the optional customisation files): share/caraudio beside the program's
// bin folder, so a package works wherever its tree is placed.
std::string ShareFolder();

// The program folder, then the share folder: where read-only files are
// looked for, in that order.
std::vector<std::string> ReadOnlyFolders();

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace caraudio::storage
