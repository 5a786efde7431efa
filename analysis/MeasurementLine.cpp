#include "MeasurementLine.h"

#include <string>

#include "FieldNumber.h"

namespace caraudio::analysis {
namespace {

// Longer fields are no number a file writes (FieldNumber refuses them too).
constexpr size_t kLongestField = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char SeparatorChar(FieldSeparator separator) {
    switch (separator) {
    case FieldSeparator::Semicolon:
        return ';';
    case FieldSeparator::Comma:
        return ',';
    case FieldSeparator::Tab:
    case FieldSeparator::Blanks:
        break;
    }
    return '\t';
}

void Add(LineFields& f, std::string_view field) {
    if (f.count == kMostFields) {
        f.tooMany = true;
        return;
    }
    const auto begin = static_cast<uint32_t>(field.data() - f.line.data());
    f.places[static_cast<size_t>(f.count++)] = {begin, static_cast<uint32_t>(field.size())};
}

// The no-break spaces that set apart groups of digits: U+00A0 and U+202F.
size_t GroupSpaceAt(std::string_view s, size_t i) {
    const std::string_view rest = s.substr(i);
    if (rest.starts_with("\xC2\xA0")) return 2;
    if (rest.starts_with("\xE2\x80\xAF")) return 3;
    return 0;
}

// "12 500,5" as "12500,5": the digits before the mark may come in groups of
// three set apart by no-break spaces (the first group of one to three).
// Empty when the field has other bytes beyond ASCII or groups of another size.
std::string_view WithoutGroupSpaces(std::string_view field, char (&buffer)[kLongestField]) {
    if (field.size() > kLongestField) return {};
    size_t out = 0, i = 0;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) buffer[out++] = field[i++];
    int digits = 0;
    bool grouped = false;
    while (i < field.size()) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            buffer[out++] = c;
            ++digits, ++i;
            continue;
        }
        const size_t space = GroupSpaceAt(field, i);
        if (space == 0) break;
        if (digits == 0 || digits > 3 || (grouped && digits != 3)) return {};
        grouped = true;
        digits = 0;
        i += space;
    }
    if (grouped && digits != 3) return {};
    for (; i < field.size(); ++i) {
        if (static_cast<unsigned char>(field[i]) >= 0x80) return {};
        buffer[out++] = field[i];
    }
    return {buffer, out};
}

bool ReadsAsData(std::string_view line, FieldSeparator separator) {
    const LineFields f = SplitFields(line, separator);
    if (f.tooMany) return false;
    int numbers = 0;
    for (int i = 0; i < f.count; ++i) {
        const std::string_view field = f.Field(i);
        if (field.empty()) continue;
        // Each field on its own: the file's mark is decided while reading it.
        DecimalMark mark = separator == FieldSeparator::Comma ? DecimalMark::Point : DecimalMark::Unknown;
        if (ReadField(field, mark).kind == FieldValue::Kind::NotNumber) return false;
        ++numbers;
    }
    return numbers >= 2;
}

}  // namespace

LineFields SplitFields(std::string_view line, FieldSeparator separator) {
    LineFields f;
    f.line = line;
    const size_t n = line.size();
    if (separator == FieldSeparator::Blanks) {
        size_t i = 0;
        while (!f.tooMany) {
            while (i < n && IsBlank(line[i])) ++i;
            if (i == n) break;
            const size_t start = i;
            while (i < n && !IsBlank(line[i])) ++i;
            Add(f, line.substr(start, i - start));
        }
        return f;
    }
    // Plain loops: find_first_of would search its set once per character.
    const char c = SeparatorChar(separator);
    size_t start = 0;
    for (size_t i = 0; i <= n && !f.tooMany; ++i) {
        if (i < n && line[i] != c) continue;
        Add(f, TrimBlanks(line.substr(start, i - start)));
        start = i + 1;
        if (start == n) break;  // the trailing separator
    }
    return f;
}

LineFields SplitHeaderFields(std::string_view line, FieldSeparator separator) {
    LineFields f;
    f.line = line;
    const char c = SeparatorChar(separator);
    const bool blanks = separator == FieldSeparator::Blanks;
    auto isSeparator = [&](char ch) { return blanks ? IsBlank(ch) : ch == c; };
    const size_t n = line.size();
    size_t i = 0;
    while (!f.tooMany) {
        while (i < n && IsBlank(line[i]) && (blanks || line[i] != c)) ++i;
        if (i == n && (blanks || f.count > 0)) break;
        std::string_view field;
        if (i < n && line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? n : close;
            field = TrimBlanks(line.substr(i + 1, end - i - 1));
            i = end;
            while (i < n && !isSeparator(line[i])) ++i;
        } else {
            const size_t start = i;
            while (i < n && !isSeparator(line[i])) ++i;
            field = TrimBlanks(line.substr(start, i - start));
        }
        Add(f, field);
        if (i >= n) break;
        ++i;  // the separator
        if (!blanks && i == n) break;
    }
    return f;
}

FieldValue ReadMarkedField(std::string_view field, DecimalMark& mark) {
    FieldValue v;
    bool comma = false, point = false, wide = false;
    for (const char c : field) {
        comma = comma || c == ',';
        point = point || c == '.';
        wide = wide || static_cast<unsigned char>(c) >= 0x80;
    }
    char buffer[kLongestField];
    if (wide) field = WithoutGroupSpaces(field, buffer);
    if (comma && point) return v;
    const FieldNumber n = ReadFieldNumber(field, comma);
    if (n.notFinite) {
        v.kind = FieldValue::Kind::NotFinite;
        return v;
    }
    if (!n.value) return v;
    v.value = *n.value;
    v.kind = FieldValue::Kind::Number;
    const DecimalMark own = comma ? DecimalMark::Comma : point ? DecimalMark::Point : DecimalMark::Unknown;
    if (own == DecimalMark::Unknown) return v;
    if (mark == DecimalMark::Unknown) mark = own;
    if (mark != own) v.kind = FieldValue::Kind::OtherMark;
    return v;
}

std::optional<FieldSeparator> DataLineSeparator(std::string_view line) {
    // Semicolons separate wherever they are; a tab line may still be a comma
    // one ("68.42,<tab>-12.3"), and "68,42 -12,3" is decimal commas.
    if (line.find(';') != std::string_view::npos) {
        if (ReadsAsData(line, FieldSeparator::Semicolon)) return FieldSeparator::Semicolon;
        return std::nullopt;
    }
    if (line.find('\t') != std::string_view::npos && ReadsAsData(line, FieldSeparator::Tab))
        return FieldSeparator::Tab;
    if (line.find(',') != std::string_view::npos && ReadsAsData(line, FieldSeparator::Comma))
        return FieldSeparator::Comma;
    if (ReadsAsData(line, FieldSeparator::Blanks)) return FieldSeparator::Blanks;
    return std::nullopt;
}

}  // namespace caraudio::analysis
