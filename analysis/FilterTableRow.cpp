#include "FilterTableRow.h"

#include <string>
#include <vector>

#include "FilterText.h"

namespace caraudio::analysis {
namespace {

std::vector<std::string_view> SplitCommas(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(',', start);
        fields.push_back(TrimBlanks(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (!fields.empty() && fields.back().empty()) fields.pop_back();  // the rows end in a comma
    return fields;
}

std::vector<std::string_view> Fields(std::string_view line, bool commaSeparated) {
    return commaSeparated ? SplitCommas(line) : SplitFields(line);
}

bool IsWholeNumber(std::string_view field) {
    if (field.empty() || field.size() > 4) return false;
    for (char c : field)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string_view At(const std::vector<std::string_view>& fields, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < fields.size()
               ? fields[static_cast<std::size_t>(column)]
               : std::string_view{};
}

}  // namespace

bool ReadFilterTableHeader(std::string_view line, FilterTableLayout& layout) {
    FilterTableLayout l;
    l.commaSeparated = line.find(',') != std::string_view::npos;
    const std::vector<std::string_view> names = Fields(line, l.commaSeparated);
    if (names.empty() || !SameWord(names[0], "Number")) return false;
    const struct {
        std::string_view name;
        int FilterTableLayout::*column;
    } columns[] = {{"Enabled", &FilterTableLayout::enabled},
                   {"Type", &FilterTableLayout::type},
                   {"Frequency(Hz)", &FilterTableLayout::frequency},
                   {"Gain(dB)", &FilterTableLayout::gain},
                   {"Q", &FilterTableLayout::q},
                   {"Bandwidth(Hz)", &FilterTableLayout::bandwidthHz}};
    for (std::size_t i = 0; i < names.size(); ++i)
        for (const auto& c : columns)
            if (SameWord(names[i], c.name) && l.*c.column < 0) l.*c.column = static_cast<int>(i);
    if (l.enabled < 0 || l.type < 0 || l.frequency < 0) return false;
    layout = l;
    return true;
}

bool LooksLikeFilterTableRow(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    return i > 0 && i < line.size() && (line[i] == ',' || line[i] == ' ' || line[i] == '\t');
}

LineProblem ReadFilterTableRow(std::string_view line, const FilterTableLayout& layout, FilterFields& f) {
    std::vector<std::string_view> fields = Fields(line, layout.commaSeparated);
    if (fields.empty() || !IsWholeNumber(fields[0])) return LineProblem::NotAFilterLine;
    const std::string_view enabled = At(fields, layout.enabled);
    if (SameWord(enabled, "True") || SameWord(enabled, "ON"))
        f.on = true;
    else if (SameWord(enabled, "False") || SameWord(enabled, "OFF"))
        f.on = false;
    else
        return LineProblem::NoOnOff;

    std::string_view code = At(fields, layout.type);
    if (code.empty() || SameWord(code, "None")) {
        f.emptySlot = true;
        return LineProblem::None;
    }
    // "LS 6dB": one field of a comma-separated row, two (or three) of a spaced one.
    std::string_view slope;
    if (const std::size_t space = code.find(' '); space != std::string_view::npos) {
        slope = TrimBlanks(code.substr(space + 1));
        code = code.substr(0, space);
    }
    SetFilterType(code, f);
    if (IsShelfKind(f.kind)) {
        if (!slope.empty()) {
            const std::vector<std::string_view> parts = SplitFields(slope);
            std::size_t at = 0;
            TakeShelfSlope(parts, at, f);
        } else if (!layout.commaSeparated) {
            auto next = static_cast<std::size_t>(layout.type) + 1;
            const std::size_t from = next;
            TakeShelfSlope(fields, next, f);
            fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(from),
                         fields.begin() + static_cast<std::ptrdiff_t>(next));
        }
    }
    f.fc = At(fields, layout.frequency);
    f.gain = At(fields, layout.gain);
    f.q = At(fields, layout.q);
    f.bwHz = At(fields, layout.bandwidthHz);
    return CheckNeededValues(f);
}

}  // namespace caraudio::analysis
