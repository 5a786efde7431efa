#pragma once

#include <QStringList>

#include "AppContext.h"

namespace caraudio::app {

inline constexpr const char* kAppUsage =
    "usage: caraudio [-hide] [--emulate[=FILE]] [--verbose]\n"
    "  -hide            no start-up picture\n"
    "  --emulate[=FILE] use the built-in box emulator in place of a real box;\n"
    "                   with FILE the emulated box keeps its memory there\n"
    "  --verbose        write traces to the log and to standard error\n";

// Reads the command line into `options`; the text of what is wrong, or empty.
// "-hide" counts anywhere in the command line, as part of any argument.
QString ParseAppArguments(const QStringList& arguments, AppOptions& options);

}  // namespace caraudio::app
