#include "FileLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace caraudio::storage {
namespace {

// A lock of `type` over the whole file: a length of 0 reaches its end.
struct flock WholeFile(short type) {
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    return whole;
}

constexpr std::chrono::milliseconds kRetryEvery{10};

}  // namespace

FileLock::FileLock(std::string path) : path_(std::move(path)) {}

FileLock::~FileLock() {
    Release();
}

FileLock::Result FileLock::Take(std::chrono::milliseconds wait) {
    if (Held()) return Result::Taken;
    // O_NONBLOCK: a FIFO put in the lock file's place never holds us up.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = errno;
        return Result::Failed;
    }
    // The wait is a deadline of polls: a blocking lock could not give up.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        struct flock lock = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) break;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            error_ = errno;
            ::close(fd);
            return Result::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return Result::Busy;
        }
        std::this_thread::sleep_for(kRetryEvery);
    }
    fd_ = fd;
    return Result::Taken;
}

void FileLock::Release() {
    if (!Held()) return;
    ::close(fd_);  // lets go of the lock
    fd_ = -1;
}

bool FileLock::HeldByAnother(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;  // nobody has taken it here yet
    // Asks whether a lock would be refused, and takes none: a holder
    // arriving at this moment still gets it.
    struct flock probe = WholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace caraudio::storage
