#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TuningState.h"

namespace caraudio {

// The change between two tunings as runs of XOR-ed bytes: applied to either
// state it gives the other, so one diff serves both undo and redo. Runs
// closer than a run header are joined, so a diff never takes more than the
// state's size plus one header (kMaxBytes), and an edit of one value takes
// a few bytes.
class TuningDiff {
public:
    static constexpr int kRunHeaderBytes = 4;  // offset and length, 16 bits each
    static constexpr int kMaxBytes = kTuningStateBytes + kRunHeaderBytes;

    TuningDiff() = default;
    static TuningDiff Between(const TuningState& a, const TuningState& b);

    // Turns one end of the diff into the other.
    void ApplyTo(TuningState& state) const;
    bool Empty() const { return runs_.empty(); }
    // Bytes held on the heap.
    size_t Bytes() const { return runs_.capacity(); }

private:
    std::vector<uint8_t> runs_;  // per run: offset, length (little-endian), XOR-ed bytes
};

}  // namespace caraudio
