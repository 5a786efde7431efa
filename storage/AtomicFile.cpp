#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace caraudio::storage {
namespace {

// A fault a test makes reads as an I/O error, so every failure has a reason.
bool Allowed(const WriteFault& fault, WriteStep step, size_t written) {
    if (!fault || fault(step, written)) return true;
    errno = EIO;
    return false;
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
        if (n < 0) return false;  // a full disk ends here (ENOSPC, or EFBIG past the size limit)
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

// Undoes what a failed write left, keeping the errno of the failure.
bool Abandon(int fd, const std::string& temp) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    errno = error;
    return false;
}

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Folder;
    if (S_ISFIFO(mode)) return FileKind::Fifo;
    if (S_ISCHR(mode)) return FileKind::CharacterDevice;
    if (S_ISBLK(mode)) return FileKind::BlockDevice;
    if (S_ISSOCK(mode)) return FileKind::Socket;
    return FileKind::Other;
}

const char* KindText(FileKind kind) {
    switch (kind) {
    case FileKind::Regular:
    case FileKind::Other:
        break;
    case FileKind::Folder:
        return "a folder";
    case FileKind::Fifo:
        return "a FIFO";
    case FileKind::CharacterDevice:
    case FileKind::BlockDevice:
        return "a device";
    case FileKind::Socket:
        return "a socket";
    }
    return "something else";
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault) {
    if (!Allowed(fault, WriteStep::Open, 0)) return false;
    std::string temp;
    const int fd = CreateTemporary(path, temp);
    if (fd < 0) return false;
    if (!WriteAll(fd, data, fault)) return Abandon(fd, temp);
    if (!Allowed(fault, WriteStep::Sync, data.size()) || ::fsync(fd) != 0) return Abandon(fd, temp);
    if (!Allowed(fault, WriteStep::Close, data.size()) || ::close(fd) != 0) return Abandon(-1, temp);
    if (!Allowed(fault, WriteStep::Rename, data.size()) || std::rename(temp.c_str(), path.c_str()) != 0)
        return Abandon(-1, temp);
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
    if (!WriteAll(fd, data, {}) || ::fsync(fd) != 0) return Abandon(fd, path);
    if (::close(fd) != 0) return Abandon(-1, path);
    return true;
}

ReadResult ReadFile(const std::string& path, std::string& data, size_t limit) {
    data.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer; O_NOCTTY: a terminal never becomes this program's.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) return {ReadStatus::Missing, error};
        // A socket, or a device without its driver, cannot even be opened.
        if (const auto kind = KindOfPath(path); kind && *kind != FileKind::Regular)
            return {ReadStatus::NotRegular, 0, *kind};
        return {ReadStatus::Failed, error};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return {ReadStatus::Failed, error};
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return {ReadStatus::NotRegular, 0, KindOf(st.st_mode)};
    }
    // The size is only a hint: files of /proc and /sys say 0, or 4096.
    if (st.st_size > 0) data.reserve(std::min(static_cast<size_t>(st.st_size), limit) + 1);
    char buffer[65536];
    while (data.size() <= limit) {
        const size_t want = std::min(sizeof buffer, limit + 1 - data.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {  // a disk that fails, or a file of /proc that cannot be read
            const int error = errno;
            ::close(fd);
            data.clear();
            return {ReadStatus::Failed, error};
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (data.size() > limit) {
        data.clear();
        return {ReadStatus::TooLarge};
    }
    return {ReadStatus::Read};
}

std::optional<FileKind> KindOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return KindOf(st.st_mode);
}

std::string ReadProblemText(const std::string& path, const ReadResult& result, size_t limit) {
    switch (result.status) {
    case ReadStatus::Read:
        return {};
    case ReadStatus::Missing:
    case ReadStatus::Failed:
        return "cannot read " + path + ": " + std::strerror(result.error);
    case ReadStatus::NotRegular:
        return path + " is not a regular file (" + KindText(result.kind) + ")";
    case ReadStatus::TooLarge:
        return path + " is larger than " + std::to_string(limit) + " bytes";
    }
    return {};
}

}  // namespace caraudio::storage
