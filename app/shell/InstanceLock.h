#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace caraudio::app {

// The name of the one-copy lock; fixed for every build of the program.
inline constexpr const char* kInstanceLockName = "5E0B3C71-9A4D-4F2E-8C61-2D7A94B0E3F5";

// One copy of the program at a time: a lock file in the user's runtime
// folder. A lock left by a copy that died is taken over.
class InstanceLock {
public:
    // The lock in `folder`; empty uses the runtime folder.
    explicit InstanceLock(const QString& folder = {});
    // False when another copy holds it.
    bool TryLock();
    void Release();
    bool Held() const { return held_; }
    QString Path() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
};

}  // namespace caraudio::app
