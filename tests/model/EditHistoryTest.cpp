#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <vector>

#include "EditHistory.h"

namespace caraudio::test {
namespace {

using StateBytes = std::array<uint8_t, sizeof(TuningState)>;

// A state whose bytes are all `fill`, with the bytes at `flipped` inverted.
TuningState StateOf(uint8_t fill, const std::vector<int>& flipped = {}) {
    StateBytes bytes;
    bytes.fill(fill);
    for (int at : flipped) bytes[static_cast<size_t>(at)] = static_cast<uint8_t>(~fill);
    return std::bit_cast<TuningState>(bytes);
}

// A state that differs from the start by one band gain.
TuningState WithGain(int value) {
    TuningState s;
    s.block.SetWord(100, static_cast<uint16_t>(value));
    return s;
}

TEST(TuningDiff, TakesAFewBytesPerChangeAndNeverMoreThanTheStatePlusAHeader) {
    std::vector<int> everyByte, everyOther;
    for (int i = 0; i < 2208; ++i) everyByte.push_back(i);
    for (int i = 0; i < 2208; i += 2) everyOther.push_back(i);
    const struct {
        const char* what;
        std::vector<int> flipped;
        size_t bytes;
    } cases[] = {
        {"nothing", {}, 0},
        {"one byte", {10}, 5},
        {"a word", {10, 11}, 6},
        {"three equal bytes between: one run", {10, 14}, 9},
        {"four equal bytes between: two runs", {10, 15}, 10},
        {"every other byte", everyOther, 2211},
        {"every byte", everyByte, 2212},
    };
    ASSERT_EQ(sizeof(TuningState), 2208u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TuningState a = StateOf(0x5A), b = StateOf(0x5A, c.flipped);
        const TuningDiff diff = TuningDiff::Between(a, b);
        EXPECT_EQ(diff.Bytes(), c.bytes);
        EXPECT_EQ(diff.Empty(), c.flipped.empty());
        TuningState there = a;
        diff.ApplyTo(there);
        EXPECT_TRUE(there == b);
        diff.ApplyTo(there);
        EXPECT_TRUE(there == a);
    }
}

TEST(EditHistory, UndoAndRedoWalkTheStepsAndANewStepClearsRedo) {
    EditHistory h(WithGain(0));
    EXPECT_FALSE(h.Commit(WithGain(0), "nothing changed", {}, 0, 0));
    EXPECT_FALSE(h.CanUndo());
    h.Commit(WithGain(1), "first", {}, 0, 0);
    h.Commit(WithGain(2), "second", {}, 10, 10);
    EXPECT_EQ(h.UndoLabel(), "second");
    EXPECT_EQ(h.Undo()->block.Word(100), 1);
    EXPECT_EQ(h.UndoLabel(), "first");
    EXPECT_EQ(h.RedoLabel(), "second");
    EXPECT_EQ(h.Undo()->block.Word(100), 0);
    EXPECT_FALSE(h.Undo().has_value());
    EXPECT_EQ(h.Redo()->block.Word(100), 1);
    EXPECT_EQ(h.RedoCount(), 1u);
    h.Commit(WithGain(7), "third", {}, 20, 20);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.RedoLabel(), "");
    EXPECT_FALSE(h.Redo().has_value());
    EXPECT_EQ(h.Undo()->block.Word(100), 1);
    EXPECT_EQ(h.Undo()->block.Word(100), 0);
}

TEST(EditHistory, StepsOfOneControlWithoutAPauseMerge) {
    struct Commit {
        const char* key;
        uint32_t begin, end;
    };
    const struct {
        const char* what;
        std::vector<Commit> commits;
        size_t steps;
    } cases[] = {
        {"wheel run", {{"gain", 0, 0}, {"gain", 300, 300}, {"gain", 1000, 1000}}, 1},
        {"exactly the pause", {{"gain", 0, 50}, {"gain", 750, 760}}, 1},
        {"a pause splits", {{"gain", 0, 50}, {"gain", 751, 760}}, 2},
        {"other control", {{"gain", 0, 0}, {"freq", 100, 100}, {"gain", 200, 200}}, 3},
        {"no key never merges", {{"", 0, 0}, {"", 100, 100}}, 2},
        {"clock wraps", {{"gain", 0xFFFFFF00u, 0xFFFFFF00u}, {"gain", 0x100, 0x100}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditHistory h(WithGain(0));
        int value = 0;
        for (const Commit& k : c.commits) h.Commit(WithGain(++value), "band gain", k.key, k.begin, k.end);
        EXPECT_EQ(h.UndoCount(), c.steps);
        for (size_t i = 0; i < c.steps; ++i) h.Undo();
        EXPECT_EQ(h.Current().block.Word(100), 0);
    }
}

TEST(EditHistory, AnUndoOrAnUnkeyedStepEndsARun) {
    EditHistory h(WithGain(0));
    h.Commit(WithGain(1), "g", "gain", 0, 0);
    h.Commit(WithGain(2), "g", "gain", 100, 100);
    h.Undo();  // back to 0, the run undone as one
    EXPECT_EQ(h.Current().block.Word(100), 0);
    h.Commit(WithGain(3), "g", "gain", 200, 200);
    h.Commit(WithGain(4), "typed", "", 300, 300);
    h.Commit(WithGain(5), "g", "gain", 400, 400);
    EXPECT_EQ(h.UndoCount(), 3u);
}

TEST(EditHistory, ARunBackWhereItStartedLeavesNoStep) {
    EditHistory h(WithGain(0));
    h.Commit(WithGain(9), "other", {}, 0, 0);
    h.Commit(WithGain(10), "g", "gain", 100, 100);
    h.Commit(WithGain(9), "g", "gain", 200, 200);
    EXPECT_EQ(h.UndoCount(), 1u);
    EXPECT_EQ(h.UndoLabel(), "other");
}

TEST(EditHistory, KeepsTheLatestThousandStepsInBoundedMemory) {
    // Whole-state steps, every byte changing, with the longest labels kept.
    const std::string longLabel(200, 'x');
    EditHistory h(StateOf(0x00));
    for (int i = 1; i <= 1005; ++i)
        h.Commit(StateOf(i % 2 ? 0xFF : 0x00), longLabel + std::to_string(i), {}, 0, 0);
    EXPECT_EQ(h.UndoCount(), 1000u);
    EXPECT_EQ(h.UndoLabel().size(), 96u);
    EXPECT_LE(h.MemoryBytes(), 2'510'000u);
    int undone = 0;
    while (h.Undo()) ++undone;
    EXPECT_EQ(undone, 1000);
    // The five oldest went: the history ends at the state after step 5.
    EXPECT_TRUE(h.Current() == StateOf(0xFF));
}

TEST(EditHistory, LongLabelsAreCutAtACharacterBoundary) {
    std::string label = "a";
    for (int i = 0; i < 40; ++i) label += "\xE9\x80\x9A";  // a three-byte character
    EditHistory h(WithGain(0));
    h.Commit(WithGain(1), label, {}, 0, 0);
    EXPECT_EQ(h.UndoLabel(), label.substr(0, 94));  // "a" and 31 whole characters
}

}  // namespace
}  // namespace caraudio::test
