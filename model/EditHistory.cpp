#include "EditHistory.h"

namespace caraudio {
namespace {

const std::string kNoLabel;

// Cut at a character boundary of the UTF-8 text, so a long text costs no
// more than the bound and a cut one still shows.
std::string Bounded(const std::string& text) {
    if (text.size() <= EditHistory::kMaxTextBytes) return text;
    size_t end = EditHistory::kMaxTextBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

bool EditHistory::Commit(const TuningState& after, const std::string& label, const std::string& mergeKey,
                         uint32_t beginTick, uint32_t endTick) {
    if (after == current_) return false;
    redo_.clear();
    const bool merge = mergeOpen_ && !mergeKey.empty() && !undo_.empty() &&
                       undo_.back().mergeKey == Bounded(mergeKey) &&
                       beginTick - undo_.back().endTick <= kMergePauseMs;
    if (merge) {
        Step& last = undo_.back();
        TuningState before = current_;
        last.diff.ApplyTo(before);
        last.diff = TuningDiff::Between(before, after);
        last.endTick = endTick;
        current_ = after;
        // A run that came back to where it started is no step at all.
        if (last.diff.Empty()) {
            undo_.pop_back();
            mergeOpen_ = false;
        }
        return true;
    }
    undo_.push_back({TuningDiff::Between(current_, after), Bounded(label), Bounded(mergeKey), endTick});
    if (undo_.size() > kMaxSteps) undo_.pop_front();
    current_ = after;
    mergeOpen_ = !mergeKey.empty();
    return true;
}

const std::string& EditHistory::UndoLabel() const {
    return undo_.empty() ? kNoLabel : undo_.back().label;
}

const std::string& EditHistory::RedoLabel() const {
    return redo_.empty() ? kNoLabel : redo_.back().label;
}

std::optional<TuningState> EditHistory::Undo() {
    if (undo_.empty()) return std::nullopt;
    undo_.back().diff.ApplyTo(current_);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    mergeOpen_ = false;
    return current_;
}

std::optional<TuningState> EditHistory::Redo() {
    if (redo_.empty()) return std::nullopt;
    redo_.back().diff.ApplyTo(current_);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    mergeOpen_ = false;
    return current_;
}

size_t EditHistory::MemoryBytes() const {
    size_t bytes = sizeof(*this);
    auto add = [&](const Step& s) {
        bytes += sizeof(Step) + s.diff.Bytes();
        // Short texts live inside the string object itself.
        if (s.label.capacity() > 15) bytes += s.label.capacity() + 1;
        if (s.mergeKey.capacity() > 15) bytes += s.mergeKey.capacity() + 1;
    };
    for (const Step& s : undo_) add(s);
    for (const Step& s : redo_) add(s);
    return bytes;
}

}  // namespace caraudio
