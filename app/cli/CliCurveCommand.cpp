#include <cstring>
#include <string>

#include "ChannelCurves.h"
#include "CliChannelArg.h"
#include "CliMeasurementColumns.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

// The editor's grid starts at 17 Hz.
constexpr double kEditorStartHz = 17;

}  // namespace

int Curve(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    int block = 2;  // CH1
    int filter = -1;
    std::string imagePath;
    OverlayArgs overlay;
    for (size_t i = 0; i < args.size(); ++i) {
        const OptionTaken channel = TakeChannelOption(args, i, block, err);
        if (channel == OptionTaken::Bad) return kExitUsage;
        if (channel == OptionTaken::Taken) continue;
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--image" && hasValue) {
            imagePath = std::string(args[++i]);
        } else if (TakeOverlayArg(args, i, overlay)) {
            continue;
        } else if (args[i] == "--filter" && hasValue) {
            const std::string n(args[++i]);
            char* end = nullptr;
            filter = static_cast<int>(std::strtol(n.c_str(), &end, 10));
            if (n.empty() || *end || filter < 0 || filter >= EqCurveModel::kRecords) {
                std::fprintf(err,
                             "caraudio-cli: --filter takes 0..30 for a band, 31 high-pass, 32 low-pass.\n");
                return kExitUsage;
            }
        } else {
            return kExitUsage;
        }
    }

    OverlayColumns columns;
    if (!columns.Read(overlay, err)) return kExitFailed;

    EffectBlock image;
    if (const int status = TakeImage(options, imagePath, image, err); status != kExitOk) return status;

    FrequencyGrid grid;
    grid.Build(kEditorStartHz);
    ChannelCurves curves(grid);
    curves.RebuildChannel(block, image);
    EqCurveModel& model = curves.Model(block);
    if (filter >= 0 && (filter == EqCurveModel::kRecords - 1 || filter == EqCurveModel::kRecords - 2)) {
        std::fprintf(err, "caraudio-cli: this channel has no second crossover pair.\n");
        return kExitFailed;
    }
    const Response& values = filter >= 0 ? model.Filter(filter).response : model.Curve1();
    // Text-curve form: comment lines start with '*', then frequency and level.
    std::fprintf(out, "* %s %s, %d points from %.0f Hz at %.0f Hz sampling\n", ChannelLabel(block).c_str(),
                 filter >= 0 ? ("filter " + std::to_string(filter)).c_str() : "summed response",
                 FrequencyGrid::kPoints, kEditorStartHz, FrequencyGrid::kSampleRate);
    if (columns.Empty()) {
        std::fprintf(out, "* Freq(Hz) SPL(dB)\n");
        for (int i = 0; i < FrequencyGrid::kPoints; ++i)
            std::fprintf(out, "%.4f %.4f\n", grid.Hz(i), values[static_cast<size_t>(i)]);
        return kExitOk;
    }
    if (!columns.Finish(grid, image, block, model, err)) return kExitFailed;
    columns.PrintHeader(out);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        std::fprintf(out, "%.4f %.4f", grid.Hz(i), values[static_cast<size_t>(i)]);
        columns.PrintPoint(i, out);
    }
    return kExitOk;
}

}  // namespace caraudio::cli
