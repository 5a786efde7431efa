#include "BoxMemoryFile.h"

#include <cstring>

#include "CheckByte.h"

namespace caraudio::emulator {
namespace {

// Layout: magic, mode number, input mode, then the current image, the factory
// settings and the eight user slots, and a check byte over all of it.
constexpr char kMagic[8] = {'C', 'A', 'B', 'O', 'X', 'M', 'E', '1'};
constexpr size_t kImages = 2 + kUserSlots;
constexpr size_t kFileSize = sizeof kMagic + 2 + kImages * kEffectBlockSize + 1;

}  // namespace

std::string EncodeBoxMemory(const BoxMemory& m) {
    std::string out(kMagic, sizeof kMagic);
    out.push_back(static_cast<char>(m.modeNumber));
    out.push_back(static_cast<char>(m.inputMode));
    auto put = [&](const EffectBlock& b) {
        out.append(reinterpret_cast<const char*>(b.data()), kEffectBlockSize);
    };
    put(m.current);
    put(m.factory);
    for (const EffectBlock& b : m.user) put(b);
    out.push_back(static_cast<char>(CheckByte(reinterpret_cast<const uint8_t*>(out.data()), out.size())));
    return out;
}

bool DecodeBoxMemory(std::string_view text, BoxMemory& memory) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    if (text.size() != kFileSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 ||
        CheckByte(bytes, text.size() - 1) != bytes[text.size() - 1])
        return false;
    BoxMemory m;
    size_t at = sizeof kMagic;
    m.modeNumber = bytes[at++];
    m.inputMode = bytes[at++];
    auto take = [&](EffectBlock& b) {
        std::memcpy(b.data(), bytes + at, kEffectBlockSize);
        at += kEffectBlockSize;
    };
    take(m.current);
    take(m.factory);
    for (EffectBlock& b : m.user) take(b);
    if (m.modeNumber < 1 || m.modeNumber > kFactoryModeNumber || m.inputMode > 1) return false;
    memory = m;
    return true;
}

BoxMemoryLoad LoadBoxMemory(const std::string& path, BoxMemory& memory, storage::ReadResult* why) {
    std::string bytes;
    const storage::ReadResult read = storage::ReadFile(path, bytes, kFileSize);
    if (why) *why = read;
    switch (read.status) {
    case storage::ReadStatus::Read:
        return DecodeBoxMemory(bytes, memory) ? BoxMemoryLoad::Loaded : BoxMemoryLoad::Damaged;
    case storage::ReadStatus::Missing:
        return BoxMemoryLoad::Missing;
    case storage::ReadStatus::TooLarge:
        return BoxMemoryLoad::Damaged;
    case storage::ReadStatus::Failed:
    case storage::ReadStatus::NotRegular:
        break;
    }
    return BoxMemoryLoad::Unreadable;
}

bool SaveBoxMemory(const std::string& path, const BoxMemory& memory) {
    return storage::WriteFileAtomically(path, EncodeBoxMemory(memory));
}

}  // namespace caraudio::emulator
