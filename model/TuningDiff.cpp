#include "TuningDiff.h"

#include <array>
#include <bit>

namespace caraudio {
namespace {

using StateBytes = std::array<uint8_t, sizeof(TuningState)>;

void Put16(std::vector<uint8_t>& out, size_t at, int v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

int Get16(const std::vector<uint8_t>& in, size_t at) {
    return in[at] | (in[at + 1] << 8);
}

}  // namespace

TuningDiff TuningDiff::Between(const TuningState& a, const TuningState& b) {
    const auto x = std::bit_cast<StateBytes>(a);
    const auto y = std::bit_cast<StateBytes>(b);
    const int n = kTuningStateBytes;
    TuningDiff diff;
    int i = 0;
    while (i < n) {
        if (x[static_cast<size_t>(i)] == y[static_cast<size_t>(i)]) {
            ++i;
            continue;
        }
        // A run ends where at least a header's worth of equal bytes follow.
        int end = i + 1, lastDiff = i;
        while (end < n && end - lastDiff <= kRunHeaderBytes) {
            if (x[static_cast<size_t>(end)] != y[static_cast<size_t>(end)]) lastDiff = end;
            ++end;
        }
        const int length = lastDiff + 1 - i;
        const size_t at = diff.runs_.size();
        diff.runs_.resize(at + kRunHeaderBytes + static_cast<size_t>(length));
        Put16(diff.runs_, at, i);
        Put16(diff.runs_, at + 2, length);
        for (int k = 0; k < length; ++k)
            diff.runs_[at + kRunHeaderBytes + static_cast<size_t>(k)] =
                static_cast<uint8_t>(x[static_cast<size_t>(i + k)] ^ y[static_cast<size_t>(i + k)]);
        i = lastDiff + 1;
    }
    diff.runs_.shrink_to_fit();
    return diff;
}

void TuningDiff::ApplyTo(TuningState& state) const {
    auto bytes = std::bit_cast<StateBytes>(state);
    for (size_t at = 0; at < runs_.size();) {
        const int offset = Get16(runs_, at);
        const int length = Get16(runs_, at + 2);
        at += kRunHeaderBytes;
        for (int k = 0; k < length; ++k, ++at) bytes[static_cast<size_t>(offset + k)] ^= runs_[at];
    }
    state = std::bit_cast<TuningState>(bytes);
}

}  // namespace caraudio
