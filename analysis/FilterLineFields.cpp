#include "FilterLineFields.h"

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

bool IsShelf(FilterKind kind) {
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

// "6dB", "12dB", "10.8 dB": the slope some shelf types name after their
// code. Its fields are added to the type as written.
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

}  // namespace

bool ReadFilterFields(std::string_view rest, FilterFields& f) {
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
        return false;

    const std::string_view code = next();
    if (code.empty()) return false;
    if (SameWord(code, "None")) {
        f.emptySlot = true;
        return true;
    }
    f.type = std::string(code);
    for (const TypeCode& t : kTypeCodes) {
        if (SameWord(code, t.code)) {
            f.kind = t.kind;
            f.order = t.order;
        }
    }
    if (IsShelf(f.kind)) TakeShelfSlope(fields, i, f);

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
            return false;
        } else {
            break;  // the rest of a filter the box cannot hold is only reported
        }
        *value = next();
        if (value->empty()) return false;
        skipUnit(unit);
    }

    if (f.kind == FilterKind::Peaking)
        return !f.fc.empty() && !f.gain.empty() && !(f.q.empty() && f.bw.empty());
    if (Importable(f.kind)) return !f.fc.empty();
    return true;
}

}  // namespace caraudio::analysis
