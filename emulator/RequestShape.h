#pragma once

#include "DeviceLink.h"

namespace caraudio::emulator {

// Whether a request frame is zero wherever its command puts nothing: the
// status byte, bytes 1 and 2 unless the command uses them, and the payload
// past its fields (unused record slots, the tail of the last image chunk, all
// of a chunk read). Frames of unknown commands are judged by the status byte
// alone. A box does not answer a frame that fails this.
bool ZeroWhereUnused(const Frame& request);

}  // namespace caraudio::emulator
