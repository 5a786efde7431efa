#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace caraudio::widgets {

// The delay of every frame of a GIF, in hundredths of a second, as the file
// gives it (0 stays 0). Reads the blocks only; a damaged file gives the
// delays of the frames before the damage.
std::vector<int> GifFrameDelays(const uint8_t* data, size_t size);

}  // namespace caraudio::widgets
