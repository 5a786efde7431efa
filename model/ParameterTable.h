#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace caraudio {

inline constexpr int kChannelCount = 6;
inline constexpr int kBandCount = 31;
inline constexpr int kInputCount = 4;
inline constexpr int kParamCount = 642;
inline constexpr int kEffectBlockSize = 1230;
// A box may report this size: the image without the 24-byte input mixer.
inline constexpr int kEffectBlockSizeWithoutMixer = 1206;

struct ParamRecord {
    int32_t index = 0;
    int32_t offset = 0;
    int32_t size = 0;
    // Longest name is "Box5_HFliter_Type_Xoct" (22 characters).
    char name[24] = {};

    constexpr std::string_view Name() const { return name; }
};

// Parameter indexes, from the rules that lay out the table. N is the output
// block 0..5, b the EQ band 0..30, k the input 0..3.
namespace param {
inline constexpr int MuteCtrl = 0;
inline constexpr int PassCtrl = 1;
inline constexpr int PhaseCtrl = 2;
inline constexpr int ResetCtrl = 3;
inline constexpr int MainVol = 4;
constexpr int Volume(int n) {
    return 5 + n;
}
constexpr int Delay(int n) {
    return 11 + n;
}
constexpr int HighPassType(int n) {
    return 17 + 2 * n;
}
constexpr int HighPassFreq(int n) {
    return 18 + 2 * n;
}
constexpr int LowPassType(int n) {
    return 29 + 2 * n;
}
constexpr int LowPassFreq(int n) {
    return 30 + 2 * n;
}
constexpr int BandFreq(int n, int b) {
    return 41 + 93 * n + 3 * b;
}
constexpr int BandQ(int n, int b) {
    return 42 + 93 * n + 3 * b;
}
constexpr int BandGain(int n, int b) {
    return 43 + 93 * n + 3 * b;
}
constexpr int Threshold(int n) {
    return 599 + 3 * n;
}
constexpr int Attack(int n) {
    return 600 + 3 * n;
}
constexpr int Release(int n) {
    return 601 + 3 * n;
}
inline constexpr int NoiseGate = 617;
constexpr int Input(int n, int k) {
    return 618 + 4 * n + k;
}
}  // namespace param

using ParameterTable = std::array<ParamRecord, kParamCount>;

// The one table of every parameter's index, offset, size and name.
const ParameterTable& Parameters();

// The record of a parameter index, or null when the index is outside 0..641.
const ParamRecord* FindParam(int index);

}  // namespace caraudio
