#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace caraudio {

// The line-oriented debug output the model and the device link write to.
// Lines arrive complete, each with its own trailing newline. The receive
// thread writes to it too, so implementations must be safe to call from any
// thread.
class DebugLog {
public:
    virtual ~DebugLog() = default;
    virtual void Write(std::string_view line) = 0;
};

// Writes each line to a C stream (stdout, stderr or a file), unbuffered
// so lines survive a crash that follows them.
class StreamDebugLog final : public DebugLog {
public:
    explicit StreamDebugLog(std::FILE* stream) : stream_(stream) {}
    void Write(std::string_view line) override;

private:
    std::FILE* stream_;
};

// printf-style formatting to a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args);

// printf-style formatting into a log; a null log drops the line.
void Logf(DebugLog* log, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace caraudio
