#include "PredictedResponse.h"

#include <cmath>

namespace caraudio::analysis {

Response PredictedResponse(const Response& alignedSpeaker, const EqCurveModel& channel) {
    const Response& curve = channel.Curve1();
    Response out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = std::isnan(alignedSpeaker[i]) ? alignedSpeaker[i] : alignedSpeaker[i] + curve[i];
    return out;
}

}  // namespace caraudio::analysis
