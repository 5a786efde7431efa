#pragma once

#include <cstdio>
#include <string_view>

#include "CliDeviceCommands.h"

namespace caraudio::cli {

// "CH1".."CH6" (any case) to the block index.
bool ChannelArg(std::string_view text, int& block);

// An option looked for at one place of the command line: not that option,
// taken with its value, or given a value it does not take (said on err).
enum class OptionTaken { NotThere, Taken, Bad };

// "--channel CHn" at args[i]; i moves onto the value when taken.
OptionTaken TakeChannelOption(CommandArgs args, size_t& i, int& block, std::FILE* err);

}  // namespace caraudio::cli
