#include "DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace caraudio {

void StreamDebugLog::Write(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream_);
    std::fflush(stream_);
}

std::string FormatTextV(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format, args);
    if (n < 0) {
        va_end(again);
        return {};
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(again);
        return std::string(small, static_cast<size_t>(n));
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    big.resize(static_cast<size_t>(n));
    return big;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    return text;
}

void Logf(DebugLog* log, const char* format, ...) {
    if (!log) return;
    va_list args;
    va_start(args, format);
    const std::string line = FormatTextV(format, args);
    va_end(args);
    log->Write(line);
}

}  // namespace caraudio
