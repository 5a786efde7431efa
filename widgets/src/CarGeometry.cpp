#include "CarGeometry.h"

#include <algorithm>
#include <cmath>

namespace caraudio::widgets {

CarGeometry CarGeometry::Layout(const CarAttributes& attributes, IntBox client) {
    CarGeometry g;
    g.a = attributes;
    g.a.mmPerPx = std::max(1, attributes.mmPerPx);
    const CarAttributes& a = g.a;
    g.client = client;
    g.originPx = {client.left + a.ldist - a.xStart / a.mmPerPx,
                  client.bottom - a.bdist + a.yStart / a.mmPerPx};
    const int w = a.carWidth / a.mmPerPx;
    const int h = a.zhouJu / a.mmPerPx;
    g.carArea = {g.originPx.x, g.originPx.y - h, g.originPx.x + w, g.originPx.y};
    g.carPic = {g.originPx.x, g.originPx.y - h - w / 2, g.originPx.x + w, g.originPx.y + w / 2};
    return g;
}

IntPoint CarGeometry::ToPx(IntPoint mm) const {
    return {client.left + a.ldist + (mm.x - a.xStart) / a.mmPerPx,
            client.bottom - a.bdist - (mm.y - a.yStart) / a.mmPerPx};
}

IntPoint CarGeometry::ToMm(IntPoint px) const {
    return {(px.x - client.left - a.ldist) * a.mmPerPx + a.xStart,
            a.yStart + (client.bottom - a.bdist - px.y) * a.mmPerPx};
}

IntPoint CarGeometry::ClampToCar(IntPoint px) const {
    return {std::clamp(px.x, carArea.left, carArea.right), std::clamp(px.y, carArea.top, carArea.bottom)};
}

namespace {

// The start of one scale: `low` and `high` are the car picture's extent in
// pixels from the origin, along a plot `plotPx` long.
int CentredStart(int low, int high, int plotPx, int mmPerPx, int step) {
    const int offset = (plotPx - low - high) / 2;  // pixels from the plot's start to the origin
    const int centred = -offset * mmPerPx;
    const int rounded = static_cast<int>(std::lround(static_cast<double>(centred) / step)) * step;
    const int roundedOffset = -rounded / mmPerPx;
    return roundedOffset + low >= 0 && roundedOffset + high <= plotPx ? rounded : centred;
}

}  // namespace

IntPoint CentredStarts(const CarAttributes& a, int width, int height) {
    const int mmPerPx = std::max(1, a.mmPerPx);
    const int step = a.mmPerScale > 0 ? a.mmPerScale : mmPerPx;
    const int w = a.carWidth / mmPerPx, h = a.zhouJu / mmPerPx;
    return {CentredStart(-kCarPicMargin, w + kCarPicMargin, width - a.ldist - a.rdist, mmPerPx, step),
            CentredStart(-(w / 2), h + w / 2, height - a.tdist - a.bdist, mmPerPx, step)};
}

CarDelays ComputeDelays(const CarGeometry& g, IntPoint listenerMm, const IntPoint* speakersMm, int count) {
    CarDelays d;
    d.count = std::clamp(count, 0, kMaxSpeakers);
    d.listenerPx = g.ToPx(listenerMm);
    std::array<double, kMaxSpeakers> e{};
    for (int i = 0; i < d.count; ++i) {
        const size_t k = static_cast<size_t>(i);
        d.speakerPx[k] = g.ToPx(speakersMm[k]);
        const double dx = d.speakerPx[k].x - d.listenerPx.x, dy = d.speakerPx[k].y - d.listenerPx.y;
        e[k] = std::sqrt(dx * dx + dy * dy);
        d.dMax = std::max(d.dMax, e[k]);
    }
    for (int i = 0; i < d.count; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (e[k] > 0) {
            const double f = d.dMax / e[k];
            d.virtualPx[k] = {static_cast<int>(d.listenerPx.x + f * (d.speakerPx[k].x - d.listenerPx.x)),
                              static_cast<int>(d.listenerPx.y + f * (d.speakerPx[k].y - d.listenerPx.y))};
        } else {
            d.virtualPx[k] = d.speakerPx[k];
        }
        d.delayMm[k] = (d.dMax - e[k]) * g.a.mmPerPx;
    }
    d.circle = {static_cast<int>(d.listenerPx.x - d.dMax), static_cast<int>(d.listenerPx.y - d.dMax),
                static_cast<int>(d.listenerPx.x + d.dMax), static_cast<int>(d.listenerPx.y + d.dMax)};
    return d;
}

}  // namespace caraudio::widgets
