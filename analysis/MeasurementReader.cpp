#include <algorithm>
#include <cmath>
#include <limits>

#include "Measurement.h"
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

// Column headers ("Freq(Hz) SPL(dB)", "Frequency [Hz]; Level [dB re 20 uPa]")
// begin with a word; data never does.
bool IsHeader(std::string_view trimmed) {
    const char c = trimmed.front();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
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
    int Number() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

}  // namespace

MeasurementRead ReadMeasurement(std::string_view bytes, const MeasurementLimits& limits) {
    if (bytes.size() > limits.bytes) return Refused(MeasurementStatus::TooLarge, 0, {});
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);

    MeasurementRead r;
    std::vector<MeasuredPoint>& points = r.measurement.points;
    // Room for a point a line saves growing the vector through large files.
    points.reserve(std::min<size_t>(std::count(bytes.begin(), bytes.end(), '\n') + 1, limits.points));
    bool everyPhase = true;
    int firstPointLine = 0, firstHeaderLine = 0;
    std::string_view firstPointText, firstHeaderText;
    Lines lines(bytes);
    std::string_view raw;
    while (lines.Next(raw)) {
        const std::string_view line = Trim(raw);
        if (line.empty() || IsComment(line)) continue;
        const MeasurementLine data = ReadMeasurementLine(line);
        if (data.status == MeasurementLine::Status::NotFinite)
            return Refused(MeasurementStatus::NotFinite, lines.Number(), line);
        if (data.status != MeasurementLine::Status::Read) {
            if (points.empty() && IsHeader(line)) {
                if (firstHeaderLine == 0) {
                    firstHeaderLine = lines.Number();
                    firstHeaderText = line;
                }
                continue;
            }
            return Refused(MeasurementStatus::NotNumbers, lines.Number(), line);
        }
        const double hz = data.values[0];
        if (!(hz > 0)) return Refused(MeasurementStatus::NotPositiveFrequency, lines.Number(), line);
        if (std::fabs(data.values[1]) > kMaxMeasurementLevelDb)
            return Refused(MeasurementStatus::LevelOutOfRange, lines.Number(), line);
        if (!points.empty() && !(hz > points.back().hz))
            return Refused(MeasurementStatus::NotIncreasing, lines.Number(), line);
        if (points.size() == limits.points)
            return Refused(MeasurementStatus::TooManyPoints, lines.Number(), line);
        const bool phase = data.count == 3;
        everyPhase = everyPhase && phase;
        points.push_back(
            {hz, data.values[1], phase ? data.values[2] : std::numeric_limits<double>::quiet_NaN()});
        if (points.size() == 1) {
            firstPointLine = lines.Number();
            firstPointText = line;
        }
    }
    if (points.empty()) return Refused(MeasurementStatus::NoData, firstHeaderLine, firstHeaderText);
    if (points.size() < 2) return Refused(MeasurementStatus::TooFewPoints, firstPointLine, firstPointText);
    r.measurement.hasPhase = everyPhase;
    r.status = MeasurementStatus::Read;
    return r;
}

}  // namespace caraudio::analysis
