#include "BoxMemoryFile.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "AtomicFile.h"
#include "CheckByte.h"

namespace caraudio::emulator {
namespace {

// Layout: magic, mode number, input mode, then the current image, the factory
// settings and the eight user slots, and a check byte over all of it.
constexpr char kMagic[8] = {'C', 'A', 'B', 'O', 'X', 'M', 'E', '1'};
constexpr size_t kImages = 2 + kUserSlots;
constexpr size_t kFileSize = sizeof kMagic + 2 + kImages * kEffectBlockSize + 1;

std::vector<uint8_t> Encode(const BoxMemory& m) {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    out.push_back(m.modeNumber);
    out.push_back(m.inputMode);
    auto put = [&](const EffectBlock& b) { out.insert(out.end(), b.data(), b.data() + kEffectBlockSize); };
    put(m.current);
    put(m.factory);
    for (const EffectBlock& b : m.user) put(b);
    out.push_back(CheckByte(out.data(), out.size()));
    return out;
}

}  // namespace

BoxMemoryLoad LoadBoxMemory(const std::string& path, BoxMemory& memory) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return BoxMemoryLoad::Missing;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != kFileSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        CheckByte(bytes.data(), bytes.size() - 1) != bytes.back())
        return BoxMemoryLoad::Damaged;
    BoxMemory m;
    size_t at = sizeof kMagic;
    m.modeNumber = bytes[at++];
    m.inputMode = bytes[at++];
    auto take = [&](EffectBlock& b) {
        std::memcpy(b.data(), bytes.data() + at, kEffectBlockSize);
        at += kEffectBlockSize;
    };
    take(m.current);
    take(m.factory);
    for (EffectBlock& b : m.user) take(b);
    if (m.modeNumber < 1 || m.modeNumber > kFactoryModeNumber || m.inputMode > 1)
        return BoxMemoryLoad::Damaged;
    memory = m;
    return BoxMemoryLoad::Loaded;
}

bool SaveBoxMemory(const std::string& path, const BoxMemory& memory) {
    const std::vector<uint8_t> bytes = Encode(memory);
    return storage::WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace caraudio::emulator
