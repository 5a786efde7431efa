#include "AudioSystems.h"

#include <algorithm>

namespace caraudio::audio {
namespace {

bool Holds(const std::vector<AudioDevice>& devices, const std::string& id) {
    return std::any_of(devices.begin(), devices.end(), [&](const AudioDevice& d) { return d.id == id; });
}

}  // namespace

void AudioSystems::Add(std::unique_ptr<AudioSystem> system) {
    systems_.push_back(std::move(system));
}

std::vector<AudioDevice> AudioSystems::All(std::vector<AudioDevice> (AudioSystem::*list)()) {
    std::vector<AudioDevice> all;
    for (auto& s : systems_) {
        const std::vector<AudioDevice> some = ((*s).*list)();
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

std::vector<AudioDevice> AudioSystems::Outputs() {
    return All(&AudioSystem::Outputs);
}

std::vector<AudioDevice> AudioSystems::Inputs() {
    return All(&AudioSystem::Inputs);
}

PlayRecordResult AudioSystems::PlayAndRecord(const PlayRecordRequest& request,
                                             const std::atomic<bool>& cancel) {
    bool output = false, input = false;
    for (auto& s : systems_) {
        const bool hasOutput = Holds(s->Outputs(), request.outputId),
                   hasInput = Holds(s->Inputs(), request.inputId);
        if (hasOutput && hasInput) return s->PlayAndRecord(request, cancel);
        output |= hasOutput, input |= hasInput;
    }
    PlayRecordResult r;
    r.status = AudioStatus::NoSuchDevice;
    r.message = !output  ? "no output \"" + request.outputId + "\""
                : !input ? "no input \"" + request.inputId + "\""
                         : "\"" + request.outputId + "\" and \"" + request.inputId +
                               "\" are not on one sound system; a take plays and records on one";
    return r;
}

}  // namespace caraudio::audio
