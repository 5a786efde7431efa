#include "SeatChannel.h"

#include <algorithm>
#include <cmath>

#include "DelayProposal.h"
#include "ImpulseFrequencyResponse.h"
#include "ParameterTable.h"
#include "ProcessingResponse.h"
#include "SeatSum.h"

namespace caraudio::analysis {

SeatChannelRead SeatChannelFromImpulse(const ImpulseResponse& response, const PlayedSettings& played,
                                       Side side, const FrequencyGrid& grid) {
    SeatChannelRead out;
    const Arrival arrival = DetectArrival(response);
    out.status = arrival.status;
    if (arrival.status != ArrivalStatus::Found) return out;
    SeatChannel& c = out.channel;
    c.block = played.channel;
    c.side = side;
    c.alone = SpeakerAloneComplex(ImpulseFrequencyResponse(response, grid), PlayedComplex(played, grid));
    // Measured through the channel's settings, the file holds the delay
    // that played; the speaker alone arrives that much earlier.
    const double playedMs =
        played.with == MeasuredWith::Current
            ? static_cast<double>(DelayRawOf(played.image, played.channel)) / kDelayStepsPerMs
            : 0.0;
    c.arrivalMs = arrival.ms - playedMs;
    for (double v : response.samples) c.peak = std::max(c.peak, std::fabs(v));
    return out;
}

ComplexResponse SeatResponse(const SeatChannel& channel, const EffectBlock& image, int delayRaw,
                             bool inverted, const FrequencyGrid& grid) {
    EffectBlock settings = image;
    SetDelayAndPolarity(settings, channel.block, delayRaw, inverted);
    return AtSeat(channel.alone, ProcessingResponse(settings, channel.block, {}, grid));
}

int DelayRawOf(const EffectBlock& image, int block) {
    return image.Get(*FindParam(param::Delay(block)));
}

bool InvertedIn(const EffectBlock& image, int block) {
    return (image.Get(*FindParam(param::PhaseCtrl)) >> block & 1) != 0;
}

void SetDelayAndPolarity(EffectBlock& image, int block, int delayRaw, bool inverted) {
    image.Set(*FindParam(param::Delay(block)), static_cast<uint16_t>(std::max(delayRaw, 0)));
    const ParamRecord& phase = *FindParam(param::PhaseCtrl);
    const int bits = image.Get(phase);
    image.Set(phase, static_cast<uint16_t>(inverted ? bits | (1 << block) : bits & ~(1 << block)));
}

}  // namespace caraudio::analysis
