#include "MeasurementLine.h"

#include "FieldNumber.h"

namespace caraudio::analysis {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Fields split at `separator`. With `runs`, runs of separators and spaces
// count as one; otherwise each separator ends a field and the spaces around
// it are dropped. One separator at the end of the line is allowed, as some
// spreadsheets write it.
struct Fields {
    static constexpr int kMost = 3;
    std::array<std::string_view, kMost> text;
    int count = 0;
    bool tooMany = false;
};

Fields Split(std::string_view line, char separator, bool runs) {
    Fields f;
    auto add = [&f](std::string_view field) {
        if (f.count == Fields::kMost) {
            f.tooMany = true;
            return;
        }
        f.text[static_cast<size_t>(f.count++)] = field;
    };
    const size_t n = line.size();
    if (runs) {
        auto isSeparator = [separator](char c) { return c == separator || c == ' '; };
        size_t i = 0;
        while (!f.tooMany) {
            while (i < n && isSeparator(line[i])) ++i;
            if (i == n) break;
            const size_t start = i;
            while (i < n && !isSeparator(line[i])) ++i;
            add(line.substr(start, i - start));
        }
        return f;
    }
    size_t start = 0;
    for (size_t i = 0; i <= n && !f.tooMany; ++i) {
        if (i < n && line[i] != separator) continue;
        add(TrimSpaces(line.substr(start, i - start)));
        start = i + 1;
        if (start == n) break;  // the trailing separator
    }
    return f;
}

MeasurementLine ReadFields(const Fields& f, bool decimalComma) {
    MeasurementLine line;
    if (f.tooMany || f.count < 2) return line;
    bool notFinite = false;
    for (int i = 0; i < f.count; ++i) {
        const FieldNumber n = ReadFieldNumber(f.text[static_cast<size_t>(i)], decimalComma);
        if (n.notFinite) {
            notFinite = true;
        } else if (!n.value) {
            return line;
        } else {
            line.values[static_cast<size_t>(i)] = *n.value;
        }
    }
    line.status = notFinite ? MeasurementLine::Status::NotFinite : MeasurementLine::Status::Read;
    line.count = f.count;
    return line;
}

}  // namespace

MeasurementLine ReadMeasurementLine(std::string_view line) {
    line = TrimSpaces(line);
    const bool comma = line.find(',') != std::string_view::npos;
    if (line.find(';') != std::string_view::npos) return ReadFields(Split(line, ';', false), true);
    if (!comma) return ReadFields(Split(line, '\t', true), false);
    if (line.find('\t') != std::string_view::npos) {
        // "68,42<tab>-12,3" has decimal commas; "68.42,<tab>-12.3" separates
        // by commas. Only one of the two reads as numbers.
        const MeasurementLine tabs = ReadFields(Split(line, '\t', true), true);
        if (tabs.status != MeasurementLine::Status::NotNumbers) return tabs;
    }
    return ReadFields(Split(line, ',', false), false);
}

}  // namespace caraudio::analysis
