#include "FilterLineFields.h"

#include <cmath>
#include <vector>

#include "FilterText.h"

namespace caraudio::analysis {
namespace {

struct TypeCode {
    std::string_view code;
    FilterKind kind;
    int order;
};

constexpr TypeCode kTypeCodes[] = {
    {"PK", FilterKind::Peaking, 0},    {"PEQ", FilterKind::Peaking, 0},   {"HP", FilterKind::HighPass, 2},
    {"HPQ", FilterKind::HighPass, 2},  {"HP1", FilterKind::HighPass, 1},  {"LP", FilterKind::LowPass, 2},
    {"LPQ", FilterKind::LowPass, 2},   {"LP1", FilterKind::LowPass, 1},   {"LS", FilterKind::LowShelf, 0},
    {"LSC", FilterKind::LowShelf, 0},  {"LSQ", FilterKind::LowShelf, 0},  {"HS", FilterKind::HighShelf, 0},
    {"HSC", FilterKind::HighShelf, 0}, {"HSQ", FilterKind::HighShelf, 0}, {"NO", FilterKind::Notch, 0},
    {"AP", FilterKind::AllPass, 0},    {"Modal", FilterKind::Modal, 0},
};

bool Importable(FilterKind kind) {
    return kind == FilterKind::Peaking || kind == FilterKind::HighPass || kind == FilterKind::LowPass;
}

// Wider bandwidths are not filters any tool makes.
constexpr double kMaxBandwidthOct = 10;

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

}  // namespace

bool ReadPreamp(std::string_view rest, NumberStyle style, double& db) {
    const auto fields = SplitFields(rest);
    if (fields.empty() || fields.size() > 2 || (fields.size() == 2 && !SameWord(fields[1], "dB")))
        return false;
    return ReadFileNumber(fields[0], "dB", NumberRole::Other, style, db);
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
    } else if (!f.bwHz.empty()) {
        // Bandwidth in Hz between the half-gain points: Fc / Q.
        double hz = 0;
        if (!ReadFileNumber(f.bwHz, "Hz", NumberRole::Frequency, style, hz) || !(hz > 0) || !(out.fcHz > 0))
            return false;
        out.q = out.fcHz / hz;
        out.hasQ = true;
    } else if (out.order == 2) {
        out.q = 1 / std::sqrt(2.0);  // Butterworth
    }
    return std::isfinite(out.q);
}

bool IsShelfKind(FilterKind kind) {
    return kind == FilterKind::LowShelf || kind == FilterKind::HighShelf;
}

// "6", "10.8", "10,8": a slope's number, its unit apart or glued on.
bool IsSlopeNumber(std::string_view field) {
    bool digit = false;
    for (char c : field) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '.' && c != ',')
            return false;
    }
    return digit;
}

void TakeShelfSlope(const std::vector<std::string_view>& fields, std::size_t& i, FilterFields& f) {
    if (i >= fields.size()) return;
    const std::string_view field = fields[i];
    if (field.size() > 2 && SameWord(field.substr(field.size() - 2), "dB") &&
        IsSlopeNumber(field.substr(0, field.size() - 2))) {
        f.slope = field;
        f.type += " " + std::string(field);
        ++i;
    } else if (IsSlopeNumber(field) && i + 1 < fields.size() && SameWord(fields[i + 1], "dB")) {
        f.slope = field;
        f.type += " " + std::string(field) + " " + std::string(fields[i + 1]);
        i += 2;
    }
}

void SetFilterType(std::string_view code, FilterFields& f) {
    f.type = std::string(code);
    for (const TypeCode& t : kTypeCodes) {
        if (SameWord(code, t.code)) {
            f.kind = t.kind;
            f.order = t.order;
        }
    }
}

LineProblem CheckNeededValues(const FilterFields& f) {
    if (f.kind == FilterKind::Peaking)
        return !f.fc.empty() && !f.gain.empty() && !(f.q.empty() && f.bw.empty() && f.bwHz.empty())
                   ? LineProblem::None
                   : LineProblem::MissingValue;
    if (Importable(f.kind)) return f.fc.empty() ? LineProblem::MissingValue : LineProblem::None;
    return LineProblem::None;
}

LineProblem ReadFilterFields(std::string_view rest, FilterFields& f) {
    const std::vector<std::string_view> fields = SplitFields(rest);
    std::size_t i = 0;
    auto next = [&]() -> std::string_view { return i < fields.size() ? fields[i++] : std::string_view{}; };
    auto skipUnit = [&](std::string_view unit) {
        if (i < fields.size() && SameWord(fields[i], unit)) ++i;
    };

    const std::string_view onOff = next();
    if (SameWord(onOff, "ON"))
        f.on = true;
    else if (SameWord(onOff, "OFF"))
        f.on = false;
    else
        return LineProblem::NoOnOff;

    const std::string_view code = next();
    if (code.empty()) return LineProblem::MissingValue;
    if (SameWord(code, "None")) {
        f.emptySlot = true;
        return LineProblem::None;
    }
    SetFilterType(code, f);
    if (IsShelfKind(f.kind)) TakeShelfSlope(fields, i, f);

    while (i < fields.size()) {
        const std::string_view key = next();
        std::string_view* value = nullptr;
        std::string_view unit;
        if (SameWord(key, "Fc")) {
            value = &f.fc, unit = "Hz";
        } else if (SameWord(key, "Gain")) {
            value = &f.gain, unit = "dB";
        } else if (SameWord(key, "Q")) {
            value = &f.q;
        } else if (SameWord(key, "BW")) {
            skipUnit("Oct");
            value = &f.bw, unit = "Oct";
        } else if (Importable(f.kind)) {
            return LineProblem::UnknownField;
        } else {
            break;  // the rest of a filter the box cannot hold is only reported
        }
        *value = next();
        if (value->empty()) return LineProblem::MissingValue;
        skipUnit(unit);
    }
    return CheckNeededValues(f);
}

}  // namespace caraudio::analysis
