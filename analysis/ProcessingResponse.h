#pragma once

#include "ComplexResponse.h"
#include "EffectBlock.h"
#include "MeasuredWith.h"

namespace caraudio::analysis {

// Which of a channel's settings act on its sound.
struct ProcessingParts {
    bool crossovers = true;
    bool eq = true;
    bool levelPolarityDelay = true;  // the channel's volume, phase button and delay
    bool mute = true;                // a muted channel (or volume OFF) sends nothing
};

// What the box does to one output channel's sound (block 0..5), with its
// phase, at every grid point.
//
// The box's firmware is not documented; this is what the control panel
// assumes, and it is consistent with the curve the editor draws:
//  - each EQ band is the biquad of the EQ response model;
//  - each crossover is the model's second-order section raised to the power
//    slope / -12: 24 dB/oct is the section twice, and a 6 dB/oct remainder
//    is the section's square root (half its log-magnitude and half its
//    unwrapped phase), which keeps it minimum phase as a first-order filter is;
//  - the delay is a pure delay of whole samples at 48 kHz;
//  - the phase button inverts the polarity;
//  - the volume is a gain (raw - 60 dB); the main volume, the same for every
//    channel, is left out, so the channels' levels against each other hold.
ComplexResponse ProcessingResponse(const EffectBlock& image, int channel, ProcessingParts parts,
                                   const FrequencyGrid& grid);

// What played besides the speaker while a measurement was taken: nothing,
// the crossovers, or every setting of the channel then (a muted channel is
// not divided out: its measurement holds what it holds).
ComplexResponse PlayedComplex(const PlayedSettings& played, const FrequencyGrid& grid);

// The speaker alone: the measurement less what played. Where what played
// all but silenced the speaker (deep in a crossover's stop band) the
// division is held to 60 dB, so noise there is not lifted without bound.
ComplexResponse SpeakerAloneComplex(const ComplexResponse& measured, const ComplexResponse& played);

}  // namespace caraudio::analysis
