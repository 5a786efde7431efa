#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ImpulseResponse.h"

namespace caraudio::analysis {
namespace {

// libsndfile's virtual I/O over a read-only buffer.
struct MemoryFile {
    std::string_view bytes;
    sf_count_t position = 0;
};

sf_count_t MemoryLength(void* user) {
    return static_cast<MemoryFile*>(user)->bytes.size();
}

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(f->bytes.size());
    sf_count_t to = offset;
    if (whence == SEEK_CUR) to += f->position;
    if (whence == SEEK_END) to += size;
    if (to < 0 || to > size) return -1;
    f->position = to;
    return to;
}

sf_count_t MemoryRead(void* out, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t left = static_cast<sf_count_t>(f->bytes.size()) - f->position;
    const sf_count_t n = count < left ? count : left;
    if (n <= 0) return 0;
    std::memcpy(out, f->bytes.data() + f->position, static_cast<size_t>(n));
    f->position += n;
    return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t MemoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

bool SupportedRate(int rate) {
    return rate == 44100 || rate == 48000 || rate == 96000;
}

// Checks the header, then reads every frame; closes the file in all cases.
ImpulseResponseRead ReadOpened(SNDFILE* file, const SF_INFO& info) {
    ImpulseResponseRead r;
    if (!file) return r;
    if (info.channels != 1) {
        r.status = ImpulseResponseStatus::NotMono;
    } else if (!SupportedRate(info.samplerate)) {
        r.status = ImpulseResponseStatus::UnsupportedRate;
    } else if (info.frames <= 0) {
        r.status = ImpulseResponseStatus::Empty;
    } else if (info.frames > static_cast<sf_count_t>(kMaxImpulseResponseSeconds * info.samplerate)) {
        r.status = ImpulseResponseStatus::TooLong;
    } else {
        r.response.samples.resize(static_cast<size_t>(info.frames));
        const sf_count_t got = sf_readf_double(file, r.response.samples.data(), info.frames);
        r.response.samples.resize(got > 0 ? static_cast<size_t>(got) : 0);
        r.response.rate = info.samplerate;
        const auto& s = r.response.samples;
        if (s.empty())
            r.status = ImpulseResponseStatus::Empty;
        else if (!std::all_of(s.begin(), s.end(), [](double v) { return std::isfinite(v); }))
            r.status = ImpulseResponseStatus::NotFinite;
        else
            r.status = ImpulseResponseStatus::Read;
        if (r.status != ImpulseResponseStatus::Read) r.response = {};
    }
    sf_close(file);
    return r;
}

}  // namespace

ImpulseResponseRead ReadImpulseResponseBytes(std::string_view bytes) {
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    MemoryFile memory{bytes};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    return ReadOpened(file, info);
}

}  // namespace caraudio::analysis
