#include "CliChannelArg.h"

#include <cctype>
#include <string>

#include "ValueScales.h"

namespace caraudio::cli {

bool ChannelArg(std::string_view text, int& block) {
    for (int b = 0; b < kChannelCount; ++b) {
        const std::string label = ChannelLabel(b);
        if (label.size() != text.size()) continue;
        bool same = true;
        for (size_t i = 0; i < label.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(text[i])) == label[i];
        if (same) {
            block = b;
            return true;
        }
    }
    return false;
}

OptionTaken TakeChannelOption(CommandArgs args, size_t& i, int& block, std::FILE* err) {
    if (args[i] != "--channel" || i + 1 >= args.size()) return OptionTaken::NotThere;
    if (!ChannelArg(args[++i], block)) {
        std::fprintf(err, "caraudio-cli: --channel takes CH1..CH6.\n");
        return OptionTaken::Bad;
    }
    return OptionTaken::Taken;
}

}  // namespace caraudio::cli
