#pragma once

#include <string>
#include <vector>

#include "ComplexResponse.h"
#include "MeasurementIndex.h"
#include "MeasuringTake.h"

namespace caraudio::measure {

// A 32-bit float WAV at 48 kHz of the channels given.
bool WriteResponseWav(const std::string& path, const std::vector<std::vector<double>>& channels);

// The response as measuring programs export it: frequency, dB, phase, with
// a header saying what, through which settings and timed by what.
bool WriteMeasurementText(const std::string& path, const analysis::ComplexResponse& spectrum,
                          const std::string& what, const std::string& timing, const std::string& program);

// A channel into a session folder: CHn.wav, CHn.txt, and the folder's
// index rewritten with it added. False when any of it could not be written;
// `failed` then names the file.
bool SaveChannel(const std::string& folder, const ChannelResult& result, const std::string& timing,
                 const std::string& program, MeasurementIndex& index, std::string& failed);

}  // namespace caraudio::measure
