#pragma once

#include "ImpulseResponse.h"

namespace caraudio::analysis {

enum class ArrivalStatus {
    Found,
    Silent,    // every sample is zero
    TooShort,  // the file ends before the response could be seen to die away
    NoLeadIn,  // the direct sound is at the file's start: cut there, or no timing reference
    NoPeak,    // nothing stands clear of the background: noise, music, a sweep, DC
    NoDecay,   // something as strong comes long after the direct sound: not one impulse
};

// When the direct sound reaches the microphone, and which way it swings.
struct Arrival {
    ArrivalStatus status = ArrivalStatus::Silent;
    double ms = 0;     // from the first sample of the response
    int polarity = 0;  // +1 or -1: the sign of the direct sound's first strong lobe
};

// The direct sound is the first lobe (a run of samples of one sign) that
// reaches kDirectSoundFraction of the response's largest magnitude: noise
// before it stays below that, and reflections, however strong, come later.
// Its arrival is where that lobe's rising edge crosses half of the lobe's
// own peak, interpolated between samples. The half-height point rather than
// the peak: a low-passed (sub) response has a broad, skewed hump whose top is
// flat under noise, while its rising edge is steep and well defined; for a
// short broadband pulse the two differ by the pulse's half width only.
// Broad lobes are first smoothed by a local quadratic fit over about half
// their rise, so noise on a slow edge averages out without moving the edge.
inline constexpr double kDirectSoundFraction = 0.4;
inline constexpr double kArrivalLevel = 0.5;

// A room's impulse response has traits that noise, music, a sweep or a cut
// file lack, and a delay read from those would be a confident guess:
//  - Lead-in: nothing in a car sits closer than about 17 cm to the listener,
//    so the direct sound arrives at least 0.5 ms after the timing reference
//    that the file's first sample is.
//  - A peak over the background (the median RMS of 1 ms blocks, which is
//    the noise floor wherever the response is shorter than half the file):
//    measurements reach 30..40 dB and more; random noise of any colour peaks
//    at most about 16 dB over its RMS even in ten seconds (the largest of a
//    million Gaussian samples lies near 5.3 standard deviations), music
//    hardly more, a sweep 3 dB, DC not at all. 20 dB is asked.
//  - Decay: a cabin's reflections arrive within about 10 ms of the direct
//    sound (no path in a car is 3 m longer than the direct one), and even a
//    ported sub's ringing (Q 3 at 30 Hz) has fallen by more than 10 dB
//    50 ms later; from then on nothing may come within 10 dB of the largest
//    sample before. Music, sweeps, noise and a click followed by noise keep
//    as loud. The file must run those 50 ms past the direct sound.
inline constexpr double kMinArrivalMs = 0.5;
inline constexpr double kMinPeakOverBackgroundDb = 20;
inline constexpr double kDecayWindowMs = 50;
inline constexpr double kMaxLateLevelDb = -10;

// The arrival; status Found only for a response that has the traits above
// (ms and polarity are filled in whenever there was a direct sound to time).
Arrival DetectArrival(const ImpulseResponse& response);

// The traits above, for a response whose direct sound starts at sample
// `direct` and arrives at `arrivalMs`.
ArrivalStatus JudgeImpulseResponse(const ImpulseResponse& response, size_t direct, double arrivalMs);

}  // namespace caraudio::analysis
