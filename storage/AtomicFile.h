#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace caraudio::storage {

// Where writing a file can fail, so tests can make it fail at each point.
enum class WriteStep { Open, Write, Sync, Close, Rename };
// Returns false to make that step fail; `written` is the byte count so far.
using WriteFault = std::function<bool(WriteStep step, size_t written)>;

// Replaces `path` with `data` as a whole: written to a temporary file in the
// same folder, flushed to disk, then renamed over the old file. If anything
// fails the old file stays as it was and the temporary file is removed.
bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault = {});

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace caraudio::storage
