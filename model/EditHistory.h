#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "TuningDiff.h"
#include "TuningState.h"

namespace caraudio {

// The undo and redo steps of one tuning, kept as diffs against the tuning
// the history ends at (Current). Knows nothing of the ParamDatabase: the
// caller captures states and restores what Undo and Redo return.
class EditHistory {
public:
    static constexpr size_t kMaxSteps = 1000;
    // Consecutive steps with the same merge key are one step while each
    // begins within this pause of the last one's end.
    static constexpr uint32_t kMergePauseMs = 700;
    // Labels and merge keys are kept to this many bytes.
    static constexpr size_t kMaxTextBytes = 96;

    explicit EditHistory(const TuningState& current) : current_(current) {}

    const TuningState& Current() const { return current_; }

    // Records the change from Current to `after` as a step and clears the
    // redo steps; nothing (and false) when they are equal. A step with a merge key joins
    // the last step when that one has the same key, ended at most
    // kMergePauseMs before `beginTick`, and nothing was undone since.
    bool Commit(const TuningState& after, const std::string& label, const std::string& mergeKey,
                uint32_t beginTick, uint32_t endTick);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    const std::string& UndoLabel() const;
    const std::string& RedoLabel() const;
    size_t UndoCount() const { return undo_.size(); }
    size_t RedoCount() const { return redo_.size(); }

    // Moves one step back or forth and returns the tuning to restore, or
    // nothing when there is no step.
    std::optional<TuningState> Undo();
    std::optional<TuningState> Redo();

    // Heap and object bytes of the steps and the current tuning.
    size_t MemoryBytes() const;

private:
    struct Step {
        TuningDiff diff;
        std::string label;
        std::string mergeKey;
        uint32_t endTick = 0;
    };

    TuningState current_;
    std::deque<Step> undo_;   // oldest first
    std::vector<Step> redo_;  // next redo last
    bool mergeOpen_ = false;  // the last undo step may take a following one
};

}  // namespace caraudio
