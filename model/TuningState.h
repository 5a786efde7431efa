#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

#include "EffectBlock.h"

namespace caraudio {

// Why a band's gain is remembered: zeroed by the bypass, which the box
// never hears of, or switched off, which the box was sent.
enum class GainMemory : uint8_t { Nothing, ByBypass, SwitchedOff };

// One tuning as the user sees it: the image and what goes with it. Links
// belong to it because a scene load or a recall clears them and a link copy
// sets one; undoing those must give the link boxes back as they were.
struct TuningState {
    EffectBlock block;
    std::array<std::array<GainMemory, kBandCount>, kChannelCount> remembered{};
    std::array<std::array<int32_t, kBandCount>, kChannelCount> rememberedGain{};
    std::array<int32_t, kChannelCount> volumeMemo{};
    std::array<int32_t, kChannelCount> linked{};

    bool operator==(const TuningState&) const = default;
};

// The diff below works on the object's bytes, so there must be no padding.
static_assert(std::has_unique_object_representations_v<TuningState>);
inline constexpr int kTuningStateBytes = static_cast<int>(sizeof(TuningState));

// The image as the box holds it: gains a bypass zeroed only on the PC are
// still in the box.
EffectBlock BoxImage(const TuningState& state);

}  // namespace caraudio
