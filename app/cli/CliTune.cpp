// `tune`: the whole car from one impulse response per channel: delays and
// polarity across the crossovers, levels, each channel's EQ in its band and
// broad corrections of the sum, printed and, unless it is a dry run, sent.
#include <cmath>
#include <string>
#include <vector>

#include "CarTune.h"
#include "CliChannelArg.h"
#include "CliCurveArgs.h"
#include "CliImpulseFiles.h"
#include "CrossoverAlignment.h"
#include "EditorGrid.h"
#include "ImageLimits.h"
#include "ParamDatabase.h"
#include "SeatChannel.h"
#include "ValueScales.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

constexpr double kMostBoostDb = 20;

struct TuneArgs {
    std::vector<ChannelImpulse> files;
    std::vector<Side> sides;  // one per file, as --left and --right say
    std::string target, measuredWith;
    double maxBoostDb = 6;
    bool dryRun = false;
};

// "CH1,CH3" to blocks; false for anything else.
bool ReadChannelList(std::string_view text, std::vector<int>& blocks) {
    while (!text.empty()) {
        const size_t comma = text.find(',');
        int block = 0;
        if (!ChannelArg(text.substr(0, comma), block)) return false;
        blocks.push_back(block);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return !blocks.empty();
}

int ParseTuneArgs(CommandArgs args, TuneArgs& a, std::FILE* err) {
    std::vector<int> left, right;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        const bool hasValue = i + 1 < args.size();
        if (name == "--dry-run") {
            a.dryRun = true;
        } else if (name == "--target" && hasValue) {
            a.target = std::string(args[++i]);
        } else if (name == "--measured-with" && hasValue) {
            a.measuredWith = std::string(args[++i]);
        } else if (name == "--max-boost" && hasValue) {
            if (!WholeNumber(args[++i], a.maxBoostDb) || a.maxBoostDb < 0 || a.maxBoostDb > kMostBoostDb) {
                std::fprintf(err, "caraudio-cli: --max-boost takes 0..%.0f dB.\n", kMostBoostDb);
                return kExitUsage;
            }
        } else if ((name == "--left" || name == "--right") && hasValue) {
            if (!ReadChannelList(args[++i], name == "--left" ? left : right)) {
                std::fprintf(err, "caraudio-cli: %s takes channels as CH1,CH3.\n", std::string(name).c_str());
                return kExitUsage;
            }
        } else if (name.starts_with("--") || !TakeChannelImpulseArg(name, a.files, err)) {
            return kExitUsage;
        }
    }
    if (a.files.empty()) {
        std::fprintf(err, "caraudio-cli: give one response per channel as CHn=FILE.\n");
        return kExitUsage;
    }
    for (const ChannelImpulse& f : a.files) {
        const bool l = std::find(left.begin(), left.end(), f.block) != left.end();
        const bool r = std::find(right.begin(), right.end(), f.block) != right.end();
        if (l && r) {
            std::fprintf(err, "caraudio-cli: %s cannot be on the left and on the right.\n",
                         ChannelLabel(f.block).c_str());
            return kExitUsage;
        }
        a.sides.push_back(l ? Side::Left : r ? Side::Right : Side::Unknown);
    }
    return kExitOk;
}

std::string PairText(const CrossoverPair& p) {
    char text[96];
    std::snprintf(text, sizeof text, "%s to %s at %.0f Hz", ChannelLabel(p.lowerBlock).c_str(),
                  ChannelLabel(p.higherBlock).c_str(), p.hz);
    return text;
}

const char* AlignmentProblem(AlignmentStatus s) {
    switch (s) {
    case AlignmentStatus::Aligned:
        return "";
    case AlignmentStatus::NoChannels:
        return "no channel to align";
    case AlignmentStatus::BadChannel:
    case AlignmentStatus::BadPair:
        return "a channel is given twice";
    case AlignmentStatus::NoCrossoverHz:
        return "two channels that meet have no crossover frequency in their settings";
    case AlignmentStatus::SpreadTooLarge:
        return "the channels' sound arrives further apart than the box's 20 ms of delay can make up";
    }
    return "";
}

void PrintChannel(const ChannelImpulse& f, const EffectBlock& before, const EffectBlock& after,
                  const ChannelTuneResult& r, std::FILE* out) {
    const int delay = DelayRawOf(after, f.block);
    std::fprintf(out,
                 "%s  delay %6.3f ms (raw %d)  polarity %s  volume %s -> %s  bands %d in its band + %d "
                 "correcting the sum\n",
                 ChannelLabel(f.block).c_str(), delay / static_cast<double>(kDelaySamplesPerMs), delay,
                 InvertedIn(after, f.block) ? "inverted" : "normal",
                 FormatVolume(before.Get(*FindParam(param::Volume(f.block)))).c_str(),
                 FormatVolume(after.Get(*FindParam(param::Volume(f.block)))).c_str(), r.bandsUsed,
                 r.correctionBands);
}

}  // namespace

int Tune(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err) {
    TuneArgs a;
    if (const int status = ParseTuneArgs(args, a, err); status != kExitOk) return status;
    MeasuredWith with = MeasuredWith::Flat;
    TargetArg target;
    if (!ReadMeasuredWithArg(a.measuredWith, with, err) || !target.Read(a.target, err)) return kExitFailed;
    if (const int status = ReadChannelImpulses(a.files, err); status != kExitOk) return status;

    // The tune starts from the box's settings: its crossovers stay, and
    // only what changes from them is sent.
    Connected c = ConnectToChange(options, err);
    if (c.status != kExitOk) return c.status;
    const EffectBlock image = c.session->Db().Block();

    const FrequencyGrid& grid = EditorGrid();
    std::vector<SeatChannel> seat;
    for (size_t i = 0; i < a.files.size(); ++i) {
        const SeatChannelRead read =
            SeatChannelFromImpulse(a.files[i].response, {with, a.files[i].block, image}, a.sides[i], grid);
        seat.push_back(read.channel);
    }
    CarTuneOptions tuneOptions;
    tuneOptions.target = target.OnGrid(grid);
    tuneOptions.maxBoostDb = a.maxBoostDb;
    tuneOptions.limits = TuningGainLimits();
    const CarTuneOutcome outcome = TuneCar(seat, image, tuneOptions);
    if (outcome.alignment != AlignmentStatus::Aligned) {
        std::fprintf(err, "caraudio-cli: the channels cannot be aligned: %s. Nothing was changed.\n",
                     AlignmentProblem(outcome.alignment));
        return kExitFailed;
    }
    const CarTuneResult& tuned = outcome.tuned;
    if (const auto outside = OutOfLimitParams(tuned.image, tuneOptions.limits); !outside.empty()) {
        SayOutOfLimits("The tune", outside, err);
        return kExitFailed;
    }

    std::fprintf(out, "* Tune of the car against the %s target, measured with %s\n",
                 a.target.empty() ? "flat" : a.target.c_str(), std::string(MeasuredWithText(with)).c_str());
    target.PrintFileLines(out);
    for (const CrossoverResult& x : outcome.crossovers)
        std::fprintf(out, "* Crossover %s: worst loss against the perfect sum %.2f dB now, %.2f dB tuned\n",
                     PairText(x.pair).c_str(), x.lossBeforeDb, x.lossAfterDb);
    if (outcome.equalPeaks)
        std::fprintf(out,
                     "* Levels: every response peaks at the same level, so they were normalised when "
                     "exported and say nothing of the channels' levels; no level is changed\n");
    std::fprintf(out,
                 "* RMS of the sum against the target over 20..20000 Hz after 1/6-octave smoothing: %.2f dB "
                 "now, %.2f dB tuned\n",
                 tuned.rmsBeforeDb, tuned.rmsAfterDb);
    for (size_t i = 0; i < a.files.size(); ++i)
        PrintChannel(a.files[i], image, tuned.image, tuned.channels[i], out);
    if (!outcome.improves) {
        std::fprintf(
            out, "* The tune would not bring the car nearer the target than it is: nothing is proposed%s\n",
            a.dryRun ? "" : " and nothing was sent");
        return kExitOk;
    }
    std::fprintf(out, "* The settings that change, as NAME RAW:\n");
    std::vector<const ParamRecord*> changed;
    for (const ParamRecord& p : Parameters())
        if (tuned.image.Get(p) != image.Get(p)) {
            changed.push_back(&p);
            std::fprintf(out, "%s %d\n", p.name, tuned.image.Get(p));
        }
    if (a.dryRun) return kExitOk;
    ParamDatabase& db = c.session->Db();
    for (const ParamRecord* p : changed) db.SetParam(p->index, tuned.image.Get(*p));
    const bool sent = db.Pending().Empty() ? db.Throttle().LastFlushOk() : db.Throttle().Flush();
    if (!sent) {
        std::fprintf(err, "caraudio-cli: sending the tune to the box failed.\n");
        return kExitFailed;
    }
    std::fprintf(out, "Tune sent to the box.\n");
    return kExitOk;
}

}  // namespace caraudio::cli
