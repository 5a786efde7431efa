#pragma once

#include <QString>

#include "AtomicFile.h"

namespace caraudio::app {

// Why a file could not be read, as one sentence in the active language:
// what it is when it is not a regular file, else the system's reason.
QString FileReadReason(const storage::ReadResult& read);

}  // namespace caraudio::app
