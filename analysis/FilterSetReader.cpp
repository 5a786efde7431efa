#include <filesystem>

#include "FilterLineClass.h"
#include "FilterLineFields.h"
#include "FilterSet.h"
#include "FilterText.h"
#include "TextDecoding.h"

namespace caraudio::analysis {
namespace {

// Error texts are for a message naming the line, not for the whole line.
constexpr std::size_t kMaxErrorText = 200;

// Configuration commands that are filters of a kind the box cannot hold:
// listed as not imported, but for a graphic EQ, whose curve bands follow.
constexpr std::string_view kFilterLikeCommands[] = {"GraphicEQ", "Convolution", "LoudnessCorrection"};
// Configuration commands the box has nothing for: listed as not followed.
constexpr std::string_view kConfigCommands[] = {"Copy", "Delay",  "Device", "Stage", "Eval",
                                                "If",   "ElseIf", "Else",   "EndIf"};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool InList(std::string_view word, const auto& list) {
    for (std::string_view w : list)
        if (SameWord(word, w)) return true;
    return false;
}

std::string Shown(std::string_view line) {
    std::string text(line.substr(0, kMaxErrorText));
    if (line.size() > kMaxErrorText) {
        // A cut in the middle of a UTF-8 sequence would leave half a letter:
        // the last one goes whole.
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) text.pop_back();
    }
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

FilterSetFormat FormatOf(bool rewHeader, bool table, bool configEvidence, bool preamp, bool headerText) {
    if (table) return FilterSetFormat::RewFilterTable;
    if (rewHeader) return FilterSetFormat::RewFilterSettings;
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

std::filesystem::path Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal();
}

// The path an Include: line names, with Windows separators turned round;
// false for an absolute one.
bool IncludedPath(std::string_view written, std::string& path) {
    std::string p(written);
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty() || p[0] == '/' || (p.size() >= 2 && IsLetter(p[0]) && p[1] == ':')) return false;
    path = p;
    return true;
}

// Reading one file and, through its Include: lines, the files it names.
class Reader {
public:
    Reader(FilterSet& set, const IncludeSource& source) : set_(set), source_(source) {}

    // False when the file is refused; `set` then says why.
    bool ReadTop(std::string_view bytes) {
        if (bytes.size() > kMaxFilterSetBytes) return Refuse(ReadStatus::TooLarge, nullptr, {});
        const storage::DecodedText decoded = storage::DecodeText(bytes);
        set_.encoding = storage::EncodingName(decoded.encoding);
        if (!decoded.Ok()) return Refuse(ReadStatus::NotText, nullptr, {});
        if (decoded.text.size() > 2 * kMaxFilterSetBytes) return Refuse(ReadStatus::TooLarge, nullptr, {});
        if (!source_.path.empty()) open_.push_back(Normal(source_.path));
        Facts facts;
        if (!ReadText(decoded.text, {}, 0, facts)) return false;
        if (!facts.firstContent) return Refuse(ReadStatus::Empty, nullptr, {});
        if (!facts.isSet)
            return Refuse(ReadStatus::NotAFilterSet, facts.firstText ? facts.firstText : facts.firstContent,
                          {});
        set_.status = ReadStatus::Ok;
        set_.format =
            FormatOf(facts.rewHeader, facts.table, facts.configEvidence, facts.preamp, facts.headerText);
        return true;
    }

private:
    // What a file's lines show about it.
    struct Facts {
        bool isSet = false;  // a filter line, an empty slot, a preamp or an include
        bool seenFilter = false, configEvidence = false, preamp = false, headerText = false;
        bool rewHeader = false, table = false;
        const Pending* firstText = nullptr;
        const Pending* firstContent = nullptr;
        // The lines the pointers point into; a refusal's text is copied out
        // before they go.
        std::vector<Pending> lines;
    };

    bool Refuse(ReadStatus status, const Pending* at, const std::string& file,
                LineProblem problem = LineProblem::None) {
        std::string encoding = std::move(set_.encoding);
        set_ = FilterSet{};
        set_.encoding = std::move(encoding);
        set_.status = status;
        set_.problem = problem;
        set_.errorFile = file;
        if (at) {
            set_.errorLine = at->line.number;
            set_.errorText = Shown(at->trimmed);
        }
        return false;
    }

    void AddCommand(const Pending& p, const std::string& file, int section, CommandNote note,
                    std::string includePath = {}) {
        FilterLine f;
        f.lineNumber = p.line.number;
        f.file = file;
        f.text = Shown(p.trimmed);
        f.kind = FilterKind::Command;
        f.type = std::string(p.cls.command);
        f.section = section;
        f.note = note;
        f.includePath = std::move(includePath);
        set_.filters.push_back(std::move(f));
    }

    // An Include: line: the file it names read in its place, or the line
    // listed with why not.
    bool Include(const Pending& p, const std::string& file, int depth, int section) {
        std::string relative;
        const std::string_view written = TrimBlanks(p.cls.rest);
        if (!IncludedPath(written, relative)) {
            AddCommand(p, file, section, CommandNote::IncludeAbsolute, std::string(written));
            return true;
        }
        const std::filesystem::path folder =
            open_.empty() ? std::filesystem::path{} : open_.back().parent_path();
        const std::filesystem::path path = (folder / relative).lexically_normal();
        const std::filesystem::path top =
            open_.empty() ? std::filesystem::path{} : open_.front().parent_path();
        const std::string label =
            top.empty() ? path.generic_string() : path.lexically_relative(top).generic_string();
        auto listed = [&](CommandNote note) {
            AddCommand(p, file, section, note, path.generic_string());
            return true;
        };
        if (!source_.fetch) return listed(CommandNote::IncludeNotFollowed);
        for (const std::filesystem::path& o : open_)
            if (o == path) return listed(CommandNote::IncludeLoop);
        if (depth >= kMaxIncludeDepth) return listed(CommandNote::IncludeTooDeep);
        if (included_ >= kMaxIncludedFiles) return listed(CommandNote::IncludeTooMany);
        ++included_;
        const IncludedBytes got = source_.fetch(path.string());
        switch (got.status) {
        case IncludeRead::Read:
            break;
        case IncludeRead::Missing:
            return listed(CommandNote::IncludeMissing);
        case IncludeRead::Unreadable:
            return listed(CommandNote::IncludeUnreadable);
        case IncludeRead::TooLarge:
            return listed(CommandNote::IncludeTooLarge);
        }
        if (got.bytes.size() > kMaxFilterSetBytes) return listed(CommandNote::IncludeTooLarge);
        const storage::DecodedText decoded = storage::DecodeText(got.bytes);
        if (!decoded.Ok()) return listed(CommandNote::IncludeNotText);
        open_.push_back(path);
        Facts facts;
        const bool ok = ReadText(decoded.text, label, depth + 1, facts, section);
        open_.pop_back();
        return ok;
    }

    bool ReadText(std::string_view text, const std::string& file, int depth, Facts& facts, int section = -1) {
        if (!ClassifyLines(text, facts.lines)) return Refuse(ReadStatus::TooLarge, nullptr, file);
        const NumberStyle style = FindDecimalMark(facts.lines);
        for (const Pending& p : facts.lines)
            if (!ReadLine(p, file, depth, style, facts, section)) return false;
        return true;
    }

    bool ReadLine(const Pending& p, const std::string& file, int depth, NumberStyle style, Facts& facts,
                  int& section) {
        if (p.cls.cls == LineClass::Blank) return true;
        if (!facts.firstContent) facts.firstContent = &p;
        switch (p.cls.cls) {
        case LineClass::Blank:
            return true;
        case LineClass::Comment:
            facts.configEvidence = true;
            return true;
        case LineClass::TableHeader:
            facts.table = facts.rewHeader = true;
            return true;
        case LineClass::BrokenFilter:
            return Refuse(ReadStatus::BadLine, &p, file, LineProblem::NoColon);
        case LineClass::Filter:
        case LineClass::TableRow: {
            if (p.problem != LineProblem::None) return Refuse(ReadStatus::BadLine, &p, file, p.problem);
            facts.seenFilter = facts.isSet = true;
            if (p.fields.emptySlot) return true;
            FilterLine f;
            const NumberStyle rowStyle = p.pointOnly ? NumberStyle{'.'} : style;
            if (!ReadFilterValues(p.fields, rowStyle, f))
                return Refuse(ReadStatus::BadLine, &p, file, LineProblem::BadNumber);
            f.lineNumber = p.line.number;
            f.file = file;
            f.text = Shown(p.trimmed);
            f.section = section;
            set_.filters.push_back(std::move(f));
            return true;
        }
        case LineClass::Command:
            return ReadCommand(p, file, depth, style, facts, section);
        case LineClass::Text:
            // Free text belongs to a header; once filters have begun it is a
            // line that cannot be read.
            if (facts.seenFilter) return Refuse(ReadStatus::BadLine, &p, file, LineProblem::NotAFilterLine);
            if (!facts.firstText) facts.firstText = &p;
            facts.headerText = true;
            // REW's first line, or its program line ("Room EQ V5.31.3").
            facts.rewHeader = facts.rewHeader || SameWord(p.trimmed, "Filter Settings file") ||
                              p.trimmed.starts_with("Room EQ V");
            return true;
        }
        return true;
    }

    bool ReadCommand(const Pending& p, const std::string& file, int depth, NumberStyle style, Facts& facts,
                     int& section) {
        const std::string_view name = p.cls.command;
        if (SameWord(name, "Preamp")) {
            double db = 0;
            if (!ReadPreamp(p.cls.rest, style, db))
                return Refuse(ReadStatus::BadLine, &p, file, LineProblem::BadPreamp);
            set_.preamps.push_back({p.line.number, db, section});
            set_.preampDb += db;
            facts.preamp = facts.isSet = true;
        } else if (SameWord(name, "Channel")) {
            std::vector<std::string> names;
            for (std::string_view n : SplitFields(p.cls.rest)) names.emplace_back(n);
            if (names.empty()) return Refuse(ReadStatus::BadLine, &p, file, LineProblem::BadChannel);
            for (const std::string& n : names) {
                bool known = SameWord(n, "all");
                for (const std::string& s : set_.sections) known = known || SameWord(s, n);
                if (!known) set_.sections.push_back(n);
            }
            set_.channelLines.push_back(std::move(names));
            section = static_cast<int>(set_.channelLines.size()) - 1;
            facts.configEvidence = true;
        } else if (SameWord(name, "Include")) {
            facts.configEvidence = facts.isSet = true;
            return Include(p, file, depth, section);
        } else if (InList(name, kFilterLikeCommands)) {
            FilterLine f;
            if (SameWord(name, "GraphicEQ")) {
                if (!ReadGraphicEq(p.cls.rest, f.graphicEq))
                    return Refuse(ReadStatus::BadLine, &p, file, LineProblem::BadNumber);
                f.kind = FilterKind::GraphicEq;
            }
            f.lineNumber = p.line.number;
            f.file = file;
            f.text = Shown(p.trimmed);
            f.type = std::string(name);
            f.section = section;
            set_.filters.push_back(std::move(f));
            facts.seenFilter = facts.isSet = facts.configEvidence = true;
        } else if (InList(name, kConfigCommands)) {
            AddCommand(p, file, section, CommandNote::Config);
            facts.configEvidence = true;
        } else {
            // Unknown commands are header lines ("Dated:", "Notes:").
            facts.headerText = true;
        }
        return true;
    }

    FilterSet& set_;
    const IncludeSource& source_;
    std::vector<std::filesystem::path> open_;  // the files being read, outermost first
    int included_ = 0;
};

}  // namespace

FilterSet ReadFilterSet(std::string_view bytes, const IncludeSource& source) {
    FilterSet set;
    Reader(set, source).ReadTop(bytes);
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
