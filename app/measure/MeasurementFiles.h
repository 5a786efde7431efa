#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ComplexResponse.h"
#include "EffectBlock.h"
#include "MeasurementIndex.h"
#include "MeasuringTake.h"

namespace caraudio::measure {

// A 32-bit float WAV at 48 kHz of the channels given.
bool WriteResponseWav(const std::string& path, const std::vector<std::vector<double>>& channels);

// The response as measuring programs export it: frequency, dB, phase, with
// a header saying what, through which settings and timed by what.
bool WriteMeasurementText(const std::string& path, const analysis::ComplexResponse& spectrum,
                          const std::string& what, const std::string& timing, const std::string& program);

// The box's image every channel of a session was measured through (the
// user's settings, before any solo), beside its index: without it a
// measurement "through the current settings" cannot be taken apart again.
inline constexpr std::string_view kSessionImageName = "box.bin";
bool WriteSessionImage(const std::string& folder, const EffectBlock& image);
std::optional<EffectBlock> ReadSessionImage(const std::string& folder);

// A channel into a session folder: CHn.wav, CHn.txt, and the folder's
// index rewritten with it added. False when any of it could not be written;
// `failed` then names the file.
bool SaveChannel(const std::string& folder, const ChannelResult& result, const std::string& timing,
                 const std::string& program, MeasurementIndex& index, std::string& failed);

}  // namespace caraudio::measure
