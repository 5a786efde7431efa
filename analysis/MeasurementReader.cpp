#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "Measurement.h"
#include "MeasurementColumns.h"
#include "MeasurementLine.h"

namespace caraudio::analysis {
namespace {

// Enough of an offending line to recognise it.
constexpr size_t kShownLineBytes = 160;

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsComment(std::string_view trimmed) {
    const char c = trimmed.front();
    return c == '*' || c == '"' || c == '#';
}

// Column headers ("Freq(Hz) SPL(dB)", "Frequency [Hz]; Level [dB re 20 uPa]",
// "频率 声压") begin with a word; data never does.
bool IsHeader(std::string_view trimmed) {
    const auto c = static_cast<unsigned char>(trimmed.front());
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

// A comment's text without its marker, as a header of names: "* Freq(Hz) SPL(dB)".
std::string_view WithoutMarker(std::string_view comment) {
    while (!comment.empty() && (comment.front() == '*' || comment.front() == '#'))
        comment = Trim(comment.substr(1));
    return comment;
}

// The line cut at a character boundary, so a cut never splits a UTF-8 sequence.
std::string Shown(std::string_view line) {
    if (line.size() <= kShownLineBytes) return std::string(line);
    size_t n = kShownLineBytes;
    while (n > 0 && (static_cast<unsigned char>(line[n]) & 0xC0) == 0x80) --n;
    return std::string(line.substr(0, n));
}

MeasurementRead Refused(MeasurementStatus status, int line, std::string_view text) {
    MeasurementRead r;
    r.status = status;
    r.line = line;
    r.lineText = Shown(text);
    return r;
}

// Walks the lines of a text, whatever its line ends.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        // A plain loop: find_first_of would search the set once per character.
        size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        ++number_;
        return true;
    }
    // The next line that is neither blank nor a comment, trimmed.
    bool NextContent(std::string_view& line) {
        std::string_view raw;
        while (Next(raw)) {
            line = Trim(raw);
            if (!line.empty() && !IsComment(line)) return true;
        }
        return false;
    }
    int Number() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

// Tabs may be doubled to line columns up; other separators may not: false
// for an empty field between them.
bool DropDoubledTabs(LineFields& f, FieldSeparator separator) {
    int kept = 0;
    for (int i = 0; i < f.count; ++i) {
        const LineFields::Place place = f.places[static_cast<size_t>(i)];
        if (place.size == 0) {
            if (separator != FieldSeparator::Tab) return false;
            continue;
        }
        f.places[static_cast<size_t>(kept++)] = place;
    }
    f.count = kept;
    return true;
}

// What one line of data holds for the curve read.
enum class Row {
    Point,
    NoPoint,    // data, but not of this curve (a shorter curve has ended)
    NotData,    // words, a single number, or more fields than the columns
    Mixed,      // a number with the other decimal mark
    NotFinite,  // the curve's number is NaN or infinite
};

// Reads one text: the part before the data (comments, headers), then the
// data in the layout its first line gives, up to the end or to the first
// line after them that is no point.
class MeasurementParser {
public:
    MeasurementParser(std::string_view text, const MeasurementLimits& limits, const ColumnChoice& choice)
        : text_(text), limits_(limits), choice_(choice) {}

    MeasurementRead Run() {
        Lines lines(text_);
        std::string_view line, header;
        int firstHeaderLine = 0;
        std::string_view firstHeaderText;
        std::optional<FieldSeparator> separator;
        std::string_view raw;
        while (!separator && lines.Next(raw)) {
            line = Trim(raw);
            if (line.empty()) continue;
            if (IsComment(line)) {
                header = WithoutMarker(line);
                continue;
            }
            separator = DataLineSeparator(line);
            if (separator) break;
            if (!IsHeader(line)) return Refused(MeasurementStatus::NotNumbers, lines.Number(), line);
            if (firstHeaderLine == 0) {
                firstHeaderLine = lines.Number();
                firstHeaderText = line;
            }
            header = line;
        }
        if (!separator) return Refused(MeasurementStatus::NoData, firstHeaderLine, firstHeaderText);
        if (std::optional<MeasurementRead> refused = Begin(*separator, header, line, lines.Number()))
            return std::move(*refused);
        return ReadData(lines, line);
    }

private:
    // The layout from the first data line and the header before it; a
    // refusal when no curve can be read.
    std::optional<MeasurementRead> Begin(FieldSeparator separator, std::string_view header,
                                         std::string_view first, int lineNumber) {
        separator_ = separator;
        mark_ = separator == FieldSeparator::Comma ? DecimalMark::Point : DecimalMark::Unknown;
        const LineFields data = SplitFields(first, separator);
        const LineFields names = SplitHeaderFields(header, separator);
        columns_ = ColumnsOf(header.empty() ? nullptr : &names, data.count);
        if (columns_.levels.empty() && separator == FieldSeparator::Tab) {
            // Tabs doubled to line the columns up.
            int filled = 0;
            for (int i = 0; i < data.count; ++i) filled += data.Field(i).empty() ? 0 : 1;
            columns_ = ColumnsOf(nullptr, filled);
        }
        if (columns_.levels.empty()) return Refused(MeasurementStatus::UnnamedColumns, lineNumber, first);
        fields_ = data.count;
        MeasurementSource& s = read_.source;
        for (const LevelColumn& c : columns_.levels) s.columns.push_back(c.name);
        const int chosen = ChosenColumn(columns_, choice_);
        if (chosen < 0) {
            MeasurementRead r = Refused(MeasurementStatus::NoSuchColumn, 0, {});
            r.source.columns = std::move(s.columns);
            return r;
        }
        s.column = chosen;
        const LevelColumn& curve = columns_.levels[static_cast<size_t>(chosen)];
        roles_.fill(-1);
        for (const auto& [field, role] : {std::pair{curve.frequency, 0}, {curve.level, 1}, {curve.phase, 2}})
            if (field >= 0) roles_[static_cast<size_t>(field)] = static_cast<int8_t>(role);
        return std::nullopt;
    }

    MeasurementRead ReadData(Lines& lines, std::string_view line) {
        std::vector<MeasuredPoint>& points = read_.measurement.points;
        // Room for a point a line saves growing the vector through large files.
        points.reserve(std::min<size_t>(std::count(text_.begin(), text_.end(), '\n') + 1, limits_.points));
        int firstPointLine = 0;
        std::string_view firstPointText;
        do {
            MeasuredPoint p;
            switch (ReadRow(line, p)) {
            case Row::NotData:
                return Ended(lines, line);
            case Row::Mixed:
                return Refused(MeasurementStatus::MixedDecimalMarks, lines.Number(), line);
            case Row::NotFinite:
                return Refused(MeasurementStatus::NotFinite, lines.Number(), line);
            case Row::NoPoint:
                continue;
            case Row::Point:
                break;
            }
            if (!(p.hz > 0)) return Refused(MeasurementStatus::NotPositiveFrequency, lines.Number(), line);
            if (std::fabs(p.db) > kMaxMeasurementLevelDb)
                return Refused(MeasurementStatus::LevelOutOfRange, lines.Number(), line);
            if (!points.empty() && !(p.hz > points.back().hz))
                return Refused(MeasurementStatus::NotIncreasing, lines.Number(), line);
            if (points.size() == limits_.points)
                return Refused(MeasurementStatus::TooManyPoints, lines.Number(), line);
            everyPhase_ = everyPhase_ && !std::isnan(p.phaseDegrees);
            points.push_back(p);
            if (points.size() == 1) {
                firstPointLine = lines.Number();
                firstPointText = line;
            }
        } while (lines.NextContent(line));
        if (points.empty()) return Refused(MeasurementStatus::NoData, 0, {});
        if (points.size() < 2)
            return Refused(MeasurementStatus::TooFewPoints, firstPointLine, firstPointText);
        return Finished();
    }

    // The data end at `line`, a line that is no point: fine when nothing
    // after it is data, else it is a damaged line amid the data.
    MeasurementRead Ended(Lines& lines, std::string_view line) {
        const int number = lines.Number();
        std::string_view after;
        MeasuredPoint unused;
        while (lines.NextContent(after))
            if (ReadRow(after, unused) != Row::NotData)
                return Refused(MeasurementStatus::NotNumbers, number, line);
        if (read_.measurement.points.size() < 2) return Refused(MeasurementStatus::NotNumbers, number, line);
        read_.source.endLine = number;
        read_.source.endText = Shown(line);
        return Finished();
    }

    MeasurementRead Finished() {
        read_.measurement.hasPhase = everyPhase_;
        read_.status = MeasurementStatus::Read;
        return std::move(read_);
    }

    Row ReadRow(std::string_view line, MeasuredPoint& p) {
        LineFields f = SplitFields(line, separator_);
        if (f.tooMany) return Row::NotData;
        if (columns_.byPlace) {
            if (f.count > fields_) return Row::NotData;
        } else {
            // Two or three numbers (runs of blanks leave no empty field).
            if (separator_ != FieldSeparator::Blanks && !DropDoubledTabs(f, separator_)) return Row::NotData;
            if (f.count < 2 || f.count > 3) return Row::NotData;
        }
        DecimalMark mark = mark_;
        bool mixed = false, notFinite = false;
        int numbers = 0;
        // NaN until found: a NaN in the file is never taken as a value.
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        double values[3] = {kNone, kNone, kNone};
        for (int i = 0; i < f.count; ++i) {
            const std::string_view field = f.Field(i);
            if (field.empty()) continue;
            const FieldValue v = ReadField(field, mark);
            if (v.kind == FieldValue::Kind::NotNumber) return Row::NotData;
            ++numbers;
            mixed = mixed || v.kind == FieldValue::Kind::OtherMark;
            // Other columns only have to be numbers.
            const int role = roles_[static_cast<size_t>(i)];
            if (role < 0) continue;
            if (v.kind == FieldValue::Kind::NotFinite) {
                notFinite = true;
                continue;
            }
            values[role] = v.value;
        }
        if (numbers < 2) return Row::NotData;
        mark_ = mark;
        if (mixed) return Row::Mixed;
        if (notFinite) return Row::NotFinite;
        if (std::isnan(values[0]) || std::isnan(values[1])) return Row::NoPoint;
        p = {values[0], values[1], values[2]};
        return Row::Point;
    }

    std::string_view text_;
    const MeasurementLimits& limits_;
    const ColumnChoice& choice_;
    MeasurementRead read_;
    FieldSeparator separator_ = FieldSeparator::Blanks;
    DecimalMark mark_ = DecimalMark::Unknown;
    FileColumns columns_;
    // What each field is to the curve read: 0 frequency, 1 level, 2 phase, -1 nothing.
    std::array<int8_t, kMostFields> roles_{};
    int fields_ = 0;
    bool everyPhase_ = true;
};

}  // namespace

MeasurementRead ReadMeasurement(std::string_view bytes, const MeasurementLimits& limits,
                                const ColumnChoice& choice) {
    if (bytes.size() > limits.bytes) return Refused(MeasurementStatus::TooLarge, 0, {});
    const storage::DecodedText decoded = storage::DecodeText(bytes);
    if (!decoded.Ok()) return Refused(MeasurementStatus::NotText, 0, {});
    MeasurementRead r = MeasurementParser(decoded.text, limits, choice).Run();
    r.source.encoding = decoded.encoding;
    return r;
}

}  // namespace caraudio::analysis
