#pragma once

#include "ComplexResponse.h"
#include "ImpulseResponse.h"

namespace caraudio::analysis {

// Up to this long after its largest sample an impulse response is kept;
// a car's response has died into the noise long before, and the rest would
// only add noise to the spectrum.
inline constexpr double kSpectrumAfterPeakS = 0.5;
// The end of what is kept fades out (half a Hann window), so the cut
// adds no ripple.
inline constexpr double kSpectrumFadeS = 0.1;

// The response's spectrum at every grid point, in full scale (a unit impulse
// at sample 0 is 1 everywhere), time counted from the file's first sample:
// the timing reference all channels share. Grid points above the file's
// Nyquist frequency hold 0.
ComplexResponse ImpulseFrequencyResponse(const ImpulseResponse& response, const FrequencyGrid& grid);

}  // namespace caraudio::analysis
