#include "LinkLog.h"

#include <cstdarg>
#include <string>

namespace caraudio {

void LinkLog::Trace(const char* format, ...) {
    if (!trace_) return;
    va_list args;
    va_start(args, format);
    const std::string line = FormatTextV(format, args);
    va_end(args);
    trace_->Write(line);
}

void LinkLog::Error(const char* function, const char* file, int line, const char* format, ...) {
    if (!errors_ && !trace_) return;
    va_list args;
    va_start(args, format);
    const std::string message = FormatTextV(format, args);
    va_end(args);
    if (errors_)
        errors_->Error(message, function, file, line);
    else
        trace_->Write(FormatText("%s %s %s:%d\n", message.c_str(), function, file, line));
}

}  // namespace caraudio
