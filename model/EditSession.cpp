#include "EditSession.h"

namespace caraudio {

EditSession::EditSession(ParamDatabase& db)
    : db_(db), sides_{EditHistory(db.CaptureTuning()), EditHistory(db.CaptureTuning())} {}

void EditSession::SetClock(Clock* clock) {
    clock_ = clock ? clock : &steadyClock_;
}

void EditSession::Notify(Change change) {
    // Whatever the user stepped through is theirs, even where it came back
    // to the start-up image: a box plugged in later never replaces it unasked.
    db_.KeepShownTuning();
    if (observer_) observer_(change);
}

bool EditSession::LoosePending() const {
    return depth_ == 0 && !(db_.CaptureTuning() == Current().Current());
}

bool EditSession::Sync() {
    const uint32_t now = clock_->TickCount();
    return Current().Commit(db_.CaptureTuning(), {}, {}, now, now);
}

void EditSession::CommitLooseChanges() {
    if (depth_ == 0 && Sync()) Notify(Change::Steps);
}

void EditSession::StartAfresh() {
    Current() = EditHistory(db_.CaptureTuning());
    Notify(Change::Steps);
}

void EditSession::BeginStep(const std::string& label, const std::string& mergeKey) {
    if (depth_++ > 0) return;
    if (Sync()) Notify(Change::Steps);
    label_ = label;
    mergeKey_ = mergeKey;
    beginTick_ = clock_->TickCount();
}

void EditSession::EndStep() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (Current().Commit(db_.CaptureTuning(), label_, mergeKey_, beginTick_, clock_->TickCount()))
        Notify(Change::Steps);
}

bool EditSession::CanUndo() const {
    return depth_ == 0 && (Current().CanUndo() || LoosePending());
}

bool EditSession::CanRedo() const {
    // A loose change would clear the redo steps when it is committed.
    return depth_ == 0 && Current().CanRedo() && !LoosePending();
}

std::string EditSession::UndoLabel() const {
    return LoosePending() ? std::string() : Current().UndoLabel();
}

std::string EditSession::RedoLabel() const {
    return LoosePending() ? std::string() : Current().RedoLabel();
}

bool EditSession::Undo() {
    if (depth_ > 0) return false;
    Sync();
    const auto state = Current().Undo();
    if (!state) return false;
    db_.RestoreTuning(*state);
    Notify(Change::Tuning);
    return true;
}

bool EditSession::Redo() {
    if (depth_ > 0) return false;
    if (Sync()) {
        Notify(Change::Steps);
        return false;
    }
    const auto state = Current().Redo();
    if (!state) return false;
    db_.RestoreTuning(*state);
    Notify(Change::Tuning);
    return true;
}

bool EditSession::Adopt(Side side, const TuningState& source) {
    if (used_[Index(side)]) return false;
    sides_[Index(side)] = EditHistory(source);
    used_[Index(side)] = true;
    return true;
}

bool EditSession::Switch() {
    if (depth_ > 0) return false;
    Sync();
    const Side other = Other(current_);
    Adopt(other, Current().Current());
    current_ = other;
    db_.RestoreTuning(Current().Current());
    Notify(Change::Tuning);
    return true;
}

bool EditSession::Copy(Side from, const std::string& label) {
    if (depth_ > 0) return false;
    Sync();
    const Side to = Other(from);
    const TuningState source = sides_[Index(from)].Current();
    if (!Adopt(to, source)) {
        const uint32_t now = clock_->TickCount();
        sides_[Index(to)].Commit(source, label, {}, now, now);
    }
    if (to != current_) {
        Notify(Change::Steps);
        return true;
    }
    db_.RestoreTuning(source);
    Notify(Change::Tuning);
    return true;
}

size_t EditSession::MemoryBytes() const {
    return sizeof(*this) + sides_[0].MemoryBytes() + sides_[1].MemoryBytes();
}

}  // namespace caraudio
