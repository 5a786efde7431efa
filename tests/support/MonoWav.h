#pragma once

// The samples of a one-channel sound file as the program wrote it; empty
// when it cannot be read or has another number of channels.

#include <sndfile.h>

#include <string>
#include <vector>

namespace caraudio::test {

inline std::vector<double> ReadMonoWav(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<double> x(info.channels == 1 ? static_cast<size_t>(info.frames) : 0);
    if (!x.empty()) sf_readf_double(f, x.data(), info.frames);
    sf_close(f);
    return x;
}

}  // namespace caraudio::test
