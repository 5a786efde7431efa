#pragma once

#include <string>
#include <string_view>

#include "AtomicFile.h"
#include "BoxFirmware.h"

namespace caraudio::emulator {

// An emulated box's memory kept in a file between runs, so a demo box
// remembers its tuning and slots the way a real one does.
enum class BoxMemoryLoad {
    Loaded,
    Missing,
    Damaged,     // the wrong size, or not a box's memory
    Unreadable,  // not a regular file, or it cannot be read: `why` says which
};

// Reads no more than a memory file's exact size.
BoxMemoryLoad LoadBoxMemory(const std::string& path, BoxMemory& memory, storage::ReadResult* why = nullptr);
// The file's bytes of a memory, and the memory from them; false (and
// `memory` untouched) when they are not one.
std::string EncodeBoxMemory(const BoxMemory& memory);
bool DecodeBoxMemory(std::string_view bytes, BoxMemory& memory);
// Replaces the file whole (a temporary file of this save's own, then
// rename): a crash mid-save leaves the previous memory in place, and two runs
// saving at once never write into one file. False with errno on failure.
bool SaveBoxMemory(const std::string& path, const BoxMemory& memory);

}  // namespace caraudio::emulator
