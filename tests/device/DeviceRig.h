#pragma once

// A whole device link in one process: the model, the connection manager with
// its receive thread, and emulated boxes on an in-process bus. Waits that the
// connection steps prescribe are counted, not slept.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceManager.h"
#include "EmulatedHid.h"
#include "ParamDatabase.h"

namespace caraudio::test {

inline constexpr uint16_t kVid = 0x1209;
inline constexpr uint16_t kPid = 0x0D59;

// Lines from both threads, kept in order.
class SharedLog final : public DebugLog, public ErrorLogger {
public:
    void Write(std::string_view line) override {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    void Error(std::string_view message, const char* function, const char*, int) override {
        std::lock_guard lock(mutex_);
        errors_.push_back(std::string(function) + ": " + std::string(message));
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    std::vector<std::string> Errors() const {
        std::lock_guard lock(mutex_);
        return errors_;
    }
    int CountErrors(std::string_view part) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& e : errors_) n += e.find(part) != std::string::npos;
        return n;
    }
    int CountLines(std::string_view part) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& l : lines_) n += l.find(part) != std::string::npos;
        return n;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
        errors_.clear();
    }

private:
    mutable std::mutex mutex_;  // guards both lists
    std::vector<std::string> lines_;
    std::vector<std::string> errors_;
};

class CountingSleeper final : public Sleeper, public MessagePump {
public:
    void SleepMs(int ms) override { slept += ms; }
    void PumpFor(int ms) override { pumped += ms; }
    std::atomic<int> slept{0};
    std::atomic<int> pumped{0};
};

struct DeviceRig {
    DeviceRig()
        : bus(kVid, kPid), linkLog(&log, &log), manager(bus, db, kVid, kPid, linkLog, sleeper, sleeper) {
        db.SetDebugLog(&log);
        db.SetDeviceLink(&manager);
        manager.SetWindowHooks({[this](int lParam) { messages.push_back(lParam); },
                                [this](int id, int ms) { timers.emplace_back(id, ms); }});
        manager.CreateRecvThread();
    }

    emulator::EmulatedBox& AddBox() { return bus.AddBox(); }

    SharedLog log;
    emulator::EmulatedHidBackend bus;
    LinkLog linkLog;
    CountingSleeper sleeper;
    ParamDatabase db;
    CDeviceManager manager;
    std::vector<int> messages;
    std::vector<std::pair<int, int>> timers;
};

}  // namespace caraudio::test
