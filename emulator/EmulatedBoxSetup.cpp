#include "EmulatedBoxSetup.h"

#include "BoxIds.h"
#include "BoxMemoryFile.h"

namespace caraudio::emulator {

EmulatedSetupResult MakeEmulatedBus(const std::string& file, std::function<void()> saveFailed,
                                    std::unique_ptr<EmulatedHidBackend>& bus) {
    BoxMemory memory;
    if (!file.empty() && LoadBoxMemory(file, memory) == BoxMemoryLoad::Damaged)
        return EmulatedSetupResult::DamagedFile;
    bus = std::make_unique<EmulatedHidBackend>(kBoxVendorId, kBoxProductId);
    EmulatedBox& box = bus->AddBox(memory);
    if (!file.empty())
        box.Firmware().SetMemoryObserver([file, saveFailed = std::move(saveFailed)](const BoxMemory& m) {
            if (!SaveBoxMemory(file, m) && saveFailed) saveFailed();
        });
    return EmulatedSetupResult::Ready;
}

}  // namespace caraudio::emulator
