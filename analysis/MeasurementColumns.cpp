#include "MeasurementColumns.h"

#include <charconv>

namespace caraudio::analysis {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool StartsWithWord(std::string_view name, std::string_view word) {
    return name.size() >= word.size() && SameWord(name.substr(0, word.size()), word);
}

bool IsFrequencyName(std::string_view name) {
    return StartsWithWord(name, "freq") || StartsWithWord(name, "hz") || SameWord(name, "f");
}

bool Contains(std::string_view name, std::string_view word) {
    for (size_t i = 0; i + word.size() <= name.size(); ++i)
        if (SameWord(name.substr(i, word.size()), word)) return true;
    return false;
}

bool IsPhaseName(std::string_view name) {
    return Contains(name, "phase") || StartsWithWord(name, "deg");
}

bool IsLevelName(std::string_view name) {
    for (const std::string_view word : {"db", "spl", "level", "mag", "raw", "smooth", "target"})
        if (Contains(name, word)) return true;
    return false;
}

// The third of three fields is the phase, as in most exports, unless its
// name says it is another level ("frequency,raw,target").
bool IsPhase(std::string_view name, int field, int fields) {
    if (IsPhaseName(name)) return true;
    return fields == 3 && field == 2 && !IsLevelName(name) && !IsFrequencyName(name);
}

}  // namespace

FileColumns ColumnsOf(const LineFields* header, int dataFields) {
    FileColumns c;
    if (header && !header->tooMany && header->count == dataFields) {
        int frequency = 0;
        for (int i = 1; i < dataFields; ++i) {
            const std::string_view name = header->Field(i);
            if (IsFrequencyName(name)) {
                frequency = i;
            } else if (IsPhase(name, i, dataFields)) {
                if (!c.levels.empty() && c.levels.back().level == i - 1) c.levels.back().phase = i;
            } else {
                c.levels.push_back({std::string(name), frequency, i, -1});
            }
        }
        // A single curve in up to three fields reads as any such file does.
        c.byPlace = c.levels.size() > 1 || dataFields > 3;
        if (!c.levels.empty()) return c;
    }
    if (dataFields == 2 || dataFields == 3) c.levels.push_back({"", 0, 1, 2});
    return c;
}

int ChosenColumn(const FileColumns& columns, const ColumnChoice& choice) {
    const auto& levels = columns.levels;
    auto named = [&levels](std::string_view word) {
        for (size_t i = 0; i < levels.size(); ++i)
            if (SameWord(levels[i].name, word)) return static_cast<int>(i);
        return -1;
    };
    if (choice.column.empty()) {
        const int preferred = named(choice.role == CurveRole::Target ? "target" : "raw");
        if (preferred >= 0) return preferred;
        return levels.empty() ? -1 : 0;
    }
    if (const int i = named(choice.column); i >= 0) return i;
    const std::string_view text = choice.column;
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size()) return -1;
    if (number < 1 || number > static_cast<int>(levels.size())) return -1;
    return number - 1;
}

}  // namespace caraudio::analysis
