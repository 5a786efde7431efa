#include "AppLogger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace caraudio::app {

AppLogger::AppLogger(const QString& folder, LogLevel threshold, bool echo)
    : folder_(folder), threshold_(threshold), echo_(echo) {
    if (!folder_.isEmpty()) QDir().mkpath(folder_);
}

const char* AppLogger::LevelName(LogLevel level) {
    static const char* const kNames[] = {"TRACE", "DEBUG", "INFO", "WARN", "ERROR", "ALARM", "FATAL"};
    return kNames[static_cast<int>(level)];
}

void AppLogger::Log(LogLevel level, std::string_view message, const char* function, const char* file,
                    int line) {
    if (level < threshold_) return;
    std::string text(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const QDateTime now = QDateTime::currentDateTime();
    QString entry = QString("%1 %2 %3")
                        .arg(now.toString("yyyy-MM-dd hh:mm:ss.zzz"), LevelName(level),
                             QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    if (function) entry += QString(" [%1 %2:%3]").arg(function, file ? file : "", QString::number(line));
    entry += '\n';
    const QByteArray bytes = entry.toUtf8();
    std::lock_guard lock(mutex_);
    if (echo_) std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    if (folder_.isEmpty()) return;
    const QString path = QDir(folder_).filePath("main_" + now.toString("yyyyMMdd") + ".log");
    // Opening a FIFO to write would wait for a reader for ever.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) return;
    QFile out(path);
    if (out.open(QIODevice::Append)) out.write(bytes);
}

}  // namespace caraudio::app
