#pragma once

// Shelves and graphic EQ curves as filter-set files mean them, written from
// the formats' own definitions for the tests to hold imports against.

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <utility>
#include <vector>

namespace caraudio::test {

// |H| in dB at `hz` of the cookbook shelving biquads at 48 kHz (Bristow-Johnson's
// "Audio EQ Cookbook"): midpoint f0, gain, quality factor q.
inline double TextbookShelfDb(bool high, double f0, double gainDb, double q, double hz) {
    const double pi = std::acos(-1.0);
    const double a = std::pow(10.0, gainDb / 40), w0 = 2 * pi * f0 / 48000, c = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * q), r = 2 * std::sqrt(a) * alpha;
    double b0, b1, b2, a0, a1, a2;
    if (!high) {
        b0 = a * ((a + 1) - (a - 1) * c + r);
        b1 = 2 * a * ((a - 1) - (a + 1) * c);
        b2 = a * ((a + 1) - (a - 1) * c - r);
        a0 = (a + 1) + (a - 1) * c + r;
        a1 = -2 * ((a - 1) + (a + 1) * c);
        a2 = (a + 1) + (a - 1) * c - r;
    } else {
        b0 = a * ((a + 1) + (a - 1) * c + r);
        b1 = -2 * a * ((a - 1) + (a + 1) * c);
        b2 = a * ((a + 1) + (a - 1) * c - r);
        a0 = (a + 1) - (a - 1) * c + r;
        a1 = 2 * ((a - 1) - (a + 1) * c);
        a2 = (a + 1) - (a - 1) * c - r;
    }
    const std::complex<double> z1 = std::polar(1.0, -2 * pi * hz / 48000), z2 = z1 * z1;
    return 20 * std::log10(std::abs(b0 + b1 * z1 + b2 * z2) / std::abs(a0 + a1 * z1 + a2 * z2));
}

// A shelf line of a filter set, "ON <code> [<slope> dB] Fc <fc> Hz Gain <gain>
// dB [Q <q>]", read as Equalizer APO's configuration reference describes
// the codes REW writes: LSC/HSC name the transition's midpoint, LS/HS with a
// slope or a Q its corner; a slope of x dB is the cookbook S = x/12, no
// slope and no Q is S = 0.9; 1/Q = sqrt((A + 1/A)(1/S - 1) + 2); the corner
// lies 10^(|gain| / (80 S)) below (low shelf) or above (high shelf) f0.
// LSQ/HSQ, as graph tools for headphones write them, are shelves with a Q at
// the midpoint like LSC/HSC.
struct TextbookShelfLine {
    std::string code;  // "LS", "LSC", "HS", "HSC"
    double slopeDb;    // 0: none
    double fc, gainDb;
    double q;  // 0: none

    std::string Text() const {
        char buffer[160];
        std::string slope = slopeDb > 0 ? " " + Format("%g", slopeDb) + "dB" : "";
        std::snprintf(buffer, sizeof buffer, "ON %s%s Fc %g Hz Gain %g dB", code.c_str(), slope.c_str(), fc,
                      gainDb);
        std::string text = buffer;
        if (q > 0) text += Format(" Q %g", q);
        return text;
    }
    double Db(double hz) const {
        const bool high = code[0] == 'H';
        const bool midpoint = code.back() == 'C' || code.back() == 'Q' || (slopeDb == 0 && q == 0);
        const double a = std::pow(10.0, gainDb / 40);
        double s = slopeDb > 0 ? slopeDb / 12 : 0.9;
        double width = 1 / std::sqrt((a + 1 / a) * (1 / s - 1) + 2);
        if (slopeDb == 0 && q > 0) {
            width = q;
            s = 1 / ((1 / (q * q) - 2) / (a + 1 / a) + 1);  // the slope the Q amounts to
        }
        double f0 = fc;
        if (!midpoint)
            f0 = high ? fc / std::pow(10.0, std::fabs(gainDb) / (80 * s))
                      : fc * std::pow(10.0, std::fabs(gainDb) / (80 * s));
        return TextbookShelfDb(high, f0, gainDb, width, hz);
    }

private:
    static std::string Format(const char* format, double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, format, v);
        return buffer;
    }
};

// An Equalizer APO graphic EQ curve at `hz`: linear in log frequency between
// the neighbouring points (taken in frequency order), flat beyond the first
// and the last at their levels.
inline double TextbookGraphicEqDb(std::vector<std::pair<double, double>> points, double hz) {
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (hz <= points.front().first) return points.front().second;
    if (hz >= points.back().first) return points.back().second;
    std::size_t k = 1;
    while (points[k].first < hz) ++k;
    const auto& [f1, g1] = points[k - 1];
    const auto& [f2, g2] = points[k];
    return g1 + (g2 - g1) * (std::log10(hz) - std::log10(f1)) / (std::log10(f2) - std::log10(f1));
}

}  // namespace caraudio::test
