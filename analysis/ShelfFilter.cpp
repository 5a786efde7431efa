#include "ShelfFilter.h"

#include <cmath>
#include <complex>
#include <string_view>

#include "CookbookResponse.h"
#include "FilterText.h"

namespace caraudio::analysis {
namespace {

const double kPi = std::acos(-1.0);
// What REW's fixed-slope shelf amounts to, found by Equalizer APO's author
// by comparing the two programs.
constexpr double kFixedSlope = 0.9;
// A slope of 12 dB per octave is S = 1.
constexpr double kDbPerOctavePerSlope = 12;

std::string_view Code(const FilterLine& line) {
    const std::string_view type = line.type;
    return type.substr(0, type.find(' '));
}

// Codes whose Fc is the transition's midpoint whatever the width.
bool MidpointCode(std::string_view code) {
    return (!code.empty() && (code.back() == 'C' || code.back() == 'c')) || SameWord(code, "LSQ") ||
           SameWord(code, "HSQ");
}

double InverseQOfSlope(double a, double s) {
    const double square = (a + 1 / a) * (1 / s - 1) + 2;
    return square >= 0 ? std::sqrt(square) : std::nan("");
}

double SlopeOfQ(double a, double q) {
    return 1 / ((1 / (q * q) - 2) / (a + 1 / a) + 1);
}

}  // namespace

std::optional<CookbookShelf> ShelfOfLine(const FilterLine& line, double gainDb) {
    const bool low = line.kind == FilterKind::LowShelf;
    if ((!low && line.kind != FilterKind::HighShelf) || !line.hasFc || !line.hasGain ||
        !std::isfinite(gainDb) || !(line.fcHz > 0) || !std::isfinite(line.fcHz))
        return std::nullopt;
    const double a = std::pow(10.0, gainDb / 40);
    CookbookShelf shelf{!low, line.fcHz, gainDb, 0};
    double slope = 0;
    if (line.hasSlope) {
        if (!(line.slopeDb > 0) || !std::isfinite(line.slopeDb)) return std::nullopt;
        slope = line.slopeDb / kDbPerOctavePerSlope;
        shelf.q = 1 / InverseQOfSlope(a, slope);
    } else if (line.hasQ) {
        if (!(line.q > 0) || !std::isfinite(line.q)) return std::nullopt;
        shelf.q = line.q;
        slope = SlopeOfQ(a, line.q);
    } else {
        slope = kFixedSlope;
        shelf.q = 1 / InverseQOfSlope(a, slope);
    }
    if (!(shelf.q > 0) || !std::isfinite(shelf.q)) return std::nullopt;
    const bool corner = (line.hasSlope || line.hasQ) && !MidpointCode(Code(line));
    // At a flat shelf the corner and the midpoint are one.
    if (corner && gainDb != 0) {
        const double factor = std::pow(10.0, std::fabs(gainDb) / (80 * slope));
        shelf.f0Hz = low ? shelf.f0Hz * factor : shelf.f0Hz / factor;
    }
    if (!(shelf.f0Hz > 0) || !(shelf.f0Hz < kFileSampleRate / 2)) return std::nullopt;
    return shelf;
}

double ShelfDb(const CookbookShelf& s, double hz) {
    const double a = std::pow(10.0, s.gainDb / 40);
    const double w0 = 2 * kPi * s.f0Hz / kFileSampleRate;
    const double cs = std::cos(w0);
    const double twoRootAAlpha = 2 * std::sqrt(a) * std::sin(w0) / (2 * s.q);
    const double sign = s.high ? -1 : 1;  // the high shelf is the low one mirrored in cos w0
    const double b0 = a * ((a + 1) - sign * (a - 1) * cs + twoRootAAlpha);
    const double b1 = sign * 2 * a * ((a - 1) - sign * (a + 1) * cs);
    const double b2 = a * ((a + 1) - sign * (a - 1) * cs - twoRootAAlpha);
    const double a0 = (a + 1) + sign * (a - 1) * cs + twoRootAAlpha;
    const double a1 = -sign * 2 * ((a - 1) + sign * (a + 1) * cs);
    const double a2 = (a + 1) + sign * (a - 1) * cs - twoRootAAlpha;
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / kFileSampleRate), z2 = z1 * z1;
    return 20 * std::log10(std::abs(b0 + b1 * z1 + b2 * z2) / std::abs(a0 + a1 * z1 + a2 * z2));
}

}  // namespace caraudio::analysis
