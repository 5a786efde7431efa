#include "InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace caraudio::app {

InstanceLock::InstanceLock(const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    path_ = QDir(dir).filePath(QString::fromLatin1(kInstanceLockName) + ".lock");
    file_ = std::make_unique<QLockFile>(path_);
    // Never treat a live holder's lock as stale by age; a dead holder's lock
    // is still recognised by its process id.
    file_->setStaleLockTime(0);
}

bool InstanceLock::TryLock() {
    if (!held_) held_ = file_->tryLock(0);
    return held_;
}

void InstanceLock::Release() {
    if (!held_) return;
    file_->unlock();
    held_ = false;
}

}  // namespace caraudio::app
