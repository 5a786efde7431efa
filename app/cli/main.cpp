#include <string_view>
#include <vector>

#include "CliCommands.h"

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    return caraudio::cli::Run(args, stdout, stderr);
}
