#include "EmulatedBoxSetup.h"

#include <cerrno>

#include "BoxIds.h"
#include "BoxMemoryFile.h"

namespace caraudio::emulator {

EmulatedSetup MakeEmulatedBus(const std::string& file, SaveFailed saveFailed,
                              std::unique_ptr<EmulatedHidBackend>& bus, std::chrono::milliseconds wait) {
    EmulatedSetup setup;
    BoxMemory memory;
    std::shared_ptr<storage::FileLock> lock;
    if (!file.empty()) {
        // A folder or a FIFO is refused before a lock file is made beside it.
        if (const auto kind = storage::KindOfPath(file); kind && *kind != storage::FileKind::Regular) {
            setup.result = EmulatedSetupResult::Unreadable;
            setup.read = {storage::ReadStatus::NotRegular, 0, *kind};
            return setup;
        }
        lock = std::make_shared<storage::FileLock>(file + ".lock");
        setup.lockPath = lock->Path();
        switch (lock->Take(wait)) {
        case storage::FileLock::Result::Taken:
            break;
        case storage::FileLock::Result::Busy:
            setup.result = EmulatedSetupResult::InUse;
            return setup;
        case storage::FileLock::Result::Failed:
            setup.result = EmulatedSetupResult::LockFailed;
            setup.lockError = lock->Error();
            return setup;
        }
        switch (LoadBoxMemory(file, memory, &setup.read)) {
        case BoxMemoryLoad::Loaded:
        case BoxMemoryLoad::Missing:
            break;
        case BoxMemoryLoad::Damaged:
            setup.result = EmulatedSetupResult::DamagedFile;
            return setup;
        case BoxMemoryLoad::Unreadable:
            setup.result = EmulatedSetupResult::Unreadable;
            return setup;
        }
    }
    bus = std::make_unique<EmulatedHidBackend>(kBoxVendorId, kBoxProductId);
    EmulatedBox& box = bus->AddBox(memory);
    // The lock goes with the observer: as long as this box can save, no
    // other program loads the file.
    if (!file.empty())
        box.Firmware().SetMemoryObserver(
            [file, lock, saveFailed = std::move(saveFailed)](const BoxMemory& m) {
                if (!SaveBoxMemory(file, m) && saveFailed) saveFailed(errno);
            });
    return setup;
}

}  // namespace caraudio::emulator
