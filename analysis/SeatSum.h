#pragma once

#include <vector>

#include "ComplexResponse.h"
#include "LevelAlignment.h"

namespace caraudio::analysis {

// What one channel sends to the seat: the speaker alone through the
// channel's processing. Both carry their phase, time from the measurements'
// shared timing reference.
ComplexResponse AtSeat(const ComplexResponse& speakerAlone, const ComplexResponse& processing);

// The sound at the seat is the sum of the channels' pressures, phase and all:
// two speakers in opposite phase cancel however loud each is.
ComplexResponse SeatSum(const std::vector<ComplexResponse>& atSeat);

// The phase in degrees, -180..180, at every point.
Response PhaseDegrees(const ComplexResponse& r);

// How the sum meets the target: its level set onto the target over the
// reference range, then the RMS over a range of the 1/6-octave-smoothed sum
// against the target (as the auto EQ judges a channel).
struct SumAgainstTarget {
    LevelAlignment::Status status = LevelAlignment::Status::BadRange;
    double offsetDb = 0;  // added to the sum's level (and each channel's) to meet the target
    double rmsDb = 0;     // NaN when the range holds no point
};
SumAgainstTarget JudgeSum(const Response& sumDb, const Response& target, const FrequencyGrid& grid,
                          ReferenceRange reference, FrequencySpan range);

}  // namespace caraudio::analysis
