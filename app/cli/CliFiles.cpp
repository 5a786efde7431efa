#include "CliFiles.h"

#include "AtomicFile.h"

namespace caraudio::cli {

FileRead ReadFileUpTo(const std::string& path, size_t limit, std::string& bytes, std::string& problem) {
    const storage::ReadResult read = storage::ReadFile(path, bytes, limit);
    if (read.Ok()) return FileRead::Read;
    problem = storage::ReadProblemText(path, read, limit);
    return read.status == storage::ReadStatus::TooLarge ? FileRead::TooLarge : FileRead::CannotRead;
}

}  // namespace caraudio::cli
