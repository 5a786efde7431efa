#pragma once

#include <string>

#include "BoxFirmware.h"

namespace caraudio::emulator {

// An emulated box's memory kept in a file between runs, so a demo box
// remembers its tuning and slots the way a real one does.
enum class BoxMemoryLoad { Loaded, Missing, Damaged };

BoxMemoryLoad LoadBoxMemory(const std::string& path, BoxMemory& memory);
// Replaces the file whole (a temporary file of this save's own, then
// rename): a crash mid-save leaves the previous memory in place, and two runs
// saving at once never write into one file.
bool SaveBoxMemory(const std::string& path, const BoxMemory& memory);

}  // namespace caraudio::emulator
