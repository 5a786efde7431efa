#include "CliMeasurementColumns.h"

#include <cmath>

#include "PredictedResponse.h"

namespace caraudio::cli {
namespace {

void PrintLevel(double db, std::FILE* out) {
    if (std::isnan(db))
        std::fprintf(out, " -");
    else
        std::fprintf(out, " %.4f", db);
}

}  // namespace

bool TakeOverlayArg(CommandArgs args, size_t& i, OverlayArgs& a) {
    if (i + 1 >= args.size()) return false;
    std::string* value = args[i] == "--measurement"     ? &a.measurementPath
                         : args[i] == "--column"        ? &a.column
                         : args[i] == "--smoothing"     ? &a.smoothing
                         : args[i] == "--target"        ? &a.target
                         : args[i] == "--measured-with" ? &a.measuredWith
                                                        : nullptr;
    if (!value) return false;
    *value = std::string(args[++i]);
    return true;
}

bool OverlayColumns::Read(const OverlayArgs& args, std::FILE* err) {
    if (args.measurementPath.empty()) {
        if (args.column.empty() && args.smoothing.empty() && args.target.empty() && args.measuredWith.empty())
            return true;
        std::fprintf(
            err,
            "caraudio-cli: --column, --smoothing, --target and --measured-with go with --measurement "
            "FILE.\n");
        return false;
    }
    hasMeasurement_ = source_.Read(args, err);
    return hasMeasurement_;
}

bool OverlayColumns::Finish(const FrequencyGrid& grid, const EffectBlock& image, int channel,
                            const EqCurveModel& model, std::FILE* err) {
    if (!source_.PutOnGrid(grid, image, channel, err)) return false;
    predicted_ = analysis::PredictedResponse(source_.SpeakerAlone(), model);
    return true;
}

void OverlayColumns::PrintHeader(std::FILE* out) const {
    source_.PrintMeasuredLine(out);
    std::fprintf(
        out, "* Predicted: measured%s plus the channel's EQ and crossovers; '-' where nothing was measured\n",
        source_.With() == analysis::MeasuredWith::Flat ? "" : " less what it was measured with");
    std::fprintf(out, "* Freq(Hz) SPL(dB) Measured(dB) Predicted(dB) Target(dB)\n");
}

void OverlayColumns::PrintPoint(int i, std::FILE* out) const {
    const auto at = static_cast<size_t>(i);
    PrintLevel(source_.Measured()[at], out);
    PrintLevel(predicted_[at], out);
    PrintLevel(source_.Target()[at], out);
    std::fputc('\n', out);
}

}  // namespace caraudio::cli
