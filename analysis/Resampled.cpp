#include "Resampled.h"

#include <samplerate.h>

#include <algorithm>

namespace caraudio::analysis {

std::vector<double> Resampled(const std::vector<double>& x, double ratio, size_t frames,
                              ResampleQuality quality) {
    std::vector<double> result(frames, 0.0);
    if (x.empty() || frames == 0) return result;
    std::vector<float> in(x.begin(), x.end()), out(frames);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (src_simple(&data, quality == ResampleQuality::Best ? SRC_SINC_BEST_QUALITY : SRC_SINC_MEDIUM_QUALITY,
                   1) != 0)
        return {};
    std::copy_n(out.begin(), std::min(frames, static_cast<size_t>(data.output_frames_gen)), result.begin());
    return result;
}

}  // namespace caraudio::analysis
