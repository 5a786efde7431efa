#pragma once

#include <cstddef>
#include <vector>

namespace caraudio::analysis {

// The impulse response that turns `reference` into `recorded` (both sampled
// together, from the same instant): the recorded spectrum divided by the
// reference's, `frames` long from the reference's time zero. Where the
// reference holds next to nothing (outside the sweep's band) the division is
// held back, so noise there is not lifted into the response: regularised at
// a millionth of the reference's strongest power. A silent reference gives
// silence. `delayFrames` (any fraction, either sign) moves the response
// later, as when the recording is known to have started that much late.
std::vector<double> Deconvolve(const std::vector<double>& recorded, const std::vector<double>& reference,
                               size_t frames, double delayFrames = 0);

}  // namespace caraudio::analysis
