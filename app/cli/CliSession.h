#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "DeviceManager.h"
#include "LinkLog.h"
#include "LinkTiming.h"
#include "ParamDatabase.h"

namespace caraudio::emulator {
class BoxFirmware;
class EmulatedHidBackend;
struct EmulatedSetup;
}  // namespace caraudio::emulator

namespace caraudio::cli {

struct CliOptions {
    bool emulate = false;
    std::string emulatorFile;       // empty: the emulated box forgets at exit
    std::string carFolder;          // the emulated microphone's car; empty: the built-in one
    bool budgetMicrophone = false;  // the emulated microphone colours the sound (--mic budget)
    double microphoneDriftPpm = 0;  // its clock against the emulated output's (--mic-drift)
    bool loopback = true;           // it has the loopback beside it (--no-loopback: it has not)
    bool verbose = false;           // traces and link errors to stderr
    // Where a session puts the errno of an emulated box's memory that could
    // not be saved: the command then ends with 1, whatever it printed.
    int* emulatorSaveError = nullptr;
};

// Everything one command needs to talk to a box: the model, the connection
// manager with its receive thread, and either the real hidraw devices or an
// emulated box.
class CliSession {
public:
    CliSession(const CliOptions& options, std::FILE* err);
    ~CliSession();

    // Sets up the link; false (with the reason on err) when it cannot be.
    bool Open();
    // Connects to the first box; prints what went wrong on err.
    ConnectStatus Connect();

    ParamDatabase& Db() { return db_; }
    CDeviceManager& Manager() { return *manager_; }
    // The emulated box's firmware once Open() has made it; null for a real box.
    emulator::BoxFirmware* EmulatedFirmware();

private:
    void WarnSaveFailed(int error);
    bool ExplainSetup(const emulator::EmulatedSetup& setup);

    CliOptions options_;
    std::FILE* err_;
    StreamDebugLog stderrLog_;
    LinkLog linkLog_;
    RealSleeper sleeper_;
    SleepingPump pump_{sleeper_};
    std::unique_ptr<HidBackend> backend_;
    emulator::EmulatedHidBackend* emulatedBus_ = nullptr;  // backend_, when it is the emulated one
    bool saveWarned_ = false;
    ParamDatabase db_;
    std::unique_ptr<CDeviceManager> manager_;
};

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// 3 no box found, 4 the box could not be opened, 5 no handshake, 6 refused.
int ExitStatusFor(ConnectStatus status);

}  // namespace caraudio::cli
