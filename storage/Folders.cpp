#include "Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace caraudio::storage {

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos) break;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DataFolder() {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/')
        base = xdg;
    else if (home && home[0] == '/')
        base = std::string(home) + "/.local/share";
    else
        return {};
    const std::string folder = base + "/" + kDataFolderName;
    MakeFolders(folder);
    return folder;
}

std::string RuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && xdg[0] == '/') return xdg;
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder =
        std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/runtime-" + std::to_string(::getuid());
    MakeFolders(folder);
    return folder;
}

std::string ProgramFolder() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string ShareFolder() {
    const std::string program = ProgramFolder();
    const size_t slash = program.rfind('/');
    const std::string prefix =
        slash == std::string::npos || slash == 0 ? std::string() : program.substr(0, slash);
    return prefix + "/share/caraudio";
}

std::vector<std::string> ReadOnlyFolders() {
    return {ProgramFolder(), ShareFolder()};
}

}  // namespace caraudio::storage
