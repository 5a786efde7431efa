#include "CliSession.h"

#include <cstring>

#include "AccessAdvice.h"
#include "BoxIds.h"
#include "EmulatedBoxSetup.h"
#include "HidrawDevices.h"

namespace caraudio::cli {

CliSession::CliSession(const CliOptions& options, std::FILE* err)
    : options_(options),
      err_(err),
      stderrLog_(err),
      linkLog_(options.verbose ? &stderrLog_ : nullptr, nullptr) {
    if (options.verbose) db_.SetDebugLog(&stderrLog_);
    // No window fires timers here: every change goes out at once.
    db_.Throttle().Configure(SendThrottle::kDefaultInterval, nullptr, SendThrottle::kTimerId);
}

CliSession::~CliSession() {
    manager_.reset();  // closes the box and stops the receive thread first
    db_.SetDeviceLink(nullptr);
}

bool CliSession::Open() {
    if (options_.emulate) {
        std::unique_ptr<emulator::EmulatedHidBackend> bus;
        const emulator::EmulatedSetup setup = emulator::MakeEmulatedBus(
            options_.emulatorFile, [this](int error) { WarnSaveFailed(error); }, bus);
        if (!ExplainSetup(setup)) return false;
        emulatedBus_ = bus.get();
        backend_ = std::move(bus);
    } else {
        backend_ = std::make_unique<HidrawBackend>(linkLog_);
    }
    manager_ = std::make_unique<CDeviceManager>(*backend_, db_, kBoxVendorId, kBoxProductId, linkLog_,
                                                sleeper_, pump_);
    db_.SetDeviceLink(manager_.get());
    if (!manager_->CreateRecvThread()) {
        std::fprintf(err_, "caraudio-cli: cannot start the receive thread.\n");
        return false;
    }
    return true;
}

emulator::BoxFirmware* CliSession::EmulatedFirmware() {
    emulator::EmulatedBox* box = emulatedBus_ ? emulatedBus_->FindBox("emulator:0") : nullptr;
    return box ? &box->Firmware() : nullptr;
}

// Says why there is no emulated box; true when there is one.
bool CliSession::ExplainSetup(const emulator::EmulatedSetup& setup) {
    const char* file = options_.emulatorFile.c_str();
    switch (setup.result) {
    case emulator::EmulatedSetupResult::Ready:
        return true;
    case emulator::EmulatedSetupResult::DamagedFile:
        std::fprintf(err_,
                     "caraudio-cli: %s is not the memory of an emulated box, or it is damaged; "
                     "move it away to start a new box.\n",
                     file);
        break;
    case emulator::EmulatedSetupResult::Unreadable:
        std::fprintf(
            err_,
            "caraudio-cli: %s; --emulate=FILE keeps the emulated box's memory in a regular file, and "
            "this one is left as it is.\n",
            storage::ReadProblemText(options_.emulatorFile, setup.read, 0).c_str());
        break;
    case emulator::EmulatedSetupResult::InUse:
        std::fprintf(
            err_,
            "caraudio-cli: %s is in use by another program (an emulated box keeps its memory there); "
            "try again when it has finished.\n",
            file);
        break;
    case emulator::EmulatedSetupResult::LockFailed:
        std::fprintf(err_, "caraudio-cli: cannot lock %s: %s.\n", setup.lockPath.c_str(),
                     std::strerror(setup.lockError));
        break;
    }
    return false;
}

void CliSession::WarnSaveFailed(int error) {
    if (options_.emulatorSaveError) *options_.emulatorSaveError = error;
    if (saveWarned_) return;
    saveWarned_ = true;
    // What the box did this run is said on standard output; that it is not
    // kept must be as plain.
    std::fprintf(err_,
                 "caraudio-cli: cannot save the emulated box's memory to %s: %s; the emulated box "
                 "forgets this change when the command ends.\n",
                 options_.emulatorFile.c_str(), std::strerror(error));
}

ConnectStatus CliSession::Connect() {
    const ConnectStatus status = db_.Connect();
    switch (status) {
    case ConnectStatus::Connected:
        break;
    case ConnectStatus::NoBoxFound:
        if (!manager_->Unopened().empty())
            std::fprintf(err_, "caraudio-cli: %s\n", UnopenedBoxAdvice(manager_->Unopened()).c_str());
        else
            std::fprintf(err_, "caraudio-cli: no box found. Plug the box in, or try --emulate.\n");
        break;
    case ConnectStatus::OpenFailed:
        std::fprintf(err_, "caraudio-cli: the box was found but could not be opened.\n");
        break;
    case ConnectStatus::HandshakeNotAnswered:
        std::fprintf(err_, "caraudio-cli: the box did not answer the handshake.\n");
        break;
    case ConnectStatus::HandshakeRefused:
        std::fprintf(err_, "caraudio-cli: the box refused the handshake (wrong identifiers for this box).\n");
        break;
    }
    return status;
}

int ExitStatusFor(ConnectStatus status) {
    return status == ConnectStatus::Connected ? kExitOk : 2 + static_cast<int>(status);
}

}  // namespace caraudio::cli
