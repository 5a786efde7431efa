#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace caraudio::audio {

// Every stream runs at this rate: the box's.
inline constexpr int kRate = 48000;

struct AudioDevice {
    std::string id;    // what a command line or a setting names it by
    std::string name;  // what the user is shown
    int channels = 0;
};

// One take: `play` goes out on the output's channels (one vector each, the
// rest silent) while `recordFrames` of the input's first `inputChannels`
// come back. Samples are full scale -1..1.
struct PlayRecordRequest {
    std::string outputId, inputId;
    std::vector<std::vector<double>> play;
    int inputChannels = 1;
    size_t recordFrames = 0;
    // Called now and then with the largest input sample since the last call,
    // on whichever thread records (the server's back end has one of its
    // own): it must be quick and safe to call from there.
    std::function<void(double peak)> level;
};

enum class AudioStatus {
    Done,
    NoSuchDevice,  // `message` names it
    Cancelled,
    DeviceLost,  // unplugged or taken away mid-way
    Failed,      // anything else the back end says; `message` holds it
};

struct PlayRecordResult {
    AudioStatus status = AudioStatus::Failed;
    std::string message;
    std::vector<std::vector<double>> recorded;  // inputChannels x recordFrames when Done
};

// The sound devices a measurement may use: listed, then played and
// recorded through together. Implemented on a sound server's library and
// by the emulated box's world.
class AudioSystem {
public:
    virtual ~AudioSystem() = default;
    virtual std::vector<AudioDevice> Outputs() = 0;
    virtual std::vector<AudioDevice> Inputs() = 0;
    // Blocks until done or `cancel` is set.
    virtual PlayRecordResult PlayAndRecord(const PlayRecordRequest& request,
                                           const std::atomic<bool>& cancel) = 0;
};

}  // namespace caraudio::audio
