#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault) {
    const std::string temp = path + ".saving";
    if (!Allowed(fault, WriteStep::Open, 0)) return false;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    auto fail = [&] {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    size_t written = 0;
    while (written < data.size()) {
        if (!Allowed(fault, WriteStep::Write, written)) return fail();
        const size_t piece = std::min(kPiece, data.size() - written);
        const ssize_t n = ::write(fd, data.data() + written, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();  // a full disk ends here
        written += static_cast<size_t>(n);
    }
    if (!Allowed(fault, WriteStep::Sync, written) || ::fsync(fd) != 0) return fail();
    if (!Allowed(fault, WriteStep::Close, written) || ::close(fd) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (!Allowed(fault, WriteStep::Rename, written) || std::rename(temp.c_str(), path.c_str()) != 0) {
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

bool ReadWholeFile(const std::string& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace caraudio::storage
