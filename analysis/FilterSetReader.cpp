#include <cmath>
#include <optional>

#include "FilterLineFields.h"
#include "FilterSet.h"
#include "FilterText.h"

namespace caraudio::analysis {
namespace {

// Error texts are for a message naming the line, not for the whole line.
constexpr std::size_t kMaxErrorText = 200;
// Wider bandwidths are not filters any tool makes.
constexpr double kMaxBandwidthOct = 10;

enum class LineClass { Blank, Comment, Filter, BrokenFilter, Command, Text };

// Configuration commands that are filters of a kind the box cannot hold:
// listed as not imported, but for a graphic EQ, whose curve bands follow.
constexpr std::string_view kFilterLikeCommands[] = {"GraphicEQ", "Convolution", "LoudnessCorrection"};
// Other configuration commands: skipped, but they show the file is one.
constexpr std::string_view kConfigCommands[] = {"Preamp", "Channel", "Copy", "Delay",  "Include", "Device",
                                                "Stage",  "Eval",    "If",   "ElseIf", "Else",    "EndIf"};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool InList(std::string_view word, const auto& list) {
    for (std::string_view w : list)
        if (SameWord(word, w)) return true;
    return false;
}

struct ClassifiedLine {
    LineClass cls = LineClass::Blank;
    std::string_view command;  // for Command
    std::string_view rest;     // after the colon
};

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

std::string Shown(std::string_view line) {
    std::string text(line.substr(0, kMaxErrorText));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

struct Pending {
    TextLine line;
    std::string_view trimmed;
    ClassifiedLine cls;
    FilterFields fields;
    bool fieldsOk = true;
};

bool ReadPreamp(std::string_view rest, NumberStyle style, double& db) {
    const auto fields = SplitFields(rest);
    if (fields.empty() || fields.size() > 2 || (fields.size() == 2 && !SameWord(fields[1], "dB")))
        return false;
    return ReadFileNumber(fields[0], "dB", NumberRole::Other, style, db);
}

// "0.167" octaves, or "1/6".
bool ReadBandwidth(std::string_view token, NumberStyle style, double& octaves) {
    const std::size_t slash = token.find('/');
    if (slash == std::string_view::npos)
        return ReadFileNumber(token, "Oct", NumberRole::Other, style, octaves);
    double num = 0, den = 0;
    if (!ReadFileNumber(token.substr(0, slash), {}, NumberRole::Other, style, num) ||
        !ReadFileNumber(token.substr(slash + 1), "Oct", NumberRole::Other, style, den) || !(den > 0))
        return false;
    octaves = num / den;
    return true;
}

double QFromBandwidth(double octaves) {
    const double p = std::pow(2.0, octaves);
    return std::sqrt(p) / (p - 1);
}

bool ReadFilterValues(const FilterFields& f, NumberStyle style, FilterLine& out) {
    out.on = f.on;
    out.kind = f.kind;
    out.type = f.type;
    out.order = f.order;
    if (!f.fc.empty() && !ReadFileNumber(f.fc, "Hz", NumberRole::Frequency, style, out.fcHz)) return false;
    if (!f.gain.empty() && !ReadFileNumber(f.gain, "dB", NumberRole::Other, style, out.gainDb)) return false;
    if (!f.slope.empty() && !ReadFileNumber(f.slope, "dB", NumberRole::Other, style, out.slopeDb))
        return false;
    out.hasFc = !f.fc.empty();
    out.hasGain = !f.gain.empty();
    out.hasSlope = !f.slope.empty();
    if (!f.q.empty()) {
        if (!ReadFileNumber(f.q, {}, NumberRole::Other, style, out.q)) return false;
        out.hasQ = true;
    } else if (!f.bw.empty()) {
        double octaves = 0;
        if (!ReadBandwidth(f.bw, style, octaves) || !(octaves > 0) || octaves > kMaxBandwidthOct)
            return false;
        out.q = QFromBandwidth(octaves);
        out.hasQ = true;
    } else if (out.order == 2) {
        out.q = 1 / std::sqrt(2.0);  // Butterworth
    }
    return true;
}

bool UsesDecimalComma(const std::vector<Pending>& lines) {
    for (const Pending& p : lines) {
        if (p.cls.cls == LineClass::Filter && p.fieldsOk) {
            const FilterFields& f = p.fields;
            if (ShowsDecimalComma(f.fc, "Hz", NumberRole::Frequency) ||
                ShowsDecimalComma(f.gain, "dB", NumberRole::Other) ||
                ShowsDecimalComma(f.q, {}, NumberRole::Other) ||
                ShowsDecimalComma(f.slope, "dB", NumberRole::Other) ||
                ShowsDecimalComma(f.bw, "Oct", NumberRole::Other))
                return true;
        } else if (p.cls.cls == LineClass::Command && SameWord(p.cls.command, "Preamp")) {
            const auto fields = SplitFields(p.cls.rest);
            if (!fields.empty() && ShowsDecimalComma(fields[0], "dB", NumberRole::Other)) return true;
        }
    }
    return false;
}

FilterSet Refused(ReadStatus status, const Pending* at) {
    FilterSet set;
    set.status = status;
    if (at) {
        set.errorLine = at->line.number;
        set.errorText = Shown(at->trimmed);
    }
    return set;
}

FilterSetFormat FormatOf(bool configEvidence, bool preamp, bool headerText) {
    if (configEvidence) return FilterSetFormat::EqualizerApo;
    if (preamp) return headerText ? FilterSetFormat::EqualizerApo : FilterSetFormat::AutoEq;
    return headerText ? FilterSetFormat::RewFilterSettings : FilterSetFormat::EqualizerApo;
}

bool NamesSection(const std::vector<std::string>& names, std::string_view section) {
    for (const std::string& n : names)
        if (SameWord(n, section) || SameWord(n, "all")) return true;
    return false;
}

bool Applies(const FilterSet& set, int sectionIndex, std::string_view section) {
    return sectionIndex < 0 || sectionIndex >= static_cast<int>(set.channelLines.size()) ||
           NamesSection(set.channelLines[static_cast<std::size_t>(sectionIndex)], section);
}

}  // namespace

FilterSet ReadFilterSet(std::string_view bytes) {
    if (bytes.size() > kMaxFilterSetBytes) return Refused(ReadStatus::TooLarge, nullptr);
    std::vector<TextLine> lines;
    if (!SplitLines(bytes, kMaxFilterSetLines, lines)) return Refused(ReadStatus::TooLarge, nullptr);

    std::vector<Pending> pending;
    pending.reserve(lines.size());
    for (const TextLine& line : lines) {
        Pending p{line, TrimBlanks(line.text), {}, {}, true};
        p.cls = Classify(p.trimmed);
        if (p.cls.cls == LineClass::Filter) p.fieldsOk = ReadFilterFields(p.cls.rest, p.fields);
        pending.push_back(p);
    }
    const NumberStyle style{UsesDecimalComma(pending)};

    FilterSet set;
    bool seenFilter = false, configEvidence = false, preamp = false, headerText = false;
    const Pending* firstText = nullptr;
    const Pending* firstContent = nullptr;
    int section = -1;
    for (const Pending& p : pending) {
        if (p.cls.cls == LineClass::Blank) continue;
        if (!firstContent) firstContent = &p;
        switch (p.cls.cls) {
        case LineClass::Blank:
            break;
        case LineClass::Comment:
            configEvidence = true;
            break;
        case LineClass::BrokenFilter:
            return Refused(ReadStatus::BadLine, &p);
        case LineClass::Filter: {
            if (!p.fieldsOk) return Refused(ReadStatus::BadLine, &p);
            seenFilter = true;
            if (p.fields.emptySlot) break;
            FilterLine f;
            if (!ReadFilterValues(p.fields, style, f)) return Refused(ReadStatus::BadLine, &p);
            f.lineNumber = p.line.number;
            f.text = Shown(p.trimmed);
            f.section = section;
            set.filters.push_back(std::move(f));
            break;
        }
        case LineClass::Command: {
            const std::string_view name = p.cls.command;
            if (SameWord(name, "Preamp")) {
                double db = 0;
                if (!ReadPreamp(p.cls.rest, style, db)) return Refused(ReadStatus::BadLine, &p);
                set.preamps.push_back({p.line.number, db, section});
                set.preampDb += db;
                preamp = true;
            } else if (SameWord(name, "Channel")) {
                std::vector<std::string> names;
                for (std::string_view n : SplitFields(p.cls.rest)) names.emplace_back(n);
                if (names.empty()) return Refused(ReadStatus::BadLine, &p);
                for (const std::string& n : names) {
                    bool known = SameWord(n, "all");
                    for (const std::string& s : set.sections) known = known || SameWord(s, n);
                    if (!known) set.sections.push_back(n);
                }
                set.channelLines.push_back(std::move(names));
                section = static_cast<int>(set.channelLines.size()) - 1;
                configEvidence = true;
            } else if (InList(name, kFilterLikeCommands)) {
                FilterLine f;
                if (SameWord(name, "GraphicEQ")) {
                    if (!ReadGraphicEq(p.cls.rest, f.graphicEq)) return Refused(ReadStatus::BadLine, &p);
                    f.kind = FilterKind::GraphicEq;
                }
                f.lineNumber = p.line.number;
                f.text = Shown(p.trimmed);
                f.type = std::string(name);
                f.section = section;
                set.filters.push_back(std::move(f));
                seenFilter = true;
                configEvidence = true;
            } else {
                // Unknown commands are header lines ("Dated:", "Notes:").
                configEvidence = configEvidence || InList(name, kConfigCommands);
                headerText = headerText || !InList(name, kConfigCommands);
            }
            break;
        }
        case LineClass::Text:
            // Free text belongs to a header; once filters have begun it is a
            // line that cannot be read.
            if (seenFilter) return Refused(ReadStatus::BadLine, &p);
            if (!firstText) firstText = &p;
            headerText = true;
            break;
        }
    }
    if (!firstContent) return Refused(ReadStatus::Empty, nullptr);
    if (!seenFilter) return Refused(ReadStatus::NotAFilterSet, firstText ? firstText : firstContent);
    set.status = ReadStatus::Ok;
    set.format = FormatOf(configEvidence, preamp, headerText);
    return set;
}

std::vector<FilterLine> FiltersForSection(const FilterSet& set, std::string_view section) {
    std::vector<FilterLine> chosen;
    for (const FilterLine& f : set.filters)
        if (Applies(set, f.section, section)) chosen.push_back(f);
    return chosen;
}

double PreampForSection(const FilterSet& set, std::string_view section) {
    double db = 0;
    for (const PreampLine& p : set.preamps)
        if (Applies(set, p.section, section)) db += p.db;
    return db;
}

}  // namespace caraudio::analysis
