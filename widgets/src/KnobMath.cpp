#include "KnobMath.h"

#include <algorithm>
#include <cmath>

namespace caraudio::widgets {
namespace {

constexpr double kPi = 3.14;
double Radians(double degrees) {
    return degrees * kPi / 180;
}

}  // namespace

int KnobMath::Gap() const {
    return std::clamp(includedAngle, 0, 359);
}

double KnobMath::Scale() const {
    return static_cast<double>(max - min) / Sweep();
}

double KnobMath::AngleFor(int value) const {
    return max == min ? 0 : static_cast<double>(value) * Sweep() / (max - min);
}

int KnobMath::Clamp(int value) const {
    return std::clamp(value, std::min(min, max), std::max(min, max));
}

KnobMath::Dot KnobMath::StartDot() const {
    const double t0 = Radians(90 - Gap() / 2);
    return {static_cast<int>(centreX - std::cos(t0) * dotRadius),
            static_cast<int>(centreY + std::sin(t0) * dotRadius)};
}

KnobMath::Dot KnobMath::EndDot() const {
    const double t0 = Radians(90 - Gap() / 2);
    return {static_cast<int>(centreX + std::cos(t0) * dotRadius),
            static_cast<int>(centreY + std::sin(t0) * dotRadius)};
}

bool KnobMath::DotFor(double angle, Dot& dot) const {
    if (angle > Sweep()) return false;
    const double phi = StartAngle() + angle;
    double a, sx, sy;  // the reduced angle and the signs of its cosine and sine terms
    if (phi <= 180)
        a = 180 - phi, sx = -1, sy = +1;
    else if (phi <= 270)
        a = phi - 180, sx = -1, sy = -1;
    else if (phi < 360)
        a = 360 - phi, sx = +1, sy = -1;
    else
        a = phi - 360, sx = +1, sy = +1;
    dot = {static_cast<int>(centreX + sx * std::cos(Radians(a)) * dotRadius),
           static_cast<int>(centreY + sy * std::sin(Radians(a)) * dotRadius)};
    return true;
}

KnobMath::Pointing KnobMath::Point(int x, int y) const {
    Pointing p;
    const int dx = x - centreX, dy = y - centreY;
    const int half = Gap() / 2;
    if (dy == 0 && dx < 0) {
        p.dot = {centreX - dotRadius, centreY};
        p.angle = 90 - half;
    } else if (dy == 0 && dx > 0) {
        p.dot = {centreX + dotRadius, centreY};
        p.angle = 270 - half;
    } else if (dx == 0 && dy < 0) {
        p.dot = {centreX, centreY - dotRadius};
        p.angle = 180 - half;
    } else if (dx == 0 && dy > 0) {
        p.angle = 360 - half;
        p.dotMoves = false;
    } else if (dx == 0 && dy == 0) {
        p.angle = 0;
        p.dotMoves = false;
    } else {
        const double e = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
        const double degrees = e * 180 / kPi;
        p.dot = {static_cast<int>(centreX + dotRadius * std::cos(e)),
                 static_cast<int>(centreY + dotRadius * std::sin(e))};
        p.angle = dx < 0 && dy > 0 ? degrees - 90 - half : degrees + 270 - half;
    }
    p.value = Clamp(static_cast<int>(p.angle * Scale()));
    return p;
}

}  // namespace caraudio::widgets
