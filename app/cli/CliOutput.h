#pragma once

#include <cstdio>

namespace caraudio::cli {

// Standard output as the commands write it: each buffered piece goes on to
// the real stream and is flushed there at once, so the first write that
// fails is caught with its own reason (a full disk's ENOSPC), not lost in a
// buffer that is thrown away later.
class CheckedOutput {
public:
    explicit CheckedOutput(std::FILE* target);
    ~CheckedOutput();
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // What the commands write to; the target itself if a stream of ours
    // could not be made.
    std::FILE* Stream() const { return stream_ ? stream_ : target_; }
    // Writes out what is left: 0 when everything reached the target, else
    // the errno of the first write that failed.
    int Finish();

private:
    static ssize_t Write(void* self, const char* data, size_t size);

    std::FILE* target_;
    std::FILE* stream_ = nullptr;
    int error_ = 0;
};

}  // namespace caraudio::cli
