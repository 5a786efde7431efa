#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace caraudio::analysis {

// One point of an Equalizer APO "GraphicEQ:" curve (AutoEQ writes 127 of
// them, "GraphicEQ: 20 -3.2; 21 -3.1; ...").
struct GraphicEqPoint {
    double hz = 0;
    double db = 0;

    bool operator==(const GraphicEqPoint&) const = default;
};

inline constexpr std::size_t kMaxGraphicEqPoints = 4096;

// The parameters after "GraphicEQ:": "frequency gain" pairs separated by
// semicolons (pairs run together without one are read as well). As
// Equalizer APO does, commas are decimal marks when the line has no point.
// The points come out sorted by frequency (equal ones in file order).
// False, with nothing read, for anything else: no point, a value that is
// not a number, a frequency that is not above 0, more than
// kMaxGraphicEqPoints points.
bool ReadGraphicEq(std::string_view parameters, std::vector<GraphicEqPoint>& points);

// The curve's level at hz as Equalizer APO draws it: linear in log
// frequency between the neighbouring points, held at the first point's
// level below it and at the last one's above. 0 dB without points.
double GraphicEqDb(const std::vector<GraphicEqPoint>& sortedPoints, double hz);

}  // namespace caraudio::analysis
