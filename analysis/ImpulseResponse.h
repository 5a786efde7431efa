#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace caraudio::analysis {

// One channel's impulse response as measured: samples in full scale
// (-1..1 for integer files) and the sample rate they were taken at.
struct ImpulseResponse {
    std::vector<double> samples;
    int rate = 0;
};

enum class ImpulseResponseStatus {
    Read,
    NotSoundFile,     // libsndfile does not recognise the bytes
    NotMono,          // more than one channel
    UnsupportedRate,  // not 44100, 48000 or 96000 Hz
    Empty,            // no samples
    TooLong,          // more than kMaxImpulseResponseSeconds
    NotFinite,        // a NaN or an infinity (float files)
};

// Far longer than any room's decay; keeps a wrong file from filling the memory.
inline constexpr double kMaxImpulseResponseSeconds = 10;
// A file of that length at 96 kHz in 64-bit samples is 7.7 MB; one far larger
// is not read into memory at all.
inline constexpr size_t kMaxImpulseResponseBytes = 32u << 20;

struct ImpulseResponseRead {
    ImpulseResponseStatus status = ImpulseResponseStatus::NotSoundFile;
    ImpulseResponse response;  // empty unless status is Read
};

// A WAV (or any file libsndfile reads) holding one channel at a rate
// measuring programs use, from its bytes: the callers read the file
// themselves, so no FIFO or device ever reaches the sound library.
ImpulseResponseRead ReadImpulseResponseBytes(std::string_view bytes);

}  // namespace caraudio::analysis
