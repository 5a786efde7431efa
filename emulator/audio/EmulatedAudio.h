#pragma once

#include <functional>
#include <random>

#include "AudioSystem.h"
#include "EffectBlock.h"
#include "Microphone.h"
#include "VirtualCar.h"

namespace caraudio::emulator {

// What a sound server does that a measurement must cope with.
struct EmulatedAudioOptions {
    // The recording starts this many whole blocks (kCarBlockFrames) after the
    // playback, a different number each take, as servers start streams.
    int fewestStartBlocks = 1, mostStartBlocks = 8;
    // The input's sample clock runs this much faster than the output's.
    double driftPpm = 0;
    // The input's second channel hears the output's first, as a loopback
    // cable on a two-input interface does.
    bool loopback = true;
    unsigned seed = 1;
};

// The emulated box's world as sound devices: an output "Emulated box input"
// whose two channels feed the box's inputs 1 and 2, and an input "Emulated
// microphone" that hears the virtual car through the box's current
// settings. Renders as fast as it can, never waiting for a clock; both ends
// clip at full scale as converters do.
class EmulatedAudio final : public audio::AudioSystem {
public:
    static constexpr const char* kOutputId = "emulated-box-input";
    static constexpr const char* kInputId = "emulated-microphone";

    EmulatedAudio(std::function<EffectBlock()> image, VirtualCar car, Microphone mic,
                  EmulatedAudioOptions options = {});

    std::vector<audio::AudioDevice> Outputs() override;
    std::vector<audio::AudioDevice> Inputs() override;
    audio::PlayRecordResult PlayAndRecord(const audio::PlayRecordRequest& request,
                                          const std::atomic<bool>& cancel) override;

    // How many blocks the last take's recording started after its playback.
    int LastStartBlocks() const { return lastStartBlocks_; }

private:
    // The microphone, and the loopback beside it when there is one.
    int InputChannels() const { return options_.loopback ? 2 : 1; }

    std::function<EffectBlock()> image_;
    VirtualCar car_;
    Microphone mic_;
    EmulatedAudioOptions options_;
    std::mt19937 random_;
    int lastStartBlocks_ = 0;
};

}  // namespace caraudio::emulator
