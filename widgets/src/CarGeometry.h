#pragma once

#include <array>

namespace caraudio::widgets {

// The car map's attributes (millimetres and pixels).
struct CarAttributes {
    int ldist = 40;
    int tdist = 20;
    int rdist = 20;
    int bdist = 20;
    int xStart = -2000;
    int yStart = -2000;
    int mmPerPx = 10;
    int mmPerScale = 1000;
    int carWidth = 1825;
    int zhouJu = 2680;  // wheelbase
};

struct IntPoint {
    int x = 0;
    int y = 0;
    bool operator==(const IntPoint&) const = default;
};

// left, top, right, bottom.
struct IntBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const IntBox&) const = default;
};

// Millimetres to pixels and back for the widget's rectangle (L, T, R, B).
// Every division truncates toward zero. The plan's y axis points up.
struct CarGeometry {
    CarAttributes a;
    IntBox client;
    IntPoint originPx;
    IntBox carArea;  // where thumbs may go: the car between its axles
    IntBox carPic;   // the car body: half a car width beyond each axle

    // mmPerPx below 1 is taken as 1.
    static CarGeometry Layout(const CarAttributes& attributes, IntBox client);
    IntPoint ToPx(IntPoint mm) const;
    IntPoint ToMm(IntPoint px) const;
    IntPoint ClampToCar(IntPoint px) const;
};

// The car picture reaches this many pixels beyond the car's sides.
inline constexpr int kCarPicMargin = 20;

// The scale starts (xStart, yStart) that put the whole car picture in the
// middle of the plot of a map width x height pixels: each at a whole scale
// step where the car still fits so, else where it is centred. mmPerPx below
// 1 is taken as 1.
IntPoint CentredStarts(const CarAttributes& attributes, int width, int height);

inline constexpr int kMaxSpeakers = 32;

// Everything the map derives from the positions: where each speaker's ray
// from the listener meets the circle through the farthest speaker, and each
// speaker's delay as the path length it lacks.
struct CarDelays {
    IntPoint listenerPx;
    int count = 0;
    std::array<IntPoint, kMaxSpeakers> speakerPx{};
    std::array<IntPoint, kMaxSpeakers> virtualPx{};
    std::array<double, kMaxSpeakers> delayMm{};
    double dMax = 0;
    IntBox circle;
};

// A speaker standing on the listener has no direction: its virtual point is
// the speaker itself, and its delay dMax x mmPerPx.
CarDelays ComputeDelays(const CarGeometry& g, IntPoint listenerMm, const IntPoint* speakersMm, int count);

}  // namespace caraudio::widgets
