// `sum`: what the listener hears from several channels at once, predicted
// from their impulse responses and the channels' settings, phase and all.
#include <cmath>
#include <string>
#include <vector>

#include "AutoEq.h"
#include "CliCurveArgs.h"
#include "CliImpulseFiles.h"
#include "CrossoverPairs.h"
#include "EditorGrid.h"
#include "ProcessingResponse.h"
#include "SeatChannel.h"
#include "SeatSum.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

// The band a whole car is judged over.
constexpr FrequencySpan kWholeBand{20, 20000};

// Where the channels summed play between them: from the lowest high-pass
// (none: 20 Hz) to the highest low-pass (none: 20 kHz). A tweeter and a mid
// are not judged where only the sub would play.
FrequencySpan PlayedSpan(const std::vector<ChannelImpulse>& files, const EffectBlock& image) {
    FrequencySpan span{kWholeBand.highHz, kWholeBand.lowHz};
    for (const ChannelImpulse& f : files) {
        const ChannelPasses p = PassesOf(image, f.block);
        span.lowHz = std::min(span.lowHz, p.highPassHz > 0 ? p.highPassHz : kWholeBand.lowHz);
        span.highHz = std::max(span.highHz, p.lowPassHz > 0 ? p.lowPassHz : kWholeBand.highHz);
    }
    return Overlap(span, kWholeBand);
}

struct SumArgs {
    std::vector<ChannelImpulse> files;
    std::string imagePath, smoothing = "1/6", target, measuredWith;
    std::optional<FrequencySpan> range;
};

int ParseSumArgs(CommandArgs args, SumArgs& a, std::FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        const bool hasValue = i + 1 < args.size();
        if (name == "--image" && hasValue) {
            a.imagePath = std::string(args[++i]);
        } else if (name == "--smoothing" && hasValue) {
            a.smoothing = std::string(args[++i]);
        } else if (name == "--target" && hasValue) {
            a.target = std::string(args[++i]);
        } else if (name == "--measured-with" && hasValue) {
            a.measuredWith = std::string(args[++i]);
        } else if (name == "--range" && hasValue) {
            if (!ReadSpan(args[++i], a.range) || !a.range) {
                std::fprintf(err,
                             "caraudio-cli: --range takes LO..HI in Hz within %.0f..%.0f, LO below HI.\n",
                             kLowestHz, kHighestHz);
                return kExitUsage;
            }
        } else if (name.starts_with("--") || !TakeChannelImpulseArg(name, a.files, err)) {
            return kExitUsage;
        }
    }
    if (a.files.empty()) {
        std::fprintf(err, "caraudio-cli: give at least one response as CHn=FILE.\n");
        return kExitUsage;
    }
    return kExitOk;
}

std::string Joined(const std::vector<ChannelImpulse>& files, const char* between) {
    std::string text;
    for (const ChannelImpulse& f : files) text += (text.empty() ? "" : between) + ChannelLabel(f.block);
    return text;
}

const char* WithText(MeasuredWith with) {
    switch (with) {
    case MeasuredWith::Flat:
        return "flat: the speakers alone, nothing of the channels' settings is taken out of the responses";
    case MeasuredWith::Crossovers:
        return "crossovers: each channel's crossovers in the box now are taken out of its response";
    case MeasuredWith::Current:
        return "current: each channel's EQ, crossovers, level, polarity and delay in the box now are taken "
               "out of its response";
    }
    return "";
}

}  // namespace

int Sum(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    SumArgs a;
    if (const int status = ParseSumArgs(args, a, err); status != kExitOk) return status;
    Smoothing smoothing = Smoothing::Octave6;
    MeasuredWith with = MeasuredWith::Flat;
    TargetArg target;
    if (!ReadSmoothingArg(a.smoothing, smoothing, err) || !ReadMeasuredWithArg(a.measuredWith, with, err) ||
        !target.Read(a.target, err))
        return kExitFailed;
    if (const int status = ReadChannelImpulses(a.files, err); status != kExitOk) return status;
    EffectBlock image;
    if (const int status = TakeImage(options, a.imagePath, image, err); status != kExitOk) return status;

    const FrequencyGrid& grid = EditorGrid();
    std::vector<ComplexResponse> atSeat;
    for (const ChannelImpulse& f : a.files) {
        // Every file here was read as an impulse response with a direct sound.
        const SeatChannel seat =
            SeatChannelFromImpulse(f.response, {with, f.block, image}, Side::Unknown, grid).channel;
        atSeat.push_back(AtSeat(seat.alone, ProcessingResponse(image, f.block, {}, grid)));
    }
    const ComplexResponse sum = SeatSum(atSeat);
    const Response sumDb = LevelsDb(sum), targetDb = target.OnGrid(grid);
    const FrequencySpan range = a.range.value_or(PlayedSpan(a.files, image));
    const ReferenceRange reference;
    const SumAgainstTarget judged = JudgeSum(sumDb, targetDb, grid, reference, range);
    if (judged.status != LevelAlignment::Status::Aligned) {
        std::fprintf(err,
                     "caraudio-cli: the target has no level within %.0f..%.0f Hz, where the sum is set onto "
                     "it.\n",
                     reference.lowHz, reference.highHz);
        return kExitFailed;
    }

    std::fprintf(out, "* Sum at the seat of %s, each channel with its settings in the box now\n",
                 Joined(a.files, " + ").c_str());
    std::fprintf(out, "* Measured with: %s\n", WithText(with));
    target.PrintFileLines(out);
    std::fprintf(
        out, "* Levels: %s smoothing, moved %+.2f dB so the sum meets the target over %.0f..%.0f Hz\n",
        std::string(SmoothingText(smoothing)).c_str(), judged.offsetDb, reference.lowHz, reference.highHz);
    std::fprintf(
        out, "* RMS of the sum against the target over %.0f..%.0f Hz after 1/6-octave smoothing: %.2f dB\n",
        range.lowHz, range.highHz, judged.rmsDb);
    std::fprintf(out, "* Freq(Hz)");
    for (const ChannelImpulse& f : a.files) std::fprintf(out, " %s(dB)", ChannelLabel(f.block).c_str());
    std::fprintf(out, " Sum(dB) Sum(deg) Target(dB)\n");

    std::vector<Response> shown;
    for (const ComplexResponse& r : atSeat) shown.push_back(SmoothedOnGrid(LevelsDb(r), smoothing));
    const Response sumShown = SmoothedOnGrid(sumDb, smoothing), phase = PhaseDegrees(sum);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const auto k = static_cast<size_t>(i);
        std::fprintf(out, "%.4f", grid.Hz(i));
        for (const Response& r : shown) std::fprintf(out, " %.3f", r[k] + judged.offsetDb);
        std::fprintf(out, " %.3f %.2f %.3f\n", sumShown[k] + judged.offsetDb, phase[k], targetDb[k]);
    }
    return kExitOk;
}

}  // namespace caraudio::cli
