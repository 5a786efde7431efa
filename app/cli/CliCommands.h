#pragma once

#include <cstdio>
#include <span>
#include <string_view>

namespace caraudio::cli {

// Runs one command line (arguments after the program name) and returns the
// process exit status (see the help text).
int Run(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);

}  // namespace caraudio::cli
