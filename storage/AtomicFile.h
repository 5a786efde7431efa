#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace caraudio::storage {

// Where writing a file can fail, so tests can make it fail at each point.
enum class WriteStep { Open, Write, Sync, Close, Rename };
// Returns false to make that step fail; `written` is the byte count so far.
using WriteFault = std::function<bool(WriteStep step, size_t written)>;

// Replaces `path` with `data` as a whole: written to a temporary file of its
// own in the same folder (two writers never share one), flushed to disk,
// then renamed over the old file. If anything fails the old file stays as it
// was and the temporary file is removed.
bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault = {});

// Creates `path` holding `data`, only when nothing has that name yet; false
// (with errno EEXIST) when something has, or when the file could not be
// written whole (then it is removed again).
bool WriteNewFile(const std::string& path, std::string_view data);

enum class ReadStatus {
    Read,
    Missing,  // nothing has that name
    Failed,   // something has, but it cannot be read (no permission, a folder, ...)
};
// The whole file.
ReadStatus ReadFile(const std::string& path, std::string& data);

}  // namespace caraudio::storage
