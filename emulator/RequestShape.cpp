#include "RequestShape.h"

#include <algorithm>
#include <initializer_list>

#include "DeviceCommands.h"
#include "EffectBlock.h"

namespace caraudio::emulator {
namespace {

struct Span {
    int from;
    int to;  // one past the last byte
};

constexpr int kChunkSize = 59;
constexpr int kRandomLimit = 32767;  // the key exchange's values are 0..32766
constexpr int kRandomOffsets[] = {6, 12, 24, 32};

int ChunkLength(int k) {
    return std::clamp(kEffectBlockSize - kChunkSize * k, 0, kChunkSize);
}

bool ZeroOutside(const Frame& f, std::initializer_list<Span> used) {
    for (int at = 1; at < kFrameSize - 1; ++at) {
        const bool inUse =
            std::any_of(used.begin(), used.end(), [at](const Span& s) { return at >= s.from && at < s.to; });
        if (!inUse && f[static_cast<size_t>(at)] != 0) return false;
    }
    return true;
}

bool RandomValuesInRange(const Frame& f) {
    return std::all_of(std::begin(kRandomOffsets), std::end(kRandomOffsets), [&f](int at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(f[static_cast<size_t>(at + i)]) << (8 * i);
        return v < kRandomLimit;
    });
}

}  // namespace

bool ZeroWhereUnused(const Frame& f) {
    switch (f[0]) {
    case command::KeyExchange:
        return ZeroOutside(f, {{6, 10}, {12, 16}, {24, 28}, {32, 36}}) && RandomValuesInRange(f);
    case command::Handshake:
        return ZeroOutside(f, {{4, 13}});
    case command::RecallMode:
    case command::StoreMode:
        return ZeroOutside(f, {{4, 5}});
    case command::CurrentMode:
        return ZeroOutside(f, {});
    case command::ReadChunk:
        return ZeroOutside(f, {{2, 3}});
    case command::WriteChunk:
        return ZeroOutside(f, {{2, 3}, {4, 4 + ChunkLength(f[2])}});
    case command::WriteParams:
        return ZeroOutside(f, {{2, 3}, {4, 5}, {5, 5 + 5 * f[4]}});
    case command::InputChannelMode:
        // A query carries no mode.
        return ZeroOutside(f, {{4, 5}, {5, f[4] == 0 ? 5 : 6}});
    default:
        return f[3] == 0;
    }
}

}  // namespace caraudio::emulator
