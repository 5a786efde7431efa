#include "GraphicEq.h"

#include <algorithm>
#include <cmath>

#include "FieldNumber.h"
#include "FilterText.h"

namespace caraudio::analysis {

bool ReadGraphicEq(std::string_view parameters, std::vector<GraphicEqPoint>& points) {
    const bool decimalComma = parameters.find('.') == std::string_view::npos;
    std::vector<GraphicEqPoint> read;
    std::size_t start = 0;
    while (start <= parameters.size()) {
        const std::size_t end = std::min(parameters.find(';', start), parameters.size());
        const std::vector<std::string_view> fields = SplitFields(parameters.substr(start, end - start));
        if (fields.size() % 2 != 0) return false;
        for (std::size_t i = 0; i < fields.size(); i += 2) {
            const FieldNumber hz = ReadFieldNumber(fields[i], decimalComma);
            const FieldNumber db = ReadFieldNumber(fields[i + 1], decimalComma);
            if (!hz.value || !db.value || !(*hz.value > 0) || read.size() == kMaxGraphicEqPoints)
                return false;
            read.push_back({*hz.value, *db.value});
        }
        start = end + 1;
    }
    if (read.empty()) return false;
    std::stable_sort(read.begin(), read.end(),
                     [](const GraphicEqPoint& a, const GraphicEqPoint& b) { return a.hz < b.hz; });
    points = std::move(read);
    return true;
}

double GraphicEqDb(const std::vector<GraphicEqPoint>& points, double hz) {
    if (points.empty()) return 0;
    // The first point at or above hz, and the one before it.
    const auto right = std::lower_bound(points.begin(), points.end(), hz,
                                        [](const GraphicEqPoint& p, double f) { return p.hz < f; });
    if (right == points.begin()) return right->db;
    if (right == points.end()) return points.back().db;
    const GraphicEqPoint& left = *(right - 1);
    const double t = std::log(hz / left.hz) / std::log(right->hz / left.hz);
    return left.db + t * (right->db - left.db);
}

}  // namespace caraudio::analysis
