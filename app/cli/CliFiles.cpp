#include "CliFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace caraudio::cli {

FileRead ReadFileUpTo(const std::string& path, size_t limit, std::string& bytes, std::string& why) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        why = std::strerror(errno);
        return FileRead::CannotRead;
    }
    char buffer[65536];
    size_t n;
    while (bytes.size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(f);
    const int error = errno;
    std::fclose(f);
    if (failed) {
        why = std::strerror(error);
        return FileRead::CannotRead;
    }
    return bytes.size() > limit ? FileRead::TooLarge : FileRead::Read;
}

}  // namespace caraudio::cli
