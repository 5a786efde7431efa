#pragma once

// How readable a control's text is as drawn, by the contrast ratio of the
// web content guidelines (4.5 or more reads well).

#include <QColor>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <map>

namespace caraudio::app::test {

inline double Luminance(QColor c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

inline double Contrast(QColor a, QColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a control's text as drawn: inside its border, its
// commonest colour is the ground, the text's strongest pixel against it the
// text's colour.
inline double RenderedTextContrast(QWidget* control) {
    const QImage image = control->grab().toImage();
    const QRect inside = image.rect().adjusted(3, 3, -3, -3);
    std::map<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y)];
    const QColor ground(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first);
    double best = 1;
    for (const auto& [rgb, n] : counts) best = std::max(best, Contrast(QColor(rgb), ground));
    return best;
}

}  // namespace caraudio::app::test
