#pragma once

#include <functional>
#include <memory>
#include <string>

#include "EmulatedHid.h"

namespace caraudio::emulator {

// The box the programs' --emulate[=FILE] gives: one emulated box on a bus of
// its own, its memory read from `file` and written back after every change
// (no file: it forgets at exit). `saveFailed` hears of a write that failed.
enum class EmulatedSetupResult { Ready, DamagedFile };

EmulatedSetupResult MakeEmulatedBus(const std::string& file, std::function<void()> saveFailed,
                                    std::unique_ptr<EmulatedHidBackend>& bus);

}  // namespace caraudio::emulator
