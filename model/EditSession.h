#pragma once

#include <array>
#include <functional>
#include <string>

#include "Clock.h"
#include "EditHistory.h"
#include "ParamDatabase.h"

namespace caraudio {

// Undo, redo and the A/B comparison of the ParamDatabase's tuning: the
// windows' one way to them. Two tunings, A and B, each with its own history;
// the current one is the ParamDatabase's, the other is held here. B starts
// as a copy of A when it is first switched to or copied onto.
//
// A user gesture is one step: BeginStep when it starts (press, first wheel
// step or key, a typed value, a button) and EndStep when it ends; nested
// pairs count as the outer one. A change made outside any step (a scene
// load, a read-back, an import whose caller forgot) is not lost: it becomes
// a step of its own, with no label, the next time the session looks
// (BeginStep, Undo, Redo, Switch, Copy, CommitLooseChanges).
//
// While a step is open, Undo, Redo, Switch and Copy do nothing and return
// false: the gesture ends first.
class EditSession {
public:
    enum class Side : int { A, B };
    // What the observer hears: only the steps changed (enable the buttons,
    // new tooltips), or the tuning was replaced (show every value anew).
    enum class Change { Steps, Tuning };
    using Observer = std::function<void(Change)>;

    explicit EditSession(ParamDatabase& db);
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    void SetClock(Clock* clock);
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // --- steps --------------------------------------------------------------
    // `label` names the step for the tooltips; steps with the same non-empty
    // `mergeKey` (one control) that follow within EditHistory::kMergePauseMs
    // are one step, for runs of wheel or arrow steps.
    void BeginStep(const std::string& label, const std::string& mergeKey = {});
    void EndStep();
    bool InStep() const { return depth_ > 0; }

    // BeginStep now, EndStep when it goes out of scope.
    class [[nodiscard]] Scope {
    public:
        Scope(EditSession& session, const std::string& label, const std::string& mergeKey = {})
            : session_(session) {
            session_.BeginStep(label, mergeKey);
        }
        ~Scope() { session_.EndStep(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        EditSession& session_;
    };

    // Makes changes made outside a step a step now.
    void CommitLooseChanges();
    // The current side's history begins again at the tuning the
    // ParamDatabase holds: for an image that is not the user's edit (read
    // from a box on connect), which undo must never take back.
    void StartAfresh();

    // --- undo and redo of the current side ------------------------------------
    bool CanUndo() const;
    bool CanRedo() const;
    // The step's label; empty for a change made outside a step.
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    bool Undo();
    bool Redo();

    // --- A/B ----------------------------------------------------------------
    Side CurrentSide() const { return current_; }
    // Makes the other side current; the box gets only what differs.
    bool Switch();
    // Copies the tuning of `from` onto the other side, as one step of that
    // side's history labelled `label`; when that side is current the box
    // gets what changed.
    bool Copy(Side from, const std::string& label);

    const EditHistory& History(Side side) const { return sides_[Index(side)]; }
    // Bytes both histories hold.
    size_t MemoryBytes() const;

private:
    static size_t Index(Side side) { return static_cast<size_t>(side); }
    static Side Other(Side side) { return side == Side::A ? Side::B : Side::A; }
    EditHistory& Current() { return sides_[Index(current_)]; }
    const EditHistory& Current() const { return sides_[Index(current_)]; }
    bool LoosePending() const;
    // Commits loose changes; true when there were some.
    bool Sync();
    // A side never used becomes a copy of `source` with no steps.
    bool Adopt(Side side, const TuningState& source);
    void Notify(Change change);

    ParamDatabase& db_;
    SteadyClock steadyClock_;
    Clock* clock_ = &steadyClock_;
    std::array<EditHistory, 2> sides_;
    std::array<bool, 2> used_{true, false};
    Side current_ = Side::A;
    int depth_ = 0;
    std::string label_;
    std::string mergeKey_;
    uint32_t beginTick_ = 0;
    Observer observer_;
};

}  // namespace caraudio
