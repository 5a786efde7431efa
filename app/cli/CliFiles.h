#pragma once

#include <cstddef>
#include <string>

namespace caraudio::cli {

enum class FileRead { Read, CannotRead, TooLarge };

// The whole file, but never more than one byte past `limit`, so a huge file
// is refused without being loaded. `why` is the system's reason when it
// cannot be read.
FileRead ReadFileUpTo(const std::string& path, size_t limit, std::string& bytes, std::string& why);

}  // namespace caraudio::cli
