#include "MeasuringRig.h"

#include <algorithm>

#include "CrossoverPairs.h"
#include "TakeRouting.h"
#include "ValueScales.h"

namespace caraudio::measure {

int Rig::InputChannels() const {
    return std::max(microphone, loopback) + 1;
}

std::string Rig::Timing() const {
    return Acoustic() ? "acoustic, " + ChannelLabel(referenceBlock)
                      : "loopback on input " + std::to_string(loopback + 1);
}

RigFound FindRig(const std::vector<audio::AudioDevice>& outputs,
                 const std::vector<audio::AudioDevice>& inputs, const RigChoice& choice) {
    RigFound found;
    auto named = [](const std::vector<audio::AudioDevice>& devices, const std::string& id) {
        return id.empty() ? devices.begin()
                          : std::find_if(devices.begin(), devices.end(),
                                         [&](const audio::AudioDevice& d) { return d.id == id; });
    };
    const auto output = named(outputs, choice.output);
    const auto input = named(inputs, choice.input);
    if (output == outputs.end() || input == inputs.end()) {
        found.problem = output == outputs.end() ? RigProblem::NoSuchOutput : RigProblem::NoSuchInput;
        return found;
    }
    found.output = *output, found.input = *input;
    Rig& rig = found.rig;
    rig.outputId = output->id, rig.inputId = input->id;
    rig.sweepOutput = choice.outputChannel - 1, rig.microphone = choice.inputChannel - 1;
    ReferenceChoice reference = choice.reference;
    if (reference.kind == ReferenceChoice::Default) {
        if (input->channels < 2) {
            found.problem = RigProblem::NoLoopback;
            return found;
        }
        reference.kind = ReferenceChoice::Loopback;
        reference.loopbackChannel = rig.microphone == 1 ? 1 : 2;
    }
    if (reference.kind == ReferenceChoice::Loopback) rig.loopback = reference.loopbackChannel - 1;
    rig.referenceBlock = reference.block;
    // The chirp goes out on the other of the two channels that feed the
    // box's first inputs.
    rig.referenceOutput = rig.sweepOutput == 0 ? 1 : 0;
    const int outputsUsed = rig.Acoustic() ? 2 : 1;
    if (rig.sweepOutput < 0 || rig.sweepOutput > 1 ||
        output->channels < std::max(outputsUsed, rig.sweepOutput + 1))
        found.problem = RigProblem::OutputChannels;
    else if (rig.microphone < 0 || rig.InputChannels() > input->channels || rig.microphone == rig.loopback)
        found.problem = RigProblem::InputChannels;
    return found;
}

ChannelCheck CheckChannels(const EffectBlock& image, const std::vector<int>& blocks, bool allowFullRange) {
    for (const int block : blocks) {
        if (!TakeRouting::HearsAnInput(image, block)) return {ChannelProblem::HearsNoInput, block};
        if (analysis::PassesOf(image, block).highPassHz <= 0 && !allowFullRange)
            return {ChannelProblem::NoHighPass, block};
    }
    return {};
}

}  // namespace caraudio::measure
