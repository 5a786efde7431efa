#pragma once

#include <string>
#include <vector>

#include "AudioSystem.h"
#include "EffectBlock.h"

namespace caraudio::measure {

// What a measurement is timed against.
struct ReferenceChoice {
    enum Kind { Default, Loopback, Acoustic } kind = Default;
    int loopbackChannel = 2;  // the input channel (from 1) the output's sweep comes back on
    int block = 0;            // the acoustic reference's output block
};

// The devices, their channels and the timing reference, as a take uses them.
struct Rig {
    std::string outputId, inputId;
    int sweepOutput = 0, microphone = 0;  // channels from 0; output n feeds the box's input n
    int loopback = -1;                    // the input channel, or -1 for an acoustic reference
    int referenceOutput = 1, referenceBlock = 0;

    bool Acoustic() const { return loopback < 0; }
    int InputChannels() const;
    // As the files and the index say it: "loopback on input 2", "acoustic, CH1".
    std::string Timing() const;
};

struct RigChoice {
    std::string output, input;                // device ids; empty: the first listed
    int outputChannel = 1, inputChannel = 1;  // from 1: the sweep's and the microphone's
    ReferenceChoice reference;
};

enum class RigProblem {
    None,
    NoSuchOutput,
    NoSuchInput,
    NoLoopback,      // one input channel and no reference chosen
    OutputChannels,  // the sweep's channel is not 1 or 2, or the output lacks it or the chirp's
    InputChannels,   // the input lacks the microphone's or the loopback's channel
};

struct RigFound {
    RigProblem problem = RigProblem::None;
    Rig rig;
    audio::AudioDevice output, input;  // as listed, where found
};

RigFound FindRig(const std::vector<audio::AudioDevice>& outputs,
                 const std::vector<audio::AudioDevice>& inputs, const RigChoice& choice);

enum class ChannelProblem { None, HearsNoInput, NoHighPass };

struct ChannelCheck {
    ChannelProblem problem = ChannelProblem::None;
    int block = 0;
};

// Whether each channel can be swept: it plays something of the box's
// inputs, and it is no tweeter left without its high-pass (that can be
// destroyed) unless a full range is allowed.
ChannelCheck CheckChannels(const EffectBlock& image, const std::vector<int>& blocks, bool allowFullRange);

}  // namespace caraudio::measure
