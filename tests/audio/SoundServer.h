#pragma once

// A PulseAudio server of the test's own, in a runtime folder of its own:
// two null sinks, "box_input" (what the measurement plays into the box) and
// "microphone" (what the virtual car sends back), each with its monitor as
// a source. Stopped when the test ends.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "PulseAudioSystem.h"

namespace caraudio::test {

class SoundServer {
public:
    SoundServer() {
        folder_ = std::filesystem::temp_directory_path() / ("sound-server-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "home");
        std::ofstream(folder_ / "server.pa")
            << "load-module module-native-protocol-unix\n"
               "load-module module-null-sink sink_name=box_input format=float32le rate=48000 channels=2\n"
               "load-module module-null-sink sink_name=microphone format=float32le rate=48000 channels=2\n";
        // The clients of this process find the server by these.
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        ::setenv("HOME", (folder_ / "home").c_str(), 1);
        ::unsetenv("PULSE_SERVER");
        const std::string conf = (folder_ / "server.pa").string(), log = (folder_ / "server.log").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                     "--disallow-exit", "--use-pid-file=no", "-F", conf.c_str(), "--log-target=stderr",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        audio::PulseAudioSystem devices;
        for (int i = 0; i < 100 && pid_ > 0 && devices.Outputs().size() < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ready_ = pid_ > 0 && devices.Outputs().size() >= 2;
    }
    ~SoundServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove_all(folder_);
    }
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    bool Ready() const { return ready_; }
    // What the server said, for a test that could not start it.
    std::string Log() const {
        std::ifstream in(folder_ / "server.log");
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace caraudio::test
