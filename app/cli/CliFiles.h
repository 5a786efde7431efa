#pragma once

#include <cstddef>
#include <string>

namespace caraudio::cli {

enum class FileRead { Read, CannotRead, TooLarge };

// A file the user named, through storage's reader: a regular file of at
// most `limit` bytes. `problem` says why it cannot be read, naming the file
// ("cannot read x: Permission denied", "x is not a regular file (a FIFO)");
// for TooLarge each caller says what the file should have been.
FileRead ReadFileUpTo(const std::string& path, size_t limit, std::string& bytes, std::string& problem);

}  // namespace caraudio::cli
