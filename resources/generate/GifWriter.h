#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace caraudio::resources {

// A looping animated GIF of 16-colour frames, colour 0 transparent. Written
// without compression: a clear code every few pixels keeps every code at five
// bits, which any decoder reads.
struct GifAnimation {
    int width = 0;
    int height = 0;
    std::array<std::array<uint8_t, 3>, 16> palette{};
    std::vector<std::vector<uint8_t>> frames;  // width x height palette indexes each
    std::vector<int> delays;                   // hundredths of a second, per frame
};

std::string EncodeGif(const GifAnimation& animation);

}  // namespace caraudio::resources
