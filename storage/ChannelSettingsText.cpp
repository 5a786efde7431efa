#include "ChannelSettingsText.h"

#include <array>
#include <vector>

#include "HexBlock.h"

namespace caraudio::storage {
namespace {

// The polarity is a bit of PhaseCtrl; it gets a word of its own.
constexpr int kPolarity = -1;
constexpr size_t kWords = 7 + 3 * kBandCount;

std::array<int, kWords> Fields(int channel) {
    std::array<int, kWords> f{
        param::Volume(channel),       param::Delay(channel),        kPolarity,
        param::HighPassType(channel), param::HighPassFreq(channel), param::LowPassType(channel),
        param::LowPassFreq(channel)};
    for (int b = 0; b < kBandCount; ++b) {
        const auto at = static_cast<size_t>(7 + 3 * b);
        f[at] = param::BandFreq(channel, b);
        f[at + 1] = param::BandQ(channel, b);
        f[at + 2] = param::BandGain(channel, b);
    }
    return f;
}

uint8_t PolarityMask(int channel) {
    return static_cast<uint8_t>(1u << channel);
}

}  // namespace

std::string EncodeChannelSettings(const EffectBlock& image, int channel) {
    if (channel < 0 || channel >= kChannelCount) return {};
    std::vector<uint8_t> bytes;
    bytes.reserve(2 * kWords);
    for (int index : Fields(channel)) {
        const uint16_t v = index == kPolarity
                               ? (image.Get(*FindParam(param::PhaseCtrl)) & PolarityMask(channel)) != 0
                               : image.Get(*FindParam(index));
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return EncodeHexBlock(bytes.data(), bytes.size());
}

bool DecodeChannelSettings(std::string_view text, int channel, EffectBlock& image) {
    if (channel < 0 || channel >= kChannelCount) return false;
    std::array<uint8_t, 2 * kWords> bytes{};
    const auto n = DecodeHexBlock(text, bytes.data(), bytes.size());
    if (!n || *n != bytes.size()) return false;
    const std::array<int, kWords> fields = Fields(channel);
    EffectBlock out = image;
    for (size_t k = 0; k < kWords; ++k) {
        const auto v = static_cast<uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
        if (fields[k] == kPolarity) {
            if (v > 1) return false;
            const ParamRecord& phase = *FindParam(param::PhaseCtrl);
            const auto mask = static_cast<uint16_t>(out.Get(phase) & ~PolarityMask(channel));
            out.Set(phase, v ? static_cast<uint16_t>(mask | PolarityMask(channel)) : mask);
            continue;
        }
        const ParamRecord& r = *FindParam(fields[k]);
        if (r.size == 1 && v > 0xFF) return false;
        out.Set(r, v);
    }
    image = out;
    return true;
}

}  // namespace caraudio::storage
