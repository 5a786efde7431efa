#include "PulseAudioSystem.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>

namespace caraudio::audio {
namespace {

constexpr const char* kClientName = "caraudio";
// Frames a stream moves at a time: small enough that cancel is heard at once.
constexpr size_t kChunkFrames = 1024;

// One connection for a listing: a mainloop run until the server has said
// all it has to say.
class Listing {
public:
    Listing() : loop_(pa_mainloop_new()), context_(pa_context_new(pa_mainloop_get_api(loop_), kClientName)) {}
    ~Listing() {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_mainloop_free(loop_);
    }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    bool Connect() {
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) return true;
            if (!PA_CONTEXT_IS_GOOD(state)) return false;
            if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) return false;
        }
    }
    void Wait(pa_operation* op) {
        if (!op) return;
        while (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
            if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
        pa_operation_unref(op);
    }
    pa_context* Context() { return context_; }

private:
    pa_mainloop* loop_;
    pa_context* context_;
};

template <typename Info>
void Add(pa_context*, const Info* info, int eol, void* to) {
    if (eol || !info) return;
    static_cast<std::vector<AudioDevice>*>(to)->push_back(
        {info->name, info->description ? info->description : info->name, info->sample_spec.channels});
}

std::vector<AudioDevice> List(bool outputs) {
    std::vector<AudioDevice> devices;
    Listing listing;
    if (!listing.Connect()) return devices;
    if (outputs)
        listing.Wait(pa_context_get_sink_info_list(listing.Context(), Add<pa_sink_info>, &devices));
    else
        listing.Wait(pa_context_get_source_info_list(listing.Context(), Add<pa_source_info>, &devices));
    return devices;
}

struct SimpleClose {
    void operator()(pa_simple* s) const { pa_simple_free(s); }
};
using Stream = std::unique_ptr<pa_simple, SimpleClose>;

Stream Open(pa_stream_direction_t direction, const std::string& device, int channels, std::string& error) {
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32LE;
    format.rate = kRate;
    format.channels = static_cast<uint8_t>(channels);
    // Small buffers (the server's own are seconds long): the sound comes
    // back within the take, and a cancel stops it soon.
    const auto chunk = static_cast<uint32_t>(kChunkFrames * sizeof(float) * static_cast<size_t>(channels));
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = 4 * chunk;
    attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = chunk;
    int code = 0;
    pa_simple* s = pa_simple_new(nullptr, kClientName, direction, device.c_str(),
                                 direction == PA_STREAM_PLAYBACK ? "measurement sweep" : "measurement", &format,
                                 nullptr, &attr, &code);
    if (!s) error = device + ": " + pa_strerror(code);
    return Stream(s);
}

}  // namespace

std::vector<AudioDevice> PulseAudioSystem::Outputs() {
    return List(true);
}

std::vector<AudioDevice> PulseAudioSystem::Inputs() {
    return List(false);
}

PlayRecordResult PulseAudioSystem::PlayAndRecord(const PlayRecordRequest& request,
                                                 const std::atomic<bool>& cancel) {
    PlayRecordResult result;
    const int outChannels = static_cast<int>(std::max<size_t>(1, request.play.size()));
    std::string error;
    Stream record = Open(PA_STREAM_RECORD, request.inputId, request.inputChannels, error);
    Stream play = record ? Open(PA_STREAM_PLAYBACK, request.outputId, outChannels, error) : nullptr;
    if (!record || !play) {
        result.status = AudioStatus::NoSuchDevice;
        result.message = error;
        return result;
    }
    size_t playFrames = 0;
    for (const auto& channel : request.play) playFrames = std::max(playFrames, channel.size());

    // Each thread's outcome, read once both have ended.
    std::mutex lock;  // guards failure
    std::string failure;
    std::atomic<bool> stop{false};
    auto fail = [&](const std::string& what, int code) {
        std::lock_guard hold(lock);
        if (failure.empty()) failure = what + ": " + pa_strerror(code);
        stop = true;
    };
    result.recorded.assign(static_cast<size_t>(request.inputChannels),
                           std::vector<double>(request.recordFrames));
    std::thread recorder([&] {
        std::vector<float> chunk(kChunkFrames * static_cast<size_t>(request.inputChannels));
        for (size_t at = 0; at < request.recordFrames && !stop && !cancel;) {
            const size_t n = std::min(kChunkFrames, request.recordFrames - at);
            int code = 0;
            if (pa_simple_read(record.get(), chunk.data(), n * chunk.size() / kChunkFrames * sizeof(float),
                               &code) < 0)
                return fail(request.inputId, code);
            double peak = 0;
            for (size_t i = 0; i < n; ++i)
                for (size_t c = 0; c < result.recorded.size(); ++c) {
                    const double v = chunk[i * result.recorded.size() + c];
                    result.recorded[c][at + i] = v;
                    peak = std::max(peak, std::fabs(v));
                }
            if (request.level) request.level(peak);
            at += n;
        }
        stop = true;
    });
    std::thread player([&] {
        std::vector<float> chunk(kChunkFrames * static_cast<size_t>(outChannels));
        for (size_t at = 0; at < playFrames && !stop && !cancel; at += kChunkFrames) {
            const size_t n = std::min(kChunkFrames, playFrames - at);
            for (size_t i = 0; i < n; ++i)
                for (size_t c = 0; c < static_cast<size_t>(outChannels); ++c) {
                    const auto& channel = c < request.play.size() ? request.play[c] : request.play.front();
                    const double v =
                        c < request.play.size() && at + i < channel.size() ? channel[at + i] : 0.0;
                    chunk[i * static_cast<size_t>(outChannels) + c] =
                        static_cast<float>(std::clamp(v, -1.0, 1.0));
                }
            int code = 0;
            if (pa_simple_write(play.get(), chunk.data(),
                                n * static_cast<size_t>(outChannels) * sizeof(float), &code) < 0)
                return fail(request.outputId, code);
        }
        int code = 0;
        if (!stop && !cancel && pa_simple_drain(play.get(), &code) < 0) fail(request.outputId, code);
    });
    player.join();
    recorder.join();
    if (cancel) {
        result.status = AudioStatus::Cancelled;
        result.recorded.clear();
    } else if (!failure.empty()) {
        result.status = AudioStatus::DeviceLost;
        result.message = failure;
        result.recorded.clear();
    } else {
        result.status = AudioStatus::Done;
    }
    return result;
}

}  // namespace caraudio::audio
