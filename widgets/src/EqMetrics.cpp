#include "EqMetrics.h"

#include <algorithm>
#include <cmath>

namespace caraudio::widgets {
namespace {

// The frequency at the plot's right edge; the plot spans at least a decade.
constexpr int kTopHz = 24000;

}  // namespace

int Rnd(double v) {
    return static_cast<int>(v + 0.5);
}

EqMetrics EqMetrics::Compute(const EqAxis& in, int left, int top, int right, int bottom) {
    EqMetrics m;
    m.axis = in;
    m.axis.nKedu = std::max(1, in.nKedu);
    if (m.axis.dbMax <= m.axis.dbMin) m.axis.dbMin = m.axis.dbMax - 1;
    m.axis.zeroXFreq = std::clamp(in.zeroXFreq, 1, kTopHz / 10);
    const EqAxis& a = m.axis;
    m.left = left, m.top = top, m.right = right, m.bottom = bottom;
    m.pxPerDiv = std::max(1, (bottom - top - a.tdist - a.bdist) / a.nKedu);
    m.gridHeight = a.nKedu * m.pxPerDiv;
    m.plotTop = top + a.tdist;
    m.gridBottom = m.plotTop + m.gridHeight;
    m.plotLeft = left + a.ldist;
    m.plotWidth = std::max(1, right - left - a.ldist - a.rdist);
    m.log10Zero = std::log10(static_cast<double>(a.zeroXFreq));
    m.pxPerDecade = m.plotWidth / (std::log10(static_cast<double>(kTopHz)) - m.log10Zero);
    m.pxPerPoint = m.plotWidth / 1024.0;
    m.pxPerDb = static_cast<double>(m.gridHeight) / (a.dbMax - a.dbMin);
    return m;
}

int EqMetrics::FrequencyToX(double hz) const {
    return plotLeft + Rnd((std::log10(std::max(hz, 1e-9)) - log10Zero) * pxPerDecade);
}

int EqMetrics::GainToY(double db) const {
    return plotTop + Rnd((axis.dbMax - db) * pxPerDb);
}

double EqMetrics::XToFrequency(int x) const {
    return std::pow(10.0, (x - plotLeft) / pxPerDecade + log10Zero);
}

double EqMetrics::YToGain(int y) const {
    return axis.dbMax - (y - plotTop) / pxPerDb;
}

std::vector<EqMetrics::GridLine> EqMetrics::GridLines() const {
    std::vector<GridLine> lines;
    const int step = (axis.dbMax - axis.dbMin) / axis.nKedu;
    for (int k = 0; k <= axis.nKedu; ++k) {
        const int db = axis.dbMax - k * step;
        lines.push_back({plotTop + k * pxPerDiv, db, axis.dbKeduVal != 0 && db % axis.dbKeduVal == 0});
    }
    return lines;
}

int EqMetrics::GridX(double hz) const {
    const double span = std::log10(static_cast<double>(kTopHz)) - log10Zero;
    return plotLeft + static_cast<int>((std::log10(std::max(hz, 1e-9)) - log10Zero) * plotWidth / span);
}

int EqMetrics::ZeroDbY() const {
    return top + axis.tdist + static_cast<int>(axis.dbMax * pxPerDb);
}

}  // namespace caraudio::widgets
