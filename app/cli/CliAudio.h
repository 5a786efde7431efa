#pragma once

#include <cstdio>
#include <functional>
#include <memory>

#include "AudioSystem.h"
#include "CliSession.h"
#include "EffectBlock.h"

namespace caraudio::cli {

// The sound devices the command line measures with: with --emulate the
// emulated box's, hearing its car through `image`; none otherwise yet,
// which is said on err.
std::unique_ptr<audio::AudioSystem> OpenAudio(const CliOptions& options, std::function<EffectBlock()> image,
                                              std::FILE* err);

}  // namespace caraudio::cli
