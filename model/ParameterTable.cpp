#include "ParameterTable.h"

namespace caraudio {
namespace {

// Builds names at compile time so the table is constant data with no
// start-up cost and its layout can be checked by static_assert.
class TableBuilder {
public:
    constexpr void Add(int size, std::string_view a, int n = -1, std::string_view b = {}, int m = -1,
                       std::string_view c = {}) {
        ParamRecord& r = table_[count_];
        r.index = count_;
        r.offset = offset_;
        r.size = size;
        int len = 0;
        auto put = [&](std::string_view s) {
            for (char ch : s) r.name[len++] = ch;
        };
        auto putNumber = [&](int v) {
            if (v >= 10) r.name[len++] = static_cast<char>('0' + v / 10);
            r.name[len++] = static_cast<char>('0' + v % 10);
        };
        put(a);
        if (n >= 0) putNumber(n);
        put(b);
        if (m >= 0) putNumber(m);
        put(c);
        r.name[len] = '\0';
        offset_ += size;
        ++count_;
    }

    constexpr int Count() const { return count_; }
    constexpr int Offset() const { return offset_; }
    constexpr const ParameterTable& Table() const { return table_; }

private:
    ParameterTable table_{};
    int count_ = 0;
    int offset_ = 0;
};

constexpr TableBuilder Build() {
    TableBuilder t;
    t.Add(1, "MuteCtrl");
    t.Add(1, "PassCtrl");
    t.Add(1, "PhaseCtrl");
    t.Add(1, "ResetCtrl");
    t.Add(1, "MainVol");
    for (int n = 0; n < kChannelCount; ++n) t.Add(1, "Volume_", n);
    for (int n = 0; n < kChannelCount; ++n) t.Add(2, "Delay_", n);
    for (int n = 0; n < kChannelCount; ++n) {
        t.Add(1, "Box", n, "_HFliter_Type_Xoct");
        t.Add(2, "Box", n, "_HFliter_Freq");
    }
    for (int n = 0; n < kChannelCount; ++n) {
        t.Add(1, "Box", n, "_LFliter_Type_Xoct");
        t.Add(2, "Box", n, "_LFliter_Freq");
    }
    for (int n = 0; n < kChannelCount; ++n) {
        for (int b = 0; b < kBandCount; ++b) {
            t.Add(2, "Box", n, "_EQ", b, "_Freq");
            t.Add(2, "Box", n, "_EQ", b, "_Q");
            t.Add(2, "Box", n, "_EQ", b, "_Gain");
        }
    }
    for (int n = 0; n < kChannelCount; ++n) {
        t.Add(2, "Box", n, "_Param_Threshold");
        t.Add(2, "Box", n, "_Param_Attack");
        t.Add(1, "Box", n, "_Param_Release");
    }
    t.Add(1, "NoiseGate");
    for (int n = 0; n < kChannelCount; ++n)
        for (int k = 0; k < kInputCount; ++k) t.Add(1, "Box", n, "_Input", k);
    return t;
}

constexpr TableBuilder kBuilt = Build();
static_assert(kBuilt.Count() == kParamCount);
static_assert(kBuilt.Offset() == kEffectBlockSize);
constexpr ParameterTable kTable = kBuilt.Table();

}  // namespace

const ParameterTable& Parameters() {
    return kTable;
}

const ParamRecord* FindParam(int index) {
    if (index < 0 || index >= kParamCount) return nullptr;
    return &kTable[static_cast<size_t>(index)];
}

}  // namespace caraudio
