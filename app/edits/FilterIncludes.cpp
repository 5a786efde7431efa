#include "FilterIncludes.h"

#include "AtomicFile.h"

namespace caraudio::edits {
namespace {

analysis::IncludedBytes ReadIncluded(const std::string& path) {
    analysis::IncludedBytes got;
    // A FIFO, a device or a folder named by an include is no file to read.
    switch (storage::ReadFile(path, got.bytes, analysis::kMaxFilterSetBytes).status) {
    case storage::ReadStatus::Read:
        got.status = analysis::IncludeRead::Read;
        break;
    case storage::ReadStatus::Missing:
        got.status = analysis::IncludeRead::Missing;
        break;
    case storage::ReadStatus::TooLarge:
        got.status = analysis::IncludeRead::TooLarge;
        break;
    case storage::ReadStatus::Failed:
    case storage::ReadStatus::NotRegular:
        got.status = analysis::IncludeRead::Unreadable;
        break;
    }
    if (got.status != analysis::IncludeRead::Read) got.bytes.clear();
    return got;
}

}  // namespace

analysis::IncludeSource FilterIncludes(const std::string& path) {
    return {path, ReadIncluded};
}

}  // namespace caraudio::edits
