#pragma once

#include <string_view>

#include "DebugLog.h"

namespace caraudio {

// Where the device link's error lines go: the program's logger at level
// ERROR, with the function, source file and line. Called from both threads.
class ErrorLogger {
public:
    virtual ~ErrorLogger() = default;
    virtual void Error(std::string_view message, const char* function, const char* file, int line) = 0;
};

// The device link's two outputs: traces to the debug log, errors to the
// error logger (or, without one, to the debug log as "message function
// file:line"). Both sinks may be null.
class LinkLog {
public:
    LinkLog() = default;
    LinkLog(DebugLog* trace, ErrorLogger* errors) : trace_(trace), errors_(errors) {}

    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Error(const char* function, const char* file, int line, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

    DebugLog* TraceLog() const { return trace_; }

private:
    DebugLog* trace_ = nullptr;
    ErrorLogger* errors_ = nullptr;
};

// Source names the error lines carry, one per module of the device link.
inline constexpr const char* kHidBaseSource = "common/HidDevice/HidBase";
inline constexpr const char* kProtocolSource = "common/HidDevice/Protocol";

#define LINK_ERROR(log, function, source, ...) (log).Error(function, source, __LINE__, __VA_ARGS__)

}  // namespace caraudio
