#include "Resample.h"

#include <samplerate.h>

#include <cmath>

#include "VirtualCar.h"

namespace caraudio::emulator {

std::vector<double> ImpulseResponseAt48k(const std::vector<double>& samples, int rate) {
    if (rate == kCarRate || samples.empty()) return samples;
    const double ratio = static_cast<double>(kCarRate) / rate;
    std::vector<float> in(samples.begin(), samples.end());
    // The converter's own delay is taken out by libsamplerate; its filter
    // rings past the end, so room for that is left.
    std::vector<float> out(static_cast<size_t>(std::ceil(static_cast<double>(in.size()) * ratio)) + 64);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (src_simple(&data, SRC_SINC_BEST_QUALITY, 1) != 0) return {};
    std::vector<double> result(static_cast<size_t>(data.output_frames_gen));
    for (size_t i = 0; i < result.size(); ++i) result[i] = out[i] / ratio;
    return result;
}

}  // namespace caraudio::emulator
