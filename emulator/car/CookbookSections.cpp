#include "CookbookSections.h"

#include <cmath>
#include <numbers>

#include "VirtualCar.h"

namespace caraudio::emulator {

Section PassSection(bool high, double hz, double q) {
    const double w = 2 * std::numbers::pi * hz / kCarRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
    const double a0 = 1 + alpha;
    const double b0 = (high ? (1 + c) : (1 - c)) / 2;
    return {b0 / a0, (high ? -2 * b0 : 2 * b0) / a0, b0 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Section PeakSection(double hz, double q, double db) {
    const double a = std::pow(10, db / 40), w = 2 * std::numbers::pi * hz / kCarRate;
    const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha / a;
    return {(1 + alpha * a) / a0, -2 * c / a0, (1 - alpha * a) / a0, -2 * c / a0, (1 - alpha / a) / a0};
}

Section LowShelfSection(double hz, double db) {
    const double a = std::pow(10, db / 40), w = 2 * std::numbers::pi * hz / kCarRate;
    const double c = std::cos(w), beta = std::sin(w) * std::sqrt(2 * a);
    const double a0 = (a + 1) + (a - 1) * c + beta;
    return {a * ((a + 1) - (a - 1) * c + beta) / a0, 2 * a * ((a - 1) - (a + 1) * c) / a0,
            a * ((a + 1) - (a - 1) * c - beta) / a0, -2 * ((a - 1) + (a + 1) * c) / a0,
            ((a + 1) + (a - 1) * c - beta) / a0};
}

}  // namespace caraudio::emulator
