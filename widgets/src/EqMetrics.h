#pragma once

#include <vector>

namespace caraudio::widgets {

// The axis attributes of the EQ editor.
struct EqAxis {
    int ldist = 36;
    int tdist = 18;
    int rdist = 0;
    int bdist = 16;
    int dbMax = 12;
    int dbMin = -24;
    int nKedu = 12;
    int dbKeduVal = 6;
    int zeroXFreq = 10;
};

// The editor's pixel scales, from its rectangle (right and bottom exclusive)
// and its axis.
struct EqMetrics {
    EqAxis axis;
    int left = 0, top = 0, right = 0, bottom = 0;
    int pxPerDiv = 0;
    int gridHeight = 0;
    int plotTop = 0;
    int gridBottom = 0;
    int plotLeft = 0;
    int plotWidth = 0;
    double log10Zero = 1;
    double pxPerDecade = 0;
    double pxPerPoint = 0;
    double pxPerDb = 0;

    // An axis or a rectangle that would divide by zero is made usable first:
    // at least one division of at least one pixel, a plot at least a pixel
    // wide, dbMax above dbMin, a start frequency from 1 Hz to 2400 Hz (a
    // decade below the plot's end at 24000 Hz).
    static EqMetrics Compute(const EqAxis& axis, int left, int top, int right, int bottom);

    int FrequencyToX(double hz) const;
    int GainToY(double db) const;
    double XToFrequency(int x) const;
    double YToGain(int y) const;
    // The 0 dB line, as the curve layer draws it.
    int ZeroDbY() const;
    // Where the curve layers draw point i of the frequency grid and a level:
    // equal steps per point from the plot's left edge, levels from the 0 dB
    // line, unrounded so that curves stay smooth.
    double PointX(int i) const { return plotLeft + i * pxPerPoint; }
    double LevelY(double db) const { return ZeroDbY() - pxPerDb * db; }

    // The horizontal grid lines, top to bottom, and the dB value of each.
    struct GridLine {
        int y;
        int db;
        bool labelled;  // the value is a multiple of dbKeduVal
    };
    std::vector<GridLine> GridLines() const;
    // Where the grid draws the vertical line of a frequency (truncated, where
    // the thumbs are rounded).
    int GridX(double hz) const;
};

// v + 0.5 truncated toward zero.
int Rnd(double v);

}  // namespace caraudio::widgets
