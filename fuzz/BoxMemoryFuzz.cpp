// An emulated box's memory file as anything may leave it: reading never
// crashes, and what is read as a memory is that memory exactly, byte for
// byte, with a mode and an input mode the box can be in.
#include <cstdint>
#include <string_view>

#include "BoxMemoryFile.h"
#include "FuzzCheck.h"

using namespace caraudio;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    emulator::BoxMemory memory;
    if (!emulator::DecodeBoxMemory(bytes, memory)) return 0;
    FUZZ_CHECK(memory.modeNumber >= 1 && memory.modeNumber <= emulator::kFactoryModeNumber);
    FUZZ_CHECK(memory.inputMode <= 1);
    FUZZ_CHECK(emulator::EncodeBoxMemory(memory) == bytes);
    return 0;
}
