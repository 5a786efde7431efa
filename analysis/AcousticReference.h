#pragma once

#include <cstddef>
#include <vector>

namespace caraudio::analysis {

// Where the input has no loopback, a speaker is the timing reference: a
// short chirp through it before the sweep and again after, on the output's
// other channel. Where the two are heard gives the recording's start and
// how much faster the input's clock runs than the output's.
struct AcousticTake {
    std::vector<double> sweepChannel, referenceChannel;  // as the output plays them
    std::vector<double> chirp;
    size_t firstChirpAt = 0, secondChirpAt = 0;  // on the output's clock
    size_t sweepAt = 0;
    size_t Frames() const { return sweepChannel.size(); }
};

// The chirp somewhat below the sweep's `levelDbfs`, then the sweep once its echoes have died away,
// then the chirp again after the sweep's own.
AcousticTake LayOutAcousticTake(const std::vector<double>& sweep, double levelDbfs, int rate);

// Time zero of a response against the reference: this long before the
// reference's chirp is heard, so a speaker nearer than the reference keeps
// its start.
inline constexpr double kAcousticTimeZeroMs = 10;

enum class ReferenceHeard {
    Yes,
    NotHeard,    // no chirp before the sweep: not the reference's band, or too quiet
    SecondLost,  // heard before the sweep but not after it
};

struct AcousticResponse {
    ReferenceHeard heard = ReferenceHeard::NotHeard;
    double driftPpm = 0;           // the input's clock against the output's
    std::vector<double> response;  // `frames` long, on the output's clock
};

// The impulse response of the take's recording (the microphone's channel),
// its time zero kAcousticTimeZeroMs before the first chirp arrives, the
// drift between the clocks taken out.
AcousticResponse ResponseAgainstAcousticReference(const std::vector<double>& recorded,
                                                  const AcousticTake& take, size_t frames, int rate);

}  // namespace caraudio::analysis
