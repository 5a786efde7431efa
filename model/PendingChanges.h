#pragma once

#include <cstdint>
#include <map>

namespace caraudio {

// Parameters changed since the last flush, by ascending index. A parameter
// changed again before the flush keeps one entry with its latest value.
class PendingChanges {
public:
    using Map = std::map<int32_t, uint16_t>;

    void Set(int32_t index, uint16_t value) { changes_[index] = value; }
    void Clear() { changes_.clear(); }
    bool Empty() const { return changes_.empty(); }
    int Count() const { return static_cast<int>(changes_.size()); }
    const Map& Entries() const { return changes_; }

private:
    Map changes_;
};

}  // namespace caraudio
