#include "FilterLineClass.h"

#include "FilterSet.h"
#include "FilterTableRow.h"

namespace caraudio::analysis {
namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// "Filter", an optional number, a colon: a filter line. "Filter" and a
// number without the colon is a filter line that cannot be read; "Filter"
// and a word ("Filter Settings file") is header text.
ClassifiedLine Classify(std::string_view t) {
    if (t.empty()) return {LineClass::Blank, {}, {}};
    if (t[0] == '#') return {LineClass::Comment, {}, {}};
    std::size_t i = 0;
    while (i < t.size() && IsLetter(t[i])) ++i;
    if (i == 0) return {LineClass::Text, {}, {}};
    if (SameWord(t.substr(0, i), "Filter")) {
        std::size_t j = i;
        while (j < t.size() && IsBlank(t[j])) ++j;
        bool number = false;
        while (j < t.size() && IsDigit(t[j])) ++j, number = true;
        while (j < t.size() && IsBlank(t[j])) ++j;
        if (j < t.size() && t[j] == ':') return {LineClass::Filter, {}, t.substr(j + 1)};
        return {number ? LineClass::BrokenFilter : LineClass::Text, {}, {}};
    }
    while (i < t.size() && (IsLetter(t[i]) || IsDigit(t[i]) || t[i] == '_')) ++i;
    std::size_t j = i;
    while (j < t.size() && IsBlank(t[j])) ++j;
    if (j < t.size() && t[j] == ':') return {LineClass::Command, t.substr(0, i), t.substr(j + 1)};
    return {LineClass::Text, {}, {}};
}

// Every value token of a line with the role its number has.
template <typename Visit>
void ForEachValue(const Pending& p, Visit visit) {
    if ((p.cls.cls == LineClass::Filter || p.cls.cls == LineClass::TableRow) &&
        p.problem == LineProblem::None && !p.pointOnly) {
        const FilterFields& f = p.fields;
        visit(f.fc, "Hz", NumberRole::Frequency);
        visit(f.gain, "dB", NumberRole::Other);
        visit(f.q, {}, NumberRole::Other);
        visit(f.slope, "dB", NumberRole::Other);
        visit(f.bwHz, "Hz", NumberRole::Frequency);
        const std::size_t slash = f.bw.find('/');
        visit(f.bw.substr(0, slash), "Oct", NumberRole::Other);
        if (slash != std::string_view::npos) visit(f.bw.substr(slash + 1), "Oct", NumberRole::Other);
    } else if (p.cls.cls == LineClass::Command && SameWord(p.cls.command, "Preamp")) {
        const auto fields = SplitFields(p.cls.rest);
        if (!fields.empty()) visit(fields[0], "dB", NumberRole::Other);
    }
}

}  // namespace

// The file's decimal mark, from the numbers that can be read only one way.
// A decimal comma anywhere settles it: a file of decimal points has no
// number that reads only with a comma, while files from comma locales have
// been seen with a stray point ("Q 4.318").
NumberStyle FindDecimalMark(const std::vector<Pending>& lines) {
    NumberStyle style;
    for (const Pending& p : lines) {
        ForEachValue(p, [&](std::string_view token, std::string_view unit, NumberRole role) {
            const MarkShown shown = token.empty() ? MarkShown::None : DecimalMarkShown(token, unit, role);
            if (shown == MarkShown::Comma) style.decimalMark = ',';
            if (shown == MarkShown::Point && style.decimalMark == '\0') style.decimalMark = '.';
        });
        if (style.decimalMark == ',') break;
    }
    return style;
}

bool ClassifyLines(std::string_view text, std::vector<Pending>& out) {
    std::vector<TextLine> lines;
    if (!SplitLines(text, kMaxFilterSetLines, lines)) return false;
    out.reserve(lines.size());
    FilterTableLayout layout;
    bool inTable = false;
    for (const TextLine& line : lines) {
        Pending p{line, TrimBlanks(line.text), {}, {}, LineProblem::None, false};
        p.cls = Classify(p.trimmed);
        if (p.cls.cls == LineClass::Filter) {
            p.problem = ReadFilterFields(p.cls.rest, p.fields);
        } else if (p.cls.cls == LineClass::Text && ReadFilterTableHeader(p.trimmed, layout)) {
            p.cls.cls = LineClass::TableHeader;
            inTable = true;
        } else if (p.cls.cls == LineClass::Text && inTable && LooksLikeFilterTableRow(p.trimmed)) {
            p.cls.cls = LineClass::TableRow;
            p.problem = ReadFilterTableRow(p.trimmed, layout, p.fields);
            p.pointOnly = layout.commaSeparated;
        }
        out.push_back(p);
    }
    return true;
}

}  // namespace caraudio::analysis
