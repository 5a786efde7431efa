#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "Folders.h"

namespace caraudio::storage {
namespace {

std::string LockPath(const std::string& folder) {
    return (folder.empty() ? RuntimeFolder() : folder) + "/" + kInstanceLockName + ".lock";
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
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
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
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace caraudio::storage
