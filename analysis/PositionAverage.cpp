#include "PositionAverage.h"

#include <cmath>

namespace caraudio::analysis {

ComplexResponse AveragePositions(const std::vector<ComplexResponse>& positions) {
    ComplexResponse out{};
    if (positions.empty()) return out;
    for (size_t i = 0; i < out.size(); ++i) {
        double power = 0;
        for (const ComplexResponse& p : positions) power += std::norm(p[i]);
        out[i] = std::polar(std::sqrt(power / static_cast<double>(positions.size())),
                            std::arg(positions.front()[i]));
    }
    return out;
}

}  // namespace caraudio::analysis
