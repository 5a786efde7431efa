#include "CliCommands.h"

#include <array>

#include "ParamDatabase.h"

#ifndef CARAUDIO_VERSION
#define CARAUDIO_VERSION "unknown"
#endif

namespace caraudio::cli {
namespace {

using Args = std::span<const std::string_view>;

struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    int (*run)(Args args, std::FILE* out, std::FILE* err);
};

int Dump(Args args, std::FILE* out, std::FILE* err) {
    if (!args.empty()) {
        std::fprintf(err, "caraudio-cli: dump takes no arguments\n");
        return 2;
    }
    StreamDebugLog log(out);
    ParamDatabase db;
    db.SetDebugLog(&log);
    db.DumpParams();
    return 0;
}

constexpr std::array kCommands = {
    Command{"dump", "dump", "print every parameter of the factory image, one line each", Dump},
};

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: caraudio-cli COMMAND [ARGUMENTS]\n"
                 "Tunes a car-audio DSP box from the command line.\n\n"
                 "Commands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %-22.*s %.*s\n", static_cast<int>(c.usage.size()), c.usage.data(),
                     static_cast<int>(c.summary.size()), c.summary.data());
    std::fprintf(out,
                 "\nOptions:\n"
                 "  %-22s %s\n  %-22s %s\n",
                 "--help", "show this help", "--version", "show the version");
}

}  // namespace

int Run(Args args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        PrintHelp(err);
        return 2;
    }
    const std::string_view first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp(out);
        return 0;
    }
    if (first == "--version") {
        std::fprintf(out, "caraudio-cli %s\n", CARAUDIO_VERSION);
        return 0;
    }
    for (const Command& c : kCommands)
        if (c.name == first) return c.run(args.subspan(1), out, err);
    std::fprintf(err, "caraudio-cli: unknown command '%.*s'; try caraudio-cli --help\n",
                 static_cast<int>(first.size()), first.data());
    return 2;
}

}  // namespace caraudio::cli
