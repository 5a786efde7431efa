#pragma once

#include <QString>
#include <mutex>
#include <string>

#include "DebugLog.h"
#include "LinkLog.h"

namespace caraudio::app {

enum class LogLevel { Trace, Debug, Info, Warn, Error, Alarm, Fatal };

// The logger "main": lines with time, level and source into the data
// folder's log/ (one file a day), and to standard error when asked. The
// device link writes to it from its receive thread too.
class AppLogger final : public DebugLog, public ErrorLogger {
public:
    // `folder` is the log folder; lines below `threshold` are dropped.
    AppLogger(const QString& folder, LogLevel threshold, bool echo);

    void Log(LogLevel level, std::string_view message, const char* function = nullptr,
             const char* file = nullptr, int line = 0);

    // DebugLog: traces of the model and the link.
    void Write(std::string_view line) override { Log(LogLevel::Trace, line); }
    // ErrorLogger: the link's error lines.
    void Error(std::string_view message, const char* function, const char* file, int line) override {
        Log(LogLevel::Error, message, function, file, line);
    }

    QString Folder() const { return folder_; }
    static const char* LevelName(LogLevel level);

private:
    const QString folder_;
    const LogLevel threshold_;
    const bool echo_;
    std::mutex mutex_;  // one line at a time, from either thread
};

}  // namespace caraudio::app
