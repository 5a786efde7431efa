#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace caraudio {

// A raw value to store and the text to put back into the control. Raw is
// an int so signed kinds (gain, threshold, attack) keep their sign; store it
// with a cast to 16 bits.
struct ParsedValue {
    int raw = 0;
    std::string text;

    bool operator==(const ParsedValue&) const = default;
};

// The widest EQ gain limit in whole dB: a raw gain is dB × 100 in a signed
// 16-bit value.
inline constexpr int kMaxGainLimitDb = 327;

// EQ gain limits in whole dB, from the tuning file.
struct GainLimits {
    int minvol = -20;
    int maxvol = 20;
};

// The raw values a kind's Parse and Step functions give, ends included. An
// image from elsewhere is held to the same before it may reach the box
// (ImageLimits.h), so these are the one statement of every kind's range.
struct RawRange {
    int lo;
    int hi;
    constexpr bool Holds(int raw) const { return raw >= lo && raw <= hi; }
};

// Scale the EQ curve editor is given in place of its layout's values.
struct EqCurveScale {
    int dbMax;
    int dbMin;
    int dbKeduVal;
};
EqCurveScale CurveScaleFor(GainLimits limits);

// Channel numbering: block 0..5 is shown as channel 5, 6, 1, 2, 3, 4.
// The label is "CH1".."CH6"; the curve's header writes the number as "CH %d".
int ChannelNumber(int block);
// The block shown as channel 1..6.
int BlockOfChannel(int number);
std::string ChannelLabel(int block);

// Volumes (MainVol, Volume_N): raw = dB + 60, raw 0 is "OFF".
inline constexpr int kMinVolumeDb = -60, kMaxVolumeDb = 6;
inline constexpr RawRange kVolumeRaw{kMinVolumeDb + 60, kMaxVolumeDb + 60};
ParsedValue ParseVolume(std::string_view text);
ParsedValue StepVolume(std::string_view text, int delta);
std::string FormatVolume(int raw);
inline constexpr int kVolumeSliderMax = kVolumeRaw.hi;

// Band, high-pass and low-pass frequencies in whole Hz; a high-pass may
// also be 0, off.
inline constexpr RawRange kFrequencyRaw{20, 20000};
inline constexpr int kHighPassOff = 0;

// High-pass frequency: 0 is off, else 20..20000 Hz.
ParsedValue ParseHighPassFreq(std::string_view text);
ParsedValue StepHighPassFreq(std::string_view text, int delta);
std::string FormatHighPassFreq(int raw);

// Low-pass frequency: 20..20000 Hz.
ParsedValue ParseLowPassFreq(std::string_view text);
ParsedValue StepLowPassFreq(std::string_view text, int delta);
std::string FormatLowPassFreq(int raw);

// EQ band frequency: 20..20000 Hz.
ParsedValue ParseBandFreq(std::string_view text);
ParsedValue StepBandFreq(std::string_view text, int delta);
std::string FormatBandFreq(int raw);

// EQ band Q, raw = Q x 100, 40..12800. Typed values are kept; only
// stepping moves along the step table.
inline constexpr RawRange kQRaw{40, 12800};
inline constexpr int kQStepCount = 101;
extern const std::array<int, kQStepCount> kQStepTable;
ParsedValue ParseQ(std::string_view text);
ParsedValue StepQ(std::string_view text, int delta);
std::string FormatQ(int raw);
int NearestQIndex(int raw);

// EQ band gain, raw = dB x 100 (signed), limited by the tuning file
// (limits the wrong way round hold between the two).
RawRange GainRaw(GainLimits limits);
ParsedValue ParseGain(std::string_view text, GainLimits limits = {});
ParsedValue StepGain(std::string_view text, int delta, GainLimits limits = {});
std::string FormatGain(int raw);
// The band's gain slider runs in tenths of a dB.
struct SliderRange {
    int min;
    int max;
};
SliderRange GainSliderRange(GainLimits limits = {});
int GainToSliderPos(int raw);
int SliderPosToGain(int position);

// Dynamics threshold, raw = dBu x 100 (signed), -30..6 dBu.
inline constexpr RawRange kThresholdRaw{-3000, 600};
ParsedValue ParseThreshold(std::string_view text);
ParsedValue StepThreshold(std::string_view text, int delta);
std::string FormatThreshold(int raw);

// Dynamics attack, raw = ms x 100 (signed), 0.3..100 ms.
inline constexpr RawRange kAttackRaw{30, 10000};
ParsedValue ParseAttack(std::string_view text);
ParsedValue StepAttack(std::string_view text, int delta);
std::string FormatAttack(int raw);

// Delay, raw = samples at 48 kHz, up to 20 ms, shown in the chosen unit.
inline constexpr int kDelaySamplesPerMs = 48;
inline constexpr int kMaxDelayMs = 20;
inline constexpr RawRange kDelayRaw{0, (kMaxDelayMs * kDelaySamplesPerMs)};
enum DelayUnit : int { kDelayMs = 0, kDelayCm = 1, kDelayInch = 2 };
inline constexpr int kDelayUnitCount = 3;
std::string_view DelayUnitLabel(int unit);  // "MS", "CM", "IN"
double DelayEditLimit(int unit);
double DelayWheelStep(int unit);
ParsedValue ParseDelay(std::string_view text, int unit);
ParsedValue StepDelay(std::string_view text, int delta, int unit);
std::string FormatDelay(int raw, int unit);

// Crossover byte: type in bits 7..6, slope index in bits 4..0.
inline constexpr int kCrossoverTypeCount = 3;
inline constexpr int kSlopeCount = 9;  // 6..48 dB/oct and "OFF"
inline constexpr int kSlopeOff = 8;
int CrossoverTypeField(uint8_t byte);
int CrossoverSlopeField(uint8_t byte);
uint8_t WithCrossoverType(uint8_t byte, int type);
uint8_t WithCrossoverSlope(uint8_t byte, int slope);
std::string_view CrossoverTypeLabel(int type);  // empty outside the list
std::string_view SlopeLabel(int slope);         // empty outside the list
// Slope the curve draws, in dB per octave; 0 (not drawn) for "OFF" and for
// indexes the list does not offer.
int SlopeDbPerOctave(int slope);

// Mute, phase, EQ bypass and channel reset: one bit per channel.
inline constexpr RawRange kChannelMaskRaw{0, (1 << 6) - 1};

// An input's level in a channel's mix, 0..100.
inline constexpr RawRange kInputLevelRaw{0, 100};

// Release: list position 0..5.
inline constexpr int kReleaseCount = 6;
std::string_view ReleaseLabel(int index);  // empty outside the list

// Noise gate: list position 0..20, shown as its number.
inline constexpr int kNoiseGateCount = 21;
std::string NoiseGateLabel(int index);  // empty outside the list

}  // namespace caraudio
