#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "EffectBlock.h"

namespace caraudio::storage {

// A named copy of the whole image: the unit of the PC scene store and of a
// scene file. On disk: the name as 32 UTF-16LE units (NUL-terminated, zeros
// after), then the 1230-byte image.
struct SceneRecord {
    static constexpr size_t kNameUnits = 32;
    static constexpr size_t kMaxNameUnits = kNameUnits - 1;
    static constexpr size_t kSize = 2 * kNameUnits + kEffectBlockSize;  // 1294

    std::u16string name;  // at most 31 units
    EffectBlock block;

    // The name as the store keeps it (see StoredSceneName), cut to 31 units
    // so that it always fits.
    static SceneRecord Make(std::u16string_view name, const EffectBlock& block);

    std::array<uint8_t, kSize> ToBytes() const;
    // A name without NUL in its 32 units is cut as Make cuts it.
    static SceneRecord FromBytes(const std::array<uint8_t, kSize>& bytes);

    std::string NameUtf8() const;
};

}  // namespace caraudio::storage
