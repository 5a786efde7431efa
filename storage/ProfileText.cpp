#include "ProfileText.h"

#include <vector>

namespace caraudio::storage {
namespace {

constexpr std::string_view kNewline = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Line {
    std::string_view body;  // without its line end
    std::string_view end;   // "\r\n", "\n" or empty for the last line
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back({text, {}});
            break;
        }
        const bool cr = nl > 0 && text[nl - 1] == '\r';
        lines.push_back({text.substr(0, cr ? nl - 1 : nl), text.substr(cr ? nl - 1 : nl, cr ? 2 : 1)});
        text.remove_prefix(nl + 1);
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    if (s.starts_with(kUtf8Mark)) s.remove_prefix(kUtf8Mark.size());
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// The section a line opens, if it does.
std::optional<std::string_view> SectionOf(std::string_view body) {
    const std::string_view t = Trim(body);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, if it is one.
std::optional<std::string_view> KeyOf(std::string_view body) {
    const size_t eq = body.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(body.substr(0, eq));
}

}  // namespace

std::optional<std::string> ReadProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        if (const auto s = SectionOf(line.body)) {
            inSection = SameName(*s, section);
            continue;
        }
        if (!inSection) continue;
        const auto k = KeyOf(line.body);
        if (k && SameName(*k, key)) return std::string(Trim(line.body.substr(line.body.find('=') + 1)));
    }
    return std::nullopt;
}

std::string WriteProfileValue(std::string_view text, std::string_view section, std::string_view key,
                              std::string_view value) {
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::vector<Line> lines = SplitLines(text);
    int sectionLine = -1;
    int lastInSection = -1;  // last non-blank line of the section
    int keyLine = -1;
    bool inSection = false;
    for (size_t i = 0; i < lines.size() && keyLine < 0; ++i) {
        if (const auto s = SectionOf(lines[i].body)) {
            if (inSection) break;  // the section ended
            inSection = sectionLine < 0 && SameName(*s, section);
            if (inSection) sectionLine = lastInSection = static_cast<int>(i);
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i].body).empty()) lastInSection = static_cast<int>(i);
        const auto k = KeyOf(lines[i].body);
        if (k && SameName(*k, key)) keyLine = static_cast<int>(i);
    }

    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    auto endOf = [&](const Line& l) { return l.end.empty() ? kNewline : l.end; };
    if (sectionLine < 0) {
        out.assign(text);
        if (!out.empty() && out.back() != '\n') out += kNewline;
        out += "[" + std::string(section) + "]";
        out += kNewline;
        out += entry;
        out += kNewline;
        return out;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (static_cast<int>(i) == keyLine) {
            out += entry;
            out += lines[i].end;
            continue;
        }
        out += lines[i].body;
        if (keyLine < 0 && static_cast<int>(i) == lastInSection) {
            out += endOf(lines[i]);
            out += entry;
            out += kNewline;
            continue;
        }
        out += lines[i].end;
    }
    return out;
}

}  // namespace caraudio::storage
