#pragma once

#include <string>

#include "FileLock.h"

namespace caraudio::storage {

// The name of the one-copy lock; fixed for every build of the program.
inline constexpr const char* kInstanceLockName = "5E0B3C71-9A4D-4F2E-8C61-2D7A94B0E3F5";

// One copy of the program at a time: a lock file in the user's runtime
// folder, held (a FileLock) while the program runs, so it is never left
// stale. The command-line tool looks at the same lock before it changes
// config.ini, without taking it.
class InstanceLock {
public:
    // The lock in `folder`; empty uses the runtime folder.
    explicit InstanceLock(const std::string& folder = {});

    // False when another copy holds it.
    bool TryLock();
    void Release() { lock_.Release(); }
    bool Held() const { return lock_.Held(); }
    const std::string& Path() const { return lock_.Path(); }

    // Whether a running program holds the lock in `folder` (empty: the
    // runtime folder). Takes nothing: only looks.
    static bool HeldByAnother(const std::string& folder = {});

private:
    FileLock lock_;
};

}  // namespace caraudio::storage
