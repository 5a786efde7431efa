#pragma once

#include <QString>

#include "ImpulseResponse.h"

namespace caraudio::app {

// The impulse response in the file, read as bytes first: no FIFO or device
// is handed to the sound library. `problem` says why there is none, in the
// active language.
analysis::ImpulseResponseRead ReadImpulseFile(const QString& path, QString& problem);

}  // namespace caraudio::app
