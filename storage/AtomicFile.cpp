#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace caraudio::storage {
namespace {

bool Allowed(const WriteFault& fault, WriteStep step, size_t written) {
    return !fault || fault(step, written);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes in pieces so a fault can strike between any two of them.
constexpr size_t kPiece = 4096;

bool WriteAll(int fd, std::string_view data, const WriteFault& fault) {
    size_t written = 0;
    while (written < data.size()) {
        if (!Allowed(fault, WriteStep::Write, written)) return false;
        const size_t piece = std::min(kPiece, data.size() - written);
        const ssize_t n = ::write(fd, data.data() + written, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // a full disk ends here
        written += static_cast<size_t>(n);
    }
    return true;
}

// A temporary file next to `path` that no other writer uses: the process
// and a counter make the name, and the file is created only if it is new.
int CreateTemporary(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault) {
    if (!Allowed(fault, WriteStep::Open, 0)) return false;
    std::string temp;
    const int fd = CreateTemporary(path, temp);
    if (fd < 0) return false;
    auto fail = [&] {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    if (!WriteAll(fd, data, fault)) return fail();
    if (!Allowed(fault, WriteStep::Sync, data.size()) || ::fsync(fd) != 0) return fail();
    if (!Allowed(fault, WriteStep::Close, data.size()) || ::close(fd) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (!Allowed(fault, WriteStep::Rename, data.size()) || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool WriteNewFile(const std::string& path, std::string_view data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool whole = WriteAll(fd, data, {}) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !whole) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

ReadStatus ReadFile(const std::string& path, std::string& data) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    data.clear();
    char buffer[kPiece];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {  // a folder, or a disk that fails
            ::close(fd);
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Read;
}

}  // namespace caraudio::storage
