#pragma once

#include <cstdio>
#include <span>
#include <string_view>

namespace caraudio::cli {

// Runs one command line (arguments after the program name) and returns the
// process exit status: 0 done, 1 the command failed, 2 the line was wrong.
int Run(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);

}  // namespace caraudio::cli
