#include "Target.h"

#include <cmath>
#include <optional>

#include "FieldNumber.h"

namespace caraudio::analysis {
namespace {

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// "A@B" or, when the corner may be left out, "A".
bool ReadValueAt(std::string_view text, bool cornerNeeded, double& value, double& corner) {
    const size_t at = text.find('@');
    if (at == std::string_view::npos && cornerNeeded) return false;
    const auto v = ReadFieldNumber(TrimSpaces(text.substr(0, at))).value;
    if (!v) return false;
    value = *v;
    if (at == std::string_view::npos) return true;
    const auto c = ReadFieldNumber(TrimSpaces(text.substr(at + 1))).value;
    if (!c) return false;
    corner = *c;
    return true;
}

}  // namespace

bool HouseCurveInRange(const HouseCurve& h) {
    return std::fabs(h.bassDb) <= kMaxHouseBassDb && h.bassHz >= kMinHouseBassHz &&
           h.bassHz <= kMaxHouseBassHz && std::fabs(h.tiltDbPerDecade) <= kMaxHouseTiltDbPerDecade &&
           h.tiltFromHz >= kMinHouseTiltFromHz && h.tiltFromHz <= kMaxHouseTiltFromHz;
}

double HouseCurveDb(const HouseCurve& h, double hz) {
    // |H(jW)|^2 of A (s^2 + sqrt(A)/Q s + A) / (A s^2 + sqrt(A)/Q s + 1) at
    // W = f / f0, with 1/Q^2 = 2.
    const double a = std::pow(10.0, h.bassDb / 40);
    const double w = hz / h.bassHz;
    const double w2 = w * w;
    const double middle = 2 * a * w2;  // (sqrt(A)/Q W)^2
    const double num = (a - w2) * (a - w2) + middle;
    const double den = (1 - a * w2) * (1 - a * w2) + middle;
    double db = 20 * std::log10(a) + 10 * std::log10(num / den);
    if (hz > h.tiltFromHz) db += h.tiltDbPerDecade * std::log10(hz / h.tiltFromHz);
    return db;
}

Response HouseCurveOnGrid(const HouseCurve& h, const FrequencyGrid& grid) {
    Response out;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        out[static_cast<size_t>(i)] = HouseCurveDb(h, grid.Hz(i));
    return out;
}

TargetText ParseTargetText(std::string_view text) {
    TargetText t;
    text = TrimSpaces(text);
    if (text.empty()) return t;
    t.status = TargetText::Status::Read;
    if (text == "flat") return t;
    constexpr std::string_view kHouse = "house:";
    if (!text.starts_with(kHouse)) {
        t.kind = TargetKind::File;
        t.path = std::string(text);
        return t;
    }
    t.kind = TargetKind::House;
    text.remove_prefix(kHouse.size());
    const size_t comma = text.find(',');
    HouseCurve& h = t.house;
    bool read = ReadValueAt(text.substr(0, comma), true, h.bassDb, h.bassHz);
    if (read && comma != std::string_view::npos)
        read = ReadValueAt(text.substr(comma + 1), false, h.tiltDbPerDecade, h.tiltFromHz);
    if (!read) {
        t.status = TargetText::Status::BadHouse;
    } else if (!HouseCurveInRange(h)) {
        t.status = TargetText::Status::HouseOutOfRange;
    }
    return t;
}

}  // namespace caraudio::analysis
