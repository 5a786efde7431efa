#pragma once

#include <chrono>
#include <string>

namespace caraudio::storage {

// How long a program waits for another to finish with a file before it
// gives up and says so: far longer than any change takes.
inline constexpr std::chrono::milliseconds kLockWait{3000};

// An exclusive lock on a lock file of its own (created when missing, never
// removed): an open file description lock, so two holders in one process
// exclude each other as two processes do, and the system lets go of it when
// the holder ends, however it ends. The files it guards are replaced by
// rename, which a lock on the file itself would not survive.
class FileLock {
public:
    enum class Result { Taken, Busy, Failed };

    explicit FileLock(std::string path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits up to `wait` for another holder to let go: Busy when it did not,
    // Failed when the lock file cannot be opened (Error() says why).
    Result Take(std::chrono::milliseconds wait);
    void Release();
    bool Held() const { return fd_ >= 0; }
    int Error() const { return error_; }
    const std::string& Path() const { return path_; }

    // Whether someone holds the lock at `path`. Takes nothing: only looks.
    static bool HeldByAnother(const std::string& path);

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace caraudio::storage
