#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Arrival.h"
#include "CliDeviceCommands.h"
#include "ImpulseResponse.h"
#include "ParameterTable.h"

namespace caraudio::cli {

// One channel's impulse response as the command line names it: CHn=FILE.
struct ChannelImpulse {
    int block = 0;
    std::string path;
    analysis::ImpulseResponse response;  // filled by ReadChannelImpulses
    analysis::Arrival arrival;           // the direct sound, found in it
};

// CHn=FILE at `arg`, added to `files`; false (said on err) for another form
// or a channel given twice.
bool TakeChannelImpulseArg(std::string_view arg, std::vector<ChannelImpulse>& files, std::FILE* err);

// Reads every file and times its direct sound. A file that cannot be read,
// is silent or does not look like an impulse response is refused with its
// reason, naming the channel ("Nothing was changed."): kExitFailed.
int ReadChannelImpulses(std::vector<ChannelImpulse>& files, std::FILE* err);

}  // namespace caraudio::cli
