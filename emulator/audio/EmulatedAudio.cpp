#include "EmulatedAudio.h"

#include <algorithm>
#include <cmath>

#include "BoxSound.h"
#include "Resampled.h"
#include "SeatMicrophone.h"

namespace caraudio::emulator {
namespace {

constexpr int kOutputChannels = 2;

double Clipped(double v) {
    return std::clamp(v, -1.0, 1.0);
}

// `stream` from `from` on, as an input whose clock runs `drift` faster
// samples it: its sample n falls at from + n / (1 + drift).
std::vector<double> SampledByInput(const std::vector<double>& stream, size_t from, size_t frames,
                                   double drift) {
    const std::vector<double> heard(stream.begin() + static_cast<long>(std::min(from, stream.size())),
                                    stream.end());
    std::vector<double> out =
        drift != 0 ? analysis::Resampled(heard, 1 + drift, frames) : std::vector<double>{};
    if (drift != 0 && !out.empty()) return out;
    out.assign(frames, 0.0);
    std::copy_n(heard.begin(), std::min(frames, heard.size()), out.begin());
    return out;
}

}  // namespace

EmulatedAudio::EmulatedAudio(std::function<EffectBlock()> image, VirtualCar car, Microphone mic,
                             EmulatedAudioOptions options)
    : image_(std::move(image)),
      car_(std::move(car)),
      mic_(std::move(mic)),
      options_(options),
      random_(options.seed) {}

std::vector<audio::AudioDevice> EmulatedAudio::Outputs() {
    return {{kOutputId, "Emulated box input", kOutputChannels}};
}

std::vector<audio::AudioDevice> EmulatedAudio::Inputs() {
    return {{kInputId, "Emulated microphone", InputChannels()}};
}

audio::PlayRecordResult EmulatedAudio::PlayAndRecord(const audio::PlayRecordRequest& request,
                                                     const std::atomic<bool>& cancel) {
    audio::PlayRecordResult result;
    if (request.outputId != kOutputId) {
        result.status = audio::AudioStatus::NoSuchDevice;
        result.message = "no output \"" + request.outputId + "\"";
        return result;
    }
    const int inputs = InputChannels();
    if (request.inputId != kInputId || request.inputChannels < 1 || request.inputChannels > inputs ||
        request.play.size() > kOutputChannels) {
        result.status = audio::AudioStatus::NoSuchDevice;
        result.message = request.inputId != kInputId ? "no input \"" + request.inputId + "\""
                                                     : "the emulated devices have two outputs and " +
                                                           std::to_string(inputs) + " input channel(s)";
        return result;
    }

    std::uniform_int_distribution<int> startBlocks(
        options_.fewestStartBlocks, std::max(options_.fewestStartBlocks, options_.mostStartBlocks));
    lastStartBlocks_ = startBlocks(random_);
    const size_t start = static_cast<size_t>(lastStartBlocks_) * kCarBlockFrames;
    const double drift = options_.driftPpm * 1e-6;
    // Output-clock frames the take needs, with room for the resampler's filter.
    const auto heard =
        static_cast<size_t>(std::ceil(static_cast<double>(request.recordFrames) / (1 + drift))) + 256;
    const size_t blocks = (start + heard + kCarBlockFrames - 1) / kCarBlockFrames;

    BoxSound box(image_);
    SeatMicrophone seat(car_, mic_, static_cast<unsigned>(random_()));
    std::vector<double> mic(blocks * kCarBlockFrames), loop(blocks * kCarBlockFrames, 0.0);
    std::array<std::vector<double>, kInputCount> in;
    for (auto& v : in) v.assign(kCarBlockFrames, 0.0);
    std::array<std::vector<double>, kChannelCount> out;
    for (auto& v : out) v.assign(kCarBlockFrames, 0.0);
    std::array<const double*, kChannelCount> outs{};
    for (size_t c = 0; c < kChannelCount; ++c) outs[c] = out[c].data();
    for (size_t b = 0; b < blocks; ++b) {
        if (cancel.load()) {
            result.status = audio::AudioStatus::Cancelled;
            return result;
        }
        const size_t at = b * kCarBlockFrames;
        for (size_t k = 0; k < request.play.size(); ++k)
            for (size_t i = 0; i < kCarBlockFrames; ++i)
                in[k][i] = at + i < request.play[k].size() ? Clipped(request.play[k][at + i]) : 0.0;
        for (size_t i = 0; i < kCarBlockFrames; ++i) loop[at + i] = in[0][i];
        for (size_t sub = 0; sub < kCarBlockFrames; sub += kBlockFrames) {
            std::array<const double*, kInputCount> ins{};
            std::array<double*, kChannelCount> o{};
            for (size_t k = 0; k < kInputCount; ++k) ins[k] = in[k].data() + sub;
            for (size_t c = 0; c < kChannelCount; ++c) o[c] = out[c].data() + sub;
            box.RenderBlock(ins, o);
        }
        seat.Run(outs, mic.data() + at);
        if (request.level && at + kCarBlockFrames > start) {
            double peak = 0;
            for (size_t i = std::max(at, start); i < at + kCarBlockFrames; ++i)
                peak = std::max(peak, std::fabs(Clipped(mic[i])));
            request.level(peak);
        }
    }
    result.recorded.push_back(SampledByInput(mic, start, request.recordFrames, drift));
    if (request.inputChannels == 2)
        result.recorded.push_back(SampledByInput(loop, start, request.recordFrames, drift));
    for (auto& channel : result.recorded)
        for (double& v : channel) v = Clipped(v);
    result.status = audio::AudioStatus::Done;
    return result;
}

}  // namespace caraudio::emulator
