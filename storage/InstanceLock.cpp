#include "InstanceLock.h"

#include <fcntl.h>
#include <unistd.h>

#include "Folders.h"

namespace caraudio::storage {
namespace {

std::string LockPath(const std::string& folder) {
    return (folder.empty() ? RuntimeFolder() : folder) + "/" + kInstanceLockName + ".lock";
}

// A lock of `type` over the whole file: a length of 0 reaches its end.
struct flock WholeFile(short type) {
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    return whole;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& folder) : path_(LockPath(folder)) {}

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::TryLock() {
    if (Held()) return true;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct flock lock = WholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (!Held()) return;
    ::close(fd_);  // lets go of the lock
    fd_ = -1;
}

bool InstanceLock::HeldByAnother(const std::string& folder) {
    const int fd = ::open(LockPath(folder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;  // no program has run here yet
    // Asks whether a lock would be refused, and takes none: a program
    // starting at this moment still gets its own.
    struct flock probe = WholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace caraudio::storage
