#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioSystem.h"
#include "CliSession.h"
#include "EffectBlock.h"

namespace caraudio::cli {

// The sound devices the command line measures with: the sound server's
// and, with --emulate, the emulated box's before them, hearing its car
// through `image`. Null, said on err, when there are none.
std::unique_ptr<audio::AudioSystem> OpenAudio(const CliOptions& options, std::function<EffectBlock()> image,
                                              std::FILE* err);

// A 32-bit float WAV at 48 kHz of the channels given; says on err why not.
bool WriteWav(const std::string& path, const std::vector<std::vector<double>>& channels, std::FILE* err);

}  // namespace caraudio::cli
