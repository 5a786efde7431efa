#pragma once

#include <QStringList>

#include "AppContext.h"

namespace caraudio::app {

inline constexpr const char* kAppUsage =
    "Usage: caraudio [-hide] [--emulate[=FILE] [--car DIR]] [--verbose]\n"
    "Tunes a car-audio DSP box live from this computer.\n"
    "\n"
    "Options:\n"
    "  -hide             no start-up picture\n"
    "  --emulate         use the built-in box emulator in place of a real box\n"
    "  --emulate=FILE    the same, keeping the emulated box's memory in FILE\n"
    "  --car DIR         the car the emulated microphone hears (CH1.wav .. CH6.wav,\n"
    "                    noise.txt); without it a built-in car\n"
    "  --verbose         write traces to the log and to standard error\n"
    "  --help            show this help\n"
    "  --version         show the version\n";

// What --help and --version print, or null when the command line asks for
// neither: answered before any window system is needed.
const char* InformationAsked(int argc, char** argv);

// Reads the command line into `options`; the text of what is wrong, or empty.
// --help and --version are answered before (InformationAsked).
// "-hide" counts anywhere in the command line, as part of any argument.
QString ParseAppArguments(const QStringList& arguments, AppOptions& options);

}  // namespace caraudio::app
