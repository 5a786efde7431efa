#include "ValueScales.h"

#include <algorithm>
#include <cmath>

#include "NumberText.h"

namespace caraudio {
namespace {

// Never undefined, even for limits given the wrong way round by a tuning file.
double Limit(double v, double lo, double hi) {
    return std::max(lo, std::min(v, hi));
}
int LimitInt(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool IsOff(std::string_view text) {
    text = TrimText(text);
    if (text.size() != 3) return false;
    auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    return lower(text[0]) == 'o' && lower(text[1]) == 'f' && lower(text[2]) == 'f';
}

constexpr std::string_view kOff = "OFF";
constexpr int kMinDb = kMinVolumeDb;
constexpr int kMaxDb = kMaxVolumeDb;
constexpr int kMinFreq = kFrequencyRaw.lo;
constexpr int kMaxFreq = kFrequencyRaw.hi;

std::string Hz(int v) {
    return FormatInt(v) + "Hz";
}

ParsedValue VolumeFromDb(double db) {
    const int whole = TruncToInt(Limit(db, kMinDb, kMaxDb));
    return {whole + 60, whole == kMinDb ? std::string(kOff) : FormatInt(whole) + "dB"};
}

ParsedValue HighPassFromHz(double hz) {
    if (hz < kMinFreq) return {kHighPassOff, std::string(kOff)};
    const int whole = TruncToInt(std::min<double>(hz, kMaxFreq));
    return {whole, Hz(whole)};
}

ParsedValue LowPassFromHz(double hz) {
    const int whole = TruncToInt(Limit(hz, kMinFreq, kMaxFreq));
    return {whole, Hz(whole)};
}

ParsedValue GainFromDb(double db, GainLimits limits) {
    const int raw = TruncToInt(Limit(db, limits.minvol, limits.maxvol) * 100.0);
    return {raw, FormatGain(raw)};
}

ParsedValue ThresholdFromDbu(double dbu) {
    const int tenths = TruncToInt(Limit(dbu, kThresholdRaw.lo / 100.0, kThresholdRaw.hi / 100.0) * 10.0);
    return {tenths * 10, FormatFixed(tenths / 10.0, 1) + "dBu"};
}

ParsedValue AttackFromMs(double ms) {
    if (ms > kAttackRaw.hi / 100.0) return {kAttackRaw.hi, FormatInt(kAttackRaw.hi / 100) + "ms"};
    ms = std::max(ms, kAttackRaw.lo / 100.0);
    if (ms < 1.0) {
        const int raw = TruncToInt(ms * 10.0) * 10;
        return {raw, FormatFixed(raw / 100.0, 1) + "ms"};
    }
    const int whole = TruncToInt(ms);
    return {whole * 100, FormatInt(whole) + "ms"};
}

struct DelayScale {
    std::string_view label;
    double perMs;  // units per millisecond
    double limit;
    double step;
    int decimals;
};

constexpr std::array<DelayScale, kDelayUnitCount> kDelayScales = {{
    {"MS", 1.0, kMaxDelayMs * 1.0, 0.021, 3},
    {"CM", 34.6, kMaxDelayMs * 34.6, 0.72, 2},
    {"IN", 13.622, kMaxDelayMs * 13.622, 0.285, 2},
}};

const DelayScale& ScaleOf(int unit) {
    return kDelayScales[static_cast<size_t>(unit >= 0 && unit < kDelayUnitCount ? unit : kDelayMs)];
}

ParsedValue DelayFromValue(double value, int unit) {
    const DelayScale& s = ScaleOf(unit);
    value = Limit(value, 0.0, s.limit);
    const double ms = value / s.perMs;
    return {TruncToInt(ms * kDelaySamplesPerMs), FormatFixed(value, s.decimals)};
}

constexpr std::array<std::string_view, kCrossoverTypeCount> kTypeLabels = {"Butterworth", "Bessel",
                                                                           "Linkwitz"};
constexpr std::array<std::string_view, kSlopeCount> kSlopeLabels = {
    "6dB/Oct", "12dB/Oct", "18dB/Oct", "24dB/Oct", "30dB/Oct", "36dB/Oct", "42dB/Oct", "48dB/Oct", "OFF"};
constexpr std::array<std::string_view, kReleaseCount> kReleaseLabels = {"Atk*2", "Atk*4",  "Atk*6",
                                                                        "Atk*8", "Atk*16", "Atk*32"};

template <size_t N>
std::string_view LabelAt(const std::array<std::string_view, N>& labels, int index) {
    return index >= 0 && index < static_cast<int>(N) ? labels[static_cast<size_t>(index)]
                                                     : std::string_view{};
}

}  // namespace

const std::array<int, kQStepCount> kQStepTable = {
    40,   42,   45,   47,   50,   53,   56,   59,   63,   67,   71,   75,    79,    84,    89,    94,   100,
    106,  112,  119,  126,  130,  140,  150,  160,  170,  180,  190,  200,   210,   220,   240,   250,  270,
    280,  300,  320,  340,  360,  380,  400,  420,  450,  480,  500,  530,   570,   600,   630,   670,  710,
    760,  800,  850,  900,  950,  1010, 1070, 1130, 1200, 1270, 1350, 1400,  1500,  1600,  1700,  1800, 1900,
    2000, 2100, 2300, 2400, 2500, 2700, 2900, 3000, 3200, 3400, 3600, 3800,  4000,  4300,  4500,  4800, 5100,
    5400, 5700, 6000, 6400, 6800, 7200, 7600, 8100, 8500, 9100, 9600, 10200, 10800, 11400, 12100, 12800};

EqCurveScale CurveScaleFor(GainLimits limits) {
    return {limits.maxvol, limits.minvol, limits.maxvol / 2};
}

int ChannelNumber(int block) {
    return block < 2 ? block + 5 : block - 1;
}

int BlockOfChannel(int number) {
    return (number + 1) % 6;
}

std::string ChannelLabel(int block) {
    return "CH" + FormatInt(ChannelNumber(block));
}

ParsedValue ParseVolume(std::string_view text) {
    return VolumeFromDb(IsOff(text) ? kMinDb : std::trunc(ReadLeadingNumber(text)));
}

ParsedValue StepVolume(std::string_view text, int delta) {
    const double db = IsOff(text) ? kMinDb : std::trunc(ReadLeadingNumber(text));
    return VolumeFromDb(db + delta);
}

std::string FormatVolume(int raw) {
    return raw == 0 ? std::string(kOff) : FormatInt(raw - 60) + "dB";
}

ParsedValue ParseHighPassFreq(std::string_view text) {
    return HighPassFromHz(std::trunc(ReadLeadingNumber(text)));
}

ParsedValue StepHighPassFreq(std::string_view text, int delta) {
    // "OFF" sits just below the lowest frequency, so one step up gives 20 Hz.
    const double hz = IsOff(text) ? kMinFreq - 1 : std::trunc(ReadLeadingNumber(text));
    return HighPassFromHz(hz + delta);
}

std::string FormatHighPassFreq(int raw) {
    return raw > kMinFreq - 1 ? Hz(raw) : std::string(kOff);
}

ParsedValue ParseLowPassFreq(std::string_view text) {
    return LowPassFromHz(std::trunc(ReadLeadingNumber(text)));
}

ParsedValue StepLowPassFreq(std::string_view text, int delta) {
    return LowPassFromHz(std::trunc(ReadLeadingNumber(text)) + delta);
}

std::string FormatLowPassFreq(int raw) {
    return Hz(raw);
}

ParsedValue ParseBandFreq(std::string_view text) {
    const int hz = TruncToInt(Limit(std::trunc(ReadLeadingNumber(text)), kMinFreq, kMaxFreq));
    return {hz, FormatInt(hz)};
}

ParsedValue StepBandFreq(std::string_view text, int delta) {
    const int hz = TruncToInt(Limit(ReadLeadingNumber(text) + delta, kMinFreq, kMaxFreq));
    return {hz, FormatInt(hz)};
}

std::string FormatBandFreq(int raw) {
    return FormatInt(raw);
}

ParsedValue ParseQ(std::string_view text) {
    const double v = ReadLeadingNumber(text);
    int raw;
    if (v > kQRaw.hi / 100.0)
        raw = kQRaw.hi;
    else if (v < kQRaw.lo / 100.0)
        raw = kQRaw.lo;
    else if (v < 10.0)
        raw = TruncToInt(v * 100.0);
    else if (v < 100.0)
        raw = TruncToInt(v * 10.0) * 10;
    else
        raw = TruncToInt(v) * 100;
    return {raw, FormatQ(raw)};
}

ParsedValue StepQ(std::string_view text, int delta) {
    const int raw = TruncToInt(Limit(ReadLeadingNumber(text), kQRaw.lo / 100.0, kQRaw.hi / 100.0) * 100.0);
    const int index = LimitInt(NearestQIndex(raw) + delta, 0, kQStepCount - 1);
    const int stepped = kQStepTable[static_cast<size_t>(index)];
    return {stepped, FormatQ(stepped)};
}

std::string FormatQ(int raw) {
    if (raw <= 999) return FormatFixed(raw / 100.0, 2);
    if (raw <= 9999) return FormatFixed(raw / 100.0, 1);
    return FormatInt(raw / 100);
}

int NearestQIndex(int raw) {
    int lo, hi;
    if (raw <= 200)
        lo = 0, hi = 29;
    else if (raw <= 1350)
        lo = 28, hi = 62;
    else
        lo = 61, hi = 100;
    auto at = [](int i) { return kQStepTable[static_cast<size_t>(i)]; };
    if (raw <= at(lo)) return lo;
    if (raw >= at(hi)) return hi;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (at(mid) == raw) return mid;
        (at(mid) < raw ? lo : hi) = mid;
    }
    return raw - at(lo) <= at(hi) - raw ? lo : hi;
}

ParsedValue ParseGain(std::string_view text, GainLimits limits) {
    return GainFromDb(ReadLeadingNumber(text), limits);
}

ParsedValue StepGain(std::string_view text, int delta, GainLimits limits) {
    const int typed = GainFromDb(ReadLeadingNumber(text), limits).raw;
    const int raw = LimitInt(delta * 10 + typed, limits.minvol * 100, limits.maxvol * 100);
    return {raw, FormatGain(raw)};
}

RawRange GainRaw(GainLimits limits) {
    return {std::min(limits.minvol, limits.maxvol) * 100, std::max(limits.minvol, limits.maxvol) * 100};
}

std::string FormatGain(int raw) {
    return FormatFixed(raw / 100.0, 1);
}

SliderRange GainSliderRange(GainLimits limits) {
    return {limits.minvol * 10, limits.maxvol * 10};
}

int GainToSliderPos(int raw) {
    return raw / 10;
}

int SliderPosToGain(int position) {
    return position * 10;
}

ParsedValue ParseThreshold(std::string_view text) {
    return ThresholdFromDbu(ReadLeadingNumber(text));
}

// Steps count whole tenths from the typed value. Adding 0.1 dBu and
// truncating would jump two tenths whenever the step goes toward zero.
ParsedValue StepThreshold(std::string_view text, int delta) {
    const int tenths = ThresholdFromDbu(ReadLeadingNumber(text)).raw / 10;
    return ThresholdFromDbu((tenths + delta) / 10.0);
}

std::string FormatThreshold(int raw) {
    return FormatFixed(raw / 100.0, 1) + "dBu";
}

ParsedValue ParseAttack(std::string_view text) {
    return AttackFromMs(ReadLeadingNumber(text));
}

// Below 1 ms a step is one tenth of a millisecond, counted in whole tenths
// for the same reason as the threshold; from 1 ms up it is one millisecond.
ParsedValue StepAttack(std::string_view text, int delta) {
    const double ms = ReadLeadingNumber(text);
    if (ms < 1.0) return AttackFromMs((TruncToInt(std::max(ms, 0.0) * 10.0) + delta) / 10.0);
    return AttackFromMs(ms + delta);
}

std::string FormatAttack(int raw) {
    if (raw > 99) return FormatInt(raw / 100) + "ms";
    return FormatFixed(raw / 100.0, 1) + "ms";
}

std::string_view DelayUnitLabel(int unit) {
    return ScaleOf(unit).label;
}

double DelayEditLimit(int unit) {
    return ScaleOf(unit).limit;
}

double DelayWheelStep(int unit) {
    return ScaleOf(unit).step;
}

ParsedValue ParseDelay(std::string_view text, int unit) {
    return DelayFromValue(ReadLeadingNumber(text), unit);
}

ParsedValue StepDelay(std::string_view text, int delta, int unit) {
    return DelayFromValue(ReadLeadingNumber(text) + delta * ScaleOf(unit).step, unit);
}

std::string FormatDelay(int raw, int unit) {
    const DelayScale& s = ScaleOf(unit);
    const double ms = raw / static_cast<double>(kDelaySamplesPerMs);
    return FormatFixed(ms * s.perMs, s.decimals);
}

int CrossoverTypeField(uint8_t byte) {
    return byte >> 6;
}

int CrossoverSlopeField(uint8_t byte) {
    return byte & 0x1F;
}

uint8_t WithCrossoverType(uint8_t byte, int type) {
    return static_cast<uint8_t>((byte & 0x1F) | ((type & 0x03) << 6));
}

uint8_t WithCrossoverSlope(uint8_t byte, int slope) {
    return static_cast<uint8_t>((byte & 0xC0) | (slope & 0x1F));
}

std::string_view CrossoverTypeLabel(int type) {
    return LabelAt(kTypeLabels, type);
}

std::string_view SlopeLabel(int slope) {
    return LabelAt(kSlopeLabels, slope);
}

int SlopeDbPerOctave(int slope) {
    return slope >= 0 && slope < kSlopeOff ? -6 * (slope + 1) : 0;
}

std::string_view ReleaseLabel(int index) {
    return LabelAt(kReleaseLabels, index);
}

std::string NoiseGateLabel(int index) {
    return index >= 0 && index < kNoiseGateCount ? FormatInt(index) : std::string{};
}

}  // namespace caraudio
