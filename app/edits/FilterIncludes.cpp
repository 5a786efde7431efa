#include "FilterIncludes.h"

#include "AtomicFile.h"

namespace caraudio::edits {
namespace {

analysis::IncludedBytes ReadIncluded(const std::string& path) {
    analysis::IncludedBytes got;
    switch (storage::ReadFile(path, got.bytes)) {
    case storage::ReadStatus::Read:
        got.status = got.bytes.size() > analysis::kMaxFilterSetBytes ? analysis::IncludeRead::TooLarge
                                                                     : analysis::IncludeRead::Read;
        break;
    case storage::ReadStatus::Missing:
        got.status = analysis::IncludeRead::Missing;
        break;
    case storage::ReadStatus::Failed:
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
