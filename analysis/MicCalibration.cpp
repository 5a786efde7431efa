#include "MicCalibration.h"

#include <algorithm>
#include <cmath>

#include "FieldNumber.h"

namespace caraudio::analysis {
namespace {

// A calibration covers the audible band in a few hundred points; far more
// is not a calibration file.
constexpr size_t kMostPoints = 100000;
// No microphone is off by more than this anywhere it is calibrated.
constexpr double kLargestDeviationDb = 60;

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '"'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Fields(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = line.find_first_of(separators, at);
        const std::string_view field = line.substr(at, end == std::string_view::npos ? end : end - at);
        if (!field.empty()) out.push_back(field);
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return out;
}

// "Sens Factor =-0.7064dB, AGain =18dB, SERNO: 7012345"
void ReadHeader(std::string_view line, MicCalibration& c) {
    if (const size_t at = line.find("Sens Factor"); at != std::string_view::npos) {
        std::string_view rest = line.substr(at + 11);
        const size_t equals = rest.find('=');
        if (equals != std::string_view::npos) {
            rest = Trimmed(rest.substr(equals + 1));
            // "-0.7064dB" or, from a decimal-comma locale, "-1,5dB".
            const size_t end = rest.find_first_not_of("+-.,0123456789");
            if (const FieldNumber n = ReadFieldNumber(rest.substr(0, end), true); n.value)
                c.hasSensitivity = true, c.sensitivityDb = *n.value;
        }
    }
    if (const size_t at = line.find("SERNO:"); at != std::string_view::npos) {
        const std::string_view rest = Trimmed(line.substr(at + 6));
        c.serial = std::string(rest.substr(0, rest.find_first_of(" ,\t\"")));
    }
}

}  // namespace

MicCalibrationRead ReadMicCalibration(std::string_view text) {
    MicCalibrationRead read;
    MicCalibration& c = read.calibration;
    int number = 0;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (line.empty() || line.front() == '*' || line.front() == '#') continue;
        if (line.find("Sens Factor") != std::string_view::npos ||
            line.find("SERNO") != std::string_view::npos) {
            ReadHeader(line, c);
            continue;
        }
        // Split by tabs, spaces or semicolons, a comma is a decimal comma;
        // a line with none of those is split by its commas.
        std::vector<std::string_view> f = Fields(line, " \t;");
        bool decimalComma = f.size() >= 2;
        for (std::string_view& field : f)
            if (field.size() > 1 && field.back() == ',')
                field.remove_suffix(1), decimalComma = false;  // "20.0, -1.2"
        if (f.size() < 2) f = Fields(line, ",");
        const FieldNumber hz = f.size() >= 2 ? ReadFieldNumber(f[0], decimalComma) : FieldNumber{};
        const FieldNumber db = f.size() >= 2 ? ReadFieldNumber(f[1], decimalComma) : FieldNumber{};
        if (!hz.value || !db.value) {
            // Words before the first point are a header of column names.
            if (c.hz.empty()) continue;
            read.error = "line " + std::to_string(number) + " is not \"frequency dB\"";
            return read;
        }
        if (!(*hz.value > 0) || (!c.hz.empty() && *hz.value <= c.hz.back())) {
            read.error = "line " + std::to_string(number) + ": the frequencies must be above 0 and rise";
            return read;
        }
        if (std::fabs(*db.value) > kLargestDeviationDb) {
            read.error = "line " + std::to_string(number) + ": a deviation over 60 dB is not a microphone's";
            return read;
        }
        if (c.hz.size() == kMostPoints) {
            read.error = "more than " + std::to_string(kMostPoints) + " points";
            return read;
        }
        c.hz.push_back(*hz.value);
        c.db.push_back(*db.value);
    }
    if (c.hz.empty()) {
        read.error = "no \"frequency dB\" lines";
        return read;
    }
    read.ok = true;
    return read;
}

double CalibrationDbAt(const MicCalibration& c, double hz) {
    if (c.hz.empty()) return 0;
    if (hz <= c.hz.front()) return c.db.front();
    if (hz >= c.hz.back()) return c.db.back();
    const size_t upper = static_cast<size_t>(std::upper_bound(c.hz.begin(), c.hz.end(), hz) - c.hz.begin());
    const double t = std::log(hz / c.hz[upper - 1]) / std::log(c.hz[upper] / c.hz[upper - 1]);
    return c.db[upper - 1] + t * (c.db[upper] - c.db[upper - 1]);
}

ComplexResponse Calibrated(const ComplexResponse& response, const MicCalibration& c,
                           const FrequencyGrid& grid) {
    ComplexResponse out = response;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        out[static_cast<size_t>(i)] *= std::pow(10.0, -CalibrationDbAt(c, grid.Hz(i)) / 20);
    return out;
}

}  // namespace caraudio::analysis
