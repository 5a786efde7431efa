#include "InstanceLock.h"

#include "Folders.h"

namespace caraudio::storage {
namespace {

std::string LockPath(const std::string& folder) {
    return (folder.empty() ? RuntimeFolder() : folder) + "/" + kInstanceLockName + ".lock";
}

}  // namespace

InstanceLock::InstanceLock(const std::string& folder) : lock_(LockPath(folder)) {}

bool InstanceLock::TryLock() {
    return lock_.Take(std::chrono::milliseconds(0)) == FileLock::Result::Taken;
}

bool InstanceLock::HeldByAnother(const std::string& folder) {
    return FileLock::HeldByAnother(LockPath(folder));
}

}  // namespace caraudio::storage
