// GIF files come from resources or from customisation files beside the
// program: the delay reader takes any bytes.
#include <cstdint>

#include "FuzzCheck.h"
#include "GifDelays.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto delays = caraudio::widgets::GifFrameDelays(data, size);
    FUZZ_CHECK(delays.size() <= size);
    for (int d : delays) FUZZ_CHECK(d >= 0 && d <= 0xFFFF);
    return 0;
}
