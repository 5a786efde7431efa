// Hex blocks from config.ini and scene files: both decoders take any text,
// never write past their buffer, and what they accept encodes back the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "HexBlock.h"

using namespace caraudio::storage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t capacity = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    // Guard bytes on both sides catch a write out of bounds even without ASan.
    std::vector<uint8_t> buffer(capacity + 2, 0xA5);
    const auto n = DecodeHexBlock(text, buffer.data() + 1, capacity);
    FUZZ_CHECK(buffer.front() == 0xA5 && buffer.back() == 0xA5);
    if (n) {
        FUZZ_CHECK(*n <= capacity);
        FUZZ_CHECK(EncodeHexBlock(buffer.data() + 1, *n) == text);
    }
    std::vector<uint8_t> fixed(capacity + 2, 0x5A);
    if (DecodeProfileStruct(text, fixed.data() + 1, capacity)) {
        const std::string again = EncodeProfileStruct(fixed.data() + 1, capacity);
        FUZZ_CHECK(again.size() == text.size());
    }
    FUZZ_CHECK(fixed.front() == 0x5A && fixed.back() == 0x5A);
    return 0;
}
