#include "SceneRecord.h"

#include <cstring>

#include "SceneName.h"
#include "TextCodec.h"

namespace caraudio::storage {

SceneRecord SceneRecord::Make(std::u16string_view name, const EffectBlock& block) {
    return {StoredSceneName(name, kMaxNameUnits), block};
}

std::array<uint8_t, SceneRecord::kSize> SceneRecord::ToBytes() const {
    std::array<uint8_t, kSize> out{};
    const size_t units = std::min(name.size(), kMaxNameUnits);
    for (size_t i = 0; i < units; ++i) {
        out[2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    std::memcpy(out.data() + 2 * kNameUnits, block.data(), kEffectBlockSize);
    return out;
}

SceneRecord SceneRecord::FromBytes(const std::array<uint8_t, kSize>& bytes) {
    std::u16string name;
    for (size_t i = 0; i < kNameUnits; ++i) {
        const auto unit = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit == 0) break;
        name += unit;
    }
    EffectBlock block;
    std::memcpy(block.data(), bytes.data() + 2 * kNameUnits, kEffectBlockSize);
    return Make(name, block);
}

std::string SceneRecord::NameUtf8() const {
    return Utf16ToUtf8(name);
}

}  // namespace caraudio::storage
