#include "CliOutput.h"

#include <unistd.h>

#include <cerrno>

namespace caraudio::cli {

CheckedOutput::CheckedOutput(std::FILE* target) : target_(target) {
    cookie_io_functions_t io{};
    io.write = &CheckedOutput::Write;
    stream_ = ::fopencookie(this, "w", io);
    // A person at a terminal sees each line as it comes.
    if (stream_ && ::isatty(::fileno(target_))) std::setvbuf(stream_, nullptr, _IOLBF, 0);
}

CheckedOutput::~CheckedOutput() {
    Finish();
}

ssize_t CheckedOutput::Write(void* self, const char* data, size_t size) {
    auto& out = *static_cast<CheckedOutput*>(self);
    if (out.error_ != 0) return -1;
    errno = 0;
    if (std::fwrite(data, 1, size, out.target_) != size || std::fflush(out.target_) != 0) {
        out.error_ = errno != 0 ? errno : EIO;
        return -1;
    }
    return static_cast<ssize_t>(size);
}

int CheckedOutput::Finish() {
    if (stream_) {
        std::fclose(stream_);  // writes out the rest; the target stays open
        stream_ = nullptr;
    } else if (error_ == 0) {
        errno = 0;
        if (std::fflush(target_) != 0 || std::ferror(target_)) error_ = errno != 0 ? errno : EIO;
    }
    return error_;
}

}  // namespace caraudio::cli
