// Typed text from an edit field through every parse and step rule: the
// result always lies in the parameter's range, whatever was typed.
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "ValueScales.h"

using namespace caraudio;

namespace {

void CheckRange(const ParsedValue& v, int lo, int hi) {
    FUZZ_CHECK(v.raw >= lo && v.raw <= hi);
    FUZZ_CHECK(!v.text.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const GainLimits limits;
    for (int delta : {-1, 0, 1}) {
        const bool parse = delta == 0;
        CheckRange(parse ? ParseVolume(text) : StepVolume(text, delta), 0, 66);
        const ParsedValue hp = parse ? ParseHighPassFreq(text) : StepHighPassFreq(text, delta);
        FUZZ_CHECK(hp.raw == 0 || (hp.raw >= 20 && hp.raw <= 20000));
        CheckRange(parse ? ParseLowPassFreq(text) : StepLowPassFreq(text, delta), 20, 20000);
        CheckRange(parse ? ParseBandFreq(text) : StepBandFreq(text, delta), 20, 20000);
        CheckRange(parse ? ParseQ(text) : StepQ(text, delta), 40, 12800);
        CheckRange(parse ? ParseGain(text, limits) : StepGain(text, delta, limits), -2000, 2000);
        CheckRange(parse ? ParseThreshold(text) : StepThreshold(text, delta), -3000, 600);
        CheckRange(parse ? ParseAttack(text) : StepAttack(text, delta), 30, 10000);
        for (int unit = 0; unit < kDelayUnitCount; ++unit)
            CheckRange(parse ? ParseDelay(text, unit) : StepDelay(text, delta, unit), 0, 960);
    }
    return 0;
}
