#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EffectBlock.h"
#include "ValueScales.h"

namespace caraudio {

// What the program's own controls can give one parameter, taken from the
// value scales (and the tuning file's gain limits): an image that holds
// anything else did not come from this program's windows and is not sent.
struct ParamLimit {
    enum class Shape {
        Range,          // range.lo..range.hi
        OffOrRange,     // 0, or range.lo..range.hi (the high-pass frequency)
        CrossoverByte,  // type 0..2 in bits 7..6, slope 0..8 in bits 4..0, bit 5 clear
    };
    Shape shape = Shape::Range;
    RawRange range{0, 0};
    bool isSigned = false;  // the word is read as a signed 16-bit value
};

ParamLimit LimitOf(const ParamRecord& param, GainLimits gains);

// The parameter's value as its limits read it: signed where the kind is.
int LimitedValue(const ParamLimit& limit, uint16_t stored);
bool Allows(const ParamLimit& limit, int value);
// "0..66", "0 or 20..20000", "type 0..2, slope 0..8".
std::string AllowedText(const ParamLimit& limit);

struct OutOfLimit {
    const ParamRecord* param = nullptr;
    int value = 0;
    ParamLimit limit;
};

// Every parameter of the image outside what the controls can give, in
// table order; empty for an image the program could have made itself.
std::vector<OutOfLimit> OutOfLimitParams(const EffectBlock& image, GainLimits gains);

// "MainVol = 153 (0..66)": the name, the value and, in brackets, what is
// allowed; the same in every language.
std::string OutOfLimitLine(const OutOfLimit& p);
// The first `shown` of them joined by ", ", for a message that says how many
// more there are.
std::string OutOfLimitList(const std::vector<OutOfLimit>& list, size_t shown);

}  // namespace caraudio
