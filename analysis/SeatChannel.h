#pragma once

#include "Arrival.h"
#include "ComplexResponse.h"
#include "EffectBlock.h"
#include "ImpulseResponse.h"
#include "MeasuredWith.h"

namespace caraudio::analysis {

// Which side of the car a channel's speaker is on, as the caller knows it;
// a speaker in the middle (a sub, a centre) goes with either side.
enum class Side { Unknown, Left, Right, Centre };

// One channel's speaker as measured at the seat, with what played then
// taken out: what the alignment and the levels work from.
struct SeatChannel {
    int block = 0;  // the output block 0..5 it plays on
    Side side = Side::Unknown;
    ComplexResponse alone{};  // the speaker alone, time from the shared timing reference
    double arrivalMs = 0;     // of the speaker alone: a delay that played is taken off
    double peak = 0;          // the impulse response's largest magnitude, in full scale
};

struct SeatChannelRead {
    ArrivalStatus status = ArrivalStatus::Silent;  // Found, or why the response cannot be timed
    SeatChannel channel;
};

// The channel from its impulse response, measured through `played` (whose
// channel is the block).
SeatChannelRead SeatChannelFromImpulse(const ImpulseResponse& response, const PlayedSettings& played,
                                       Side side, const FrequencyGrid& grid);

// What the channel's speaker sends to the seat through the channel's
// settings in `image` (EQ, crossovers, volume, mute) with the delay and
// polarity given instead of the image's.
ComplexResponse SeatResponse(const SeatChannel& channel, const EffectBlock& image, int delayRaw,
                             bool inverted, const FrequencyGrid& grid);

// The channel's delay (raw) and phase button in the image.
int DelayRawOf(const EffectBlock& image, int block);
bool InvertedIn(const EffectBlock& image, int block);
// Sets them (a delay below 0 is 0).
void SetDelayAndPolarity(EffectBlock& image, int block, int delayRaw, bool inverted);

}  // namespace caraudio::analysis
