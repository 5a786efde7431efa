// The emulated box takes any frame the program (or a fuzzer) sends: every
// answer is well formed, a request with its status byte set is never
// answered, and the box's memory keeps its meaning.
#include <cstdint>
#include <cstring>

#include "BoxFirmware.h"
#include "CheckByte.h"
#include "FuzzCheck.h"

using namespace caraudio;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emulator::BoxFirmware box;
    int lastChunks = 0;
    for (size_t at = 0; at + 63 <= size; at += 63) {
        Frame request{};
        std::memcpy(request.data(), data + at, 63);
        // Mostly valid frames, so the commands themselves are exercised.
        request[63] = CheckByte(request.data(), 63) ^ (data[at] == 0xEE ? 1 : 0);
        const auto reply = box.Handle(request);
        if (request[0] == 0x98 && request[2] == 20) ++lastChunks;
        if (!reply) continue;
        FUZZ_CHECK(request[3] == 0);
        FUZZ_CHECK(reply->frame[0] == static_cast<uint8_t>(request[0] + 1));
        FUZZ_CHECK(reply->frame[63] == CheckByte(reply->frame.data(), 63));
        FUZZ_CHECK(reply->frame[3] == 0xFF || reply->frame[3] == 0x00);
    }
    const emulator::BoxMemory m = box.Memory();
    FUZZ_CHECK(m.modeNumber >= 1 && m.modeNumber <= emulator::kFactoryModeNumber);
    FUZZ_CHECK(m.inputMode <= 1);
    FUZZ_CHECK(box.CompleteImageWrites() <= lastChunks);
    return 0;
}
