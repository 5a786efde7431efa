#pragma once

#include "AudioSystem.h"

namespace caraudio::audio {

// The sound server's devices through PulseAudio's client library, which
// PipeWire's PulseAudio server answers as well: its sinks are the outputs,
// its sources the inputs (a sink's monitor among them, the way to loop an
// output back in software). A take opens a recording and a playback stream
// at 48 kHz in 32-bit float and runs each on a thread of its own.
class PulseAudioSystem final : public AudioSystem {
public:
    std::vector<AudioDevice> Outputs() override;
    std::vector<AudioDevice> Inputs() override;
    PlayRecordResult PlayAndRecord(const PlayRecordRequest& request,
                                   const std::atomic<bool>& cancel) override;
};

}  // namespace caraudio::audio
