#include "ImageLimits.h"

#include "NumberText.h"

namespace caraudio {
namespace {

using Shape = ParamLimit::Shape;

constexpr ParamLimit Plain(RawRange range, bool isSigned = false) {
    return {Shape::Range, range, isSigned};
}

bool Between(int index, int first, int last) {
    return index >= first && index <= last;
}

// The position of a parameter inside a run of repeated groups of `size`.
int FieldOf(int index, int first, int size) {
    return (index - first) % size;
}

std::string RangeText(RawRange r) {
    return FormatInt(r.lo) + ".." + FormatInt(r.hi);
}

bool CrossoverByteAllowed(int value) {
    if (value < 0 || value > 0xFF) return false;
    const auto byte = static_cast<uint8_t>(value);
    const int type = CrossoverTypeField(byte), slope = CrossoverSlopeField(byte);
    // Rebuilt from its fields as the lists write it: a stray bit 5 differs.
    return type < kCrossoverTypeCount && slope < kSlopeCount &&
           byte == WithCrossoverSlope(WithCrossoverType(0, type), slope);
}

}  // namespace

ParamLimit LimitOf(const ParamRecord& param, GainLimits gains) {
    const int i = param.index;
    if (i <= param::ResetCtrl) return Plain(kChannelMaskRaw);
    if (i == param::MainVol || Between(i, param::Volume(0), param::Volume(kChannelCount - 1)))
        return Plain(kVolumeRaw);
    if (Between(i, param::Delay(0), param::Delay(kChannelCount - 1))) return Plain(kDelayRaw);
    if (Between(i, param::HighPassType(0), param::LowPassFreq(kChannelCount - 1))) {
        if (FieldOf(i, param::HighPassType(0), 2) == 0) return {Shape::CrossoverByte, {0, 0}, false};
        return i < param::LowPassType(0) ? ParamLimit{Shape::OffOrRange, kFrequencyRaw, false}
                                         : Plain(kFrequencyRaw);
    }
    if (Between(i, param::BandFreq(0, 0), param::BandGain(kChannelCount - 1, kBandCount - 1))) {
        switch (FieldOf(i, param::BandFreq(0, 0), 3)) {
        case 0:
            return Plain(kFrequencyRaw);
        case 1:
            return Plain(kQRaw);
        default:
            return Plain(GainRaw(gains), true);
        }
    }
    if (Between(i, param::Threshold(0), param::Release(kChannelCount - 1))) {
        switch (FieldOf(i, param::Threshold(0), 3)) {
        case 0:
            return Plain(kThresholdRaw, true);
        case 1:
            return Plain(kAttackRaw, true);
        default:
            return Plain({0, kReleaseCount - 1});
        }
    }
    if (i == param::NoiseGate) return Plain({0, kNoiseGateCount - 1});
    return Plain(kInputLevelRaw);
}

int LimitedValue(const ParamLimit& limit, uint16_t stored) {
    return limit.isSigned ? static_cast<int16_t>(stored) : stored;
}

bool Allows(const ParamLimit& limit, int value) {
    switch (limit.shape) {
    case Shape::Range:
        return limit.range.Holds(value);
    case Shape::OffOrRange:
        return value == kHighPassOff || limit.range.Holds(value);
    case Shape::CrossoverByte:
        return CrossoverByteAllowed(value);
    }
    return false;
}

std::string AllowedText(const ParamLimit& limit) {
    switch (limit.shape) {
    case Shape::Range:
        return RangeText(limit.range);
    case Shape::OffOrRange:
        return FormatInt(kHighPassOff) + " or " + RangeText(limit.range);
    case Shape::CrossoverByte:
        return "type " + RangeText({0, kCrossoverTypeCount - 1}) + ", slope " +
               RangeText({0, kSlopeCount - 1});
    }
    return {};
}

std::vector<OutOfLimit> OutOfLimitParams(const EffectBlock& image, GainLimits gains) {
    std::vector<OutOfLimit> out;
    for (const ParamRecord& r : Parameters()) {
        const ParamLimit limit = LimitOf(r, gains);
        const int value = LimitedValue(limit, image.Get(r));
        if (!Allows(limit, value)) out.push_back({&r, value, limit});
    }
    return out;
}

std::string OutOfLimitLine(const OutOfLimit& p) {
    return std::string(p.param->Name()) + " = " + FormatInt(p.value) + " (" + AllowedText(p.limit) + ")";
}

std::string OutOfLimitList(const std::vector<OutOfLimit>& list, size_t shown) {
    std::string text;
    for (size_t i = 0; i < list.size() && i < shown; ++i) {
        if (i > 0) text += ", ";
        text += OutOfLimitLine(list[i]);
    }
    return text;
}

}  // namespace caraudio
