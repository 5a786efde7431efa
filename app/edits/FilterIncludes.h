#pragma once

#include <string>

#include "FilterSet.h"

namespace caraudio::edits {

// Where the Include: lines of the filter set at `path` are looked for: its
// own folder, each file read through the storage's file reader and refused
// above the size of a filter set.
analysis::IncludeSource FilterIncludes(const std::string& path);

}  // namespace caraudio::edits
