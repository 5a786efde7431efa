#pragma once

#include <memory>
#include <vector>

#include "AudioSystem.h"

namespace caraudio::audio {

// Several sets of devices offered as one list, in the order given (the
// emulated box's beside the sound server's); a take runs on the set that
// holds both its output and its input.
class AudioSystems final : public AudioSystem {
public:
    void Add(std::unique_ptr<AudioSystem> system);

    std::vector<AudioDevice> Outputs() override;
    std::vector<AudioDevice> Inputs() override;
    PlayRecordResult PlayAndRecord(const PlayRecordRequest& request,
                                   const std::atomic<bool>& cancel) override;

private:
    // Every set's outputs or inputs, in order.
    std::vector<AudioDevice> All(std::vector<AudioDevice> (AudioSystem::*list)());

    std::vector<std::unique_ptr<AudioSystem>> systems_;
};

}  // namespace caraudio::audio
