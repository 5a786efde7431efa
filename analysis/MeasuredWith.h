#pragma once

#include <optional>
#include <string_view>

#include "EffectBlock.h"
#include "EqCurveModel.h"
#include "Measurement.h"
#include "Smoothing.h"

namespace caraudio::analysis {

// What played besides the speaker while a measurement was taken.
enum class MeasuredWith {
    Flat,        // the speaker alone: the channel's EQ and crossovers off or flat
    Crossovers,  // through the channel's crossovers only
    Current,     // through the channel's settings: EQ, crossovers, level, polarity, delay
};

// "flat", "crossovers", "current": the words of the command line and of the
// settings file. Anything else parses to nothing.
std::string_view MeasuredWithText(MeasuredWith with);
std::optional<MeasuredWith> ParseMeasuredWith(std::string_view text);

// What a measurement was taken through: the channel's settings as they were
// when it was loaded (the file holds what played then, whatever is edited
// since), and which of them were on.
struct PlayedSettings {
    MeasuredWith with = MeasuredWith::Flat;
    int channel = 0;    // the output block 0..5 whose settings count
    EffectBlock image;  // a snapshot; only `channel`'s settings are read
};

// The magnitude in dB, at every grid point, of what played besides the
// speaker, from the box's own response model: nothing for Flat; the high-
// and low-pass for Crossovers; the 31 bands and the crossovers for Current.
// The level, polarity and delay are kept in the snapshot but take no part:
// polarity and delay change only the phase, and the level is a flat offset
// that moving the curve onto the target takes out, as the predicted curve
// (which carries no level either) is moved with it.
Response PlayedResponse(const PlayedSettings& played, const FrequencyGrid& grid);

// PlayedResponse smoothed as the measurement is (over the grid points
// inside the measurement's span), so that taking it out of the smoothed
// measurement is the same as smoothing the speaker alone: the smoothing
// averages dB and is linear.
Response PlayedOnGrid(const PlayedSettings& played, const Measurement& m, Smoothing smoothing,
                      const FrequencyGrid& grid);

// What the speaker does alone: a measured curve on the grid less what played
// while it was taken. NaN stays NaN. The auto EQ fits this curve, and the
// predicted response is it plus the channel's curve now.
Response SpeakerAlone(const Response& measured, const Response& played);
// The same for a curve on the grid that was not smoothed.
Response SpeakerAlone(const Response& measured, const PlayedSettings& played, const FrequencyGrid& grid);
// The other way: the speaker alone with what played, as it was measured.
Response AsMeasured(const Response& speakerAlone, const Response& played);

}  // namespace caraudio::analysis
