#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "AtomicFile.h"
#include "EmulatedHid.h"
#include "FileLock.h"

namespace caraudio::emulator {

// The box the programs' --emulate[=FILE] gives: one emulated box on a bus of
// its own, its memory read from `file` and written back after every change
// (no file: it forgets at exit).
//
// While the bus lives it holds FILE.lock, and it reads the memory only once
// it holds it: two programs on one file would each save their own copy over
// the other's changes. A file that cannot be read is never saved over: the
// bus is not made at all.
enum class EmulatedSetupResult {
    Ready,
    DamagedFile,  // not the memory of an emulated box
    Unreadable,   // not a regular file, or it cannot be read: `read` says why
    InUse,        // another program held the lock for the whole wait
    LockFailed,   // the lock file cannot be made: `lockError` says why
};

struct EmulatedSetup {
    EmulatedSetupResult result = EmulatedSetupResult::Ready;
    storage::ReadResult read{storage::ReadStatus::Read};
    int lockError = 0;
    std::string lockPath;
};

// Hears of a save that failed, with its errno.
using SaveFailed = std::function<void(int error)>;

EmulatedSetup MakeEmulatedBus(const std::string& file, SaveFailed saveFailed,
                              std::unique_ptr<EmulatedHidBackend>& bus,
                              std::chrono::milliseconds wait = storage::kLockWait);

}  // namespace caraudio::emulator
