// Draws the "loading" animation: eight dots on a ring, the bright one going
// round, and writes it as an animated GIF to the path given.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "GifWriter.h"

using caraudio::resources::GifAnimation;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_loading_gif OUT.gif\n");
        return 2;
    }
    GifAnimation a;
    a.width = a.height = 48;
    // 0 transparent, 1..8 from dim to bright green.
    for (int i = 1; i <= 8; ++i)
        a.palette[static_cast<size_t>(i)] = {static_cast<uint8_t>(30 + 10 * i),
                                             static_cast<uint8_t>(60 + 24 * i),
                                             static_cast<uint8_t>(20 + 6 * i)};
    constexpr int kDots = 8;
    for (int frame = 0; frame < kDots; ++frame) {
        std::vector<uint8_t> pixels(48 * 48, 0);
        for (int dot = 0; dot < kDots; ++dot) {
            const double angle = 2 * 3.14159265358979 * dot / kDots;
            const double cx = 24 + 16 * std::cos(angle), cy = 24 + 16 * std::sin(angle);
            const int shade = 8 - ((frame - dot + kDots) % kDots);
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 16)
                        pixels[static_cast<size_t>(y * 48 + x)] = static_cast<uint8_t>(shade);
        }
        a.frames.push_back(std::move(pixels));
        a.delays.push_back(10);
    }
    std::ofstream(argv[1], std::ios::binary) << caraudio::resources::EncodeGif(a);
    return 0;
}
