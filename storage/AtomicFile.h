#pragma once

#include <functional>
#include <optional>
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
// was, the temporary file is removed and errno says why (EIO for a fault
// a test made).
bool WriteFileAtomically(const std::string& path, std::string_view data, const WriteFault& fault = {});

// Creates `path` holding `data`, only when nothing has that name yet; false
// (with errno EEXIST) when something has, or when the file could not be
// written whole (then it is removed again; errno says why).
bool WriteNewFile(const std::string& path, std::string_view data);

enum class ReadStatus {
    Read,
    Missing,     // nothing has that name
    Failed,      // it is there but cannot be opened or read: `error` says why
    NotRegular,  // a folder, a FIFO, a device or a socket: `kind` says which
    TooLarge,    // more bytes than the caller's limit
};

// What a name that is not a regular file stands for.
enum class FileKind { Regular, Folder, Fifo, CharacterDevice, BlockDevice, Socket, Other };

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    int error = 0;                      // the system's errno, when Failed
    FileKind kind = FileKind::Regular;  // when NotRegular
    bool Ok() const { return status == ReadStatus::Read; }
};

// The whole of a regular file of at most `limit` bytes. The file is opened
// without waiting (a FIFO would wait for a writer for ever) and anything
// but a regular file is refused unread; at most limit + 1 bytes are read,
// whatever size the file claims (a /proc file claims 0, /dev/zero never ends).
ReadResult ReadFile(const std::string& path, std::string& data, size_t limit);

// A file that is there but was passed over, and why.
struct RefusedFile {
    std::string path;
    ReadResult why;
};

// What `path` names, following links; nothing when nothing is there (or it
// cannot be looked at). Lets a caller refuse a folder or a FIFO before it
// makes files of its own beside it.
std::optional<FileKind> KindOfPath(const std::string& path);

// The reason in English, naming the file ("x is not a regular file (a
// FIFO)"), for the command-line tool and the log; the windows say it in the
// user's language.
std::string ReadProblemText(const std::string& path, const ReadResult& result, size_t limit);

}  // namespace caraudio::storage
