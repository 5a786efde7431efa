#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ParamDatabase.h"

namespace caraudio::measure {

// The box as one take of a measurement needs it: the measured channel
// alone (the others muted by the box's own mute), fed from the box input
// the sweep comes in on, and an acoustic reference's channel fed from the
// input its chirp comes in on. Everything else stays; the user's mutes and
// mixer come back when this ends, however it ends.
class TakeRouting {
public:
    explicit TakeRouting(ParamDatabase& db);
    ~TakeRouting();
    TakeRouting(const TakeRouting&) = delete;
    TakeRouting& operator=(const TakeRouting&) = delete;

    struct Reference {
        int block = 0, input = 1;
    };
    // Inputs count from 0. True when the box has taken it.
    bool Route(int block, int sweepInput, std::optional<Reference> reference = std::nullopt);
    // Whether a channel plays anything of the box's inputs at all.
    static bool HearsAnInput(const EffectBlock& image, int block);

private:
    bool Send(const std::vector<std::pair<int, uint16_t>>& values);

    ParamDatabase& db_;
    std::vector<std::pair<int, uint16_t>> users_;
};

}  // namespace caraudio::measure
