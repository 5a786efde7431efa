#include "CliMeasurementColumns.h"

#include <cmath>

#include "CliFiles.h"
#include "GridInterpolation.h"
#include "MeasuredCurve.h"
#include "PredictedResponse.h"

namespace caraudio::cli {
namespace {

using namespace caraudio::analysis;

const char* StatusText(MeasurementStatus s) {
    switch (s) {
    case MeasurementStatus::Read:
        return "read";
    case MeasurementStatus::TooLarge:
        return "the file is too large for a measurement";
    case MeasurementStatus::NoData:
        return "no measured points: not a measurement file";
    case MeasurementStatus::NotNumbers:
        return "a line that is neither a measured point nor a comment";
    case MeasurementStatus::NotFinite:
        return "a level or frequency that is not a number";
    case MeasurementStatus::LevelOutOfRange:
        return "a level far outside any measurement";
    case MeasurementStatus::NotPositiveFrequency:
        return "a frequency of 0 Hz or below";
    case MeasurementStatus::NotIncreasing:
        return "frequencies must increase from line to line";
    case MeasurementStatus::TooFewPoints:
        return "a single point is not a measurement";
    case MeasurementStatus::TooManyPoints:
        return "more points than any measurement has";
    }
    return "not readable";
}

bool ReadMeasurementFile(const std::string& path, Measurement& m, std::FILE* err) {
    const MeasurementLimits limits;
    std::string bytes, why;
    switch (ReadFileUpTo(path, limits.bytes, bytes, why)) {
    case FileRead::CannotRead:
        std::fprintf(err, "caraudio-cli: cannot read %s: %s.\n", path.c_str(), why.c_str());
        return false;
    case FileRead::TooLarge:
        std::fprintf(err, "caraudio-cli: %s: %s.\n", path.c_str(), StatusText(MeasurementStatus::TooLarge));
        return false;
    case FileRead::Read:
        break;
    }
    MeasurementRead read = ReadMeasurement(bytes, limits);
    if (read.status != MeasurementStatus::Read) {
        if (read.line > 0)
            std::fprintf(err, "caraudio-cli: %s: %s (line %d: %s).\n", path.c_str(), StatusText(read.status),
                         read.line, read.lineText.c_str());
        else
            std::fprintf(err, "caraudio-cli: %s: %s.\n", path.c_str(), StatusText(read.status));
        return false;
    }
    m = std::move(read.measurement);
    return true;
}

void PrintLevel(double db, std::FILE* out) {
    if (std::isnan(db))
        std::fprintf(out, " -");
    else
        std::fprintf(out, " %.4f", db);
}

}  // namespace

bool TakeOverlayArg(CommandArgs args, size_t& i, OverlayArgs& a) {
    if (i + 1 >= args.size()) return false;
    std::string* value = args[i] == "--measurement" ? &a.measurementPath
                         : args[i] == "--smoothing" ? &a.smoothing
                         : args[i] == "--target"    ? &a.target
                                                    : nullptr;
    if (!value) return false;
    *value = std::string(args[++i]);
    return true;
}

bool OverlayColumns::Read(const OverlayArgs& args, std::FILE* err) {
    if (args.measurementPath.empty()) {
        if (args.smoothing.empty() && args.target.empty()) return true;
        std::fprintf(err, "caraudio-cli: --smoothing and --target go with --measurement FILE.\n");
        return false;
    }
    if (!args.smoothing.empty()) {
        const auto s = ParseSmoothing(args.smoothing);
        if (!s) {
            std::fprintf(err, "caraudio-cli: --smoothing takes none, 1/48, 1/24, 1/12, 1/6 or 1/3.\n");
            return false;
        }
        smoothing_ = *s;
    }
    target_ = ParseTargetText(args.target.empty() ? std::string_view("flat") : args.target);
    switch (target_.status) {
    case TargetText::Status::Read:
        break;
    case TargetText::Status::Empty:
    case TargetText::Status::BadHouse:
        std::fprintf(
            err,
            "caraudio-cli: --target takes flat, house:BASS_DB@HZ,TILT_DB (e.g. house:6@80,-1.5) or a "
            "target file.\n");
        return false;
    case TargetText::Status::HouseOutOfRange:
        std::fprintf(
            err,
            "caraudio-cli: the house curve takes a bass lift of at most %.0f dB at %.0f..%.0f Hz and a "
            "tilt of at most %.0f dB per decade.\n",
            kMaxHouseBassDb, kMinHouseBassHz, kMaxHouseBassHz, kMaxHouseTiltDbPerDecade);
        return false;
    }
    if (target_.kind == TargetKind::File && !ReadMeasurementFile(target_.path, targetFile_, err))
        return false;
    measurementPath_ = args.measurementPath;
    return ReadMeasurementFile(args.measurementPath, measurement_, err);
}

bool OverlayColumns::Finish(const FrequencyGrid& grid, const EqCurveModel& channel, std::FILE* err) {
    targetCurve_ = target_.kind == TargetKind::File ? InterpolateOntoGrid(targetFile_, grid)
                                                    : HouseCurveOnGrid(target_.house, grid);
    const ReferenceRange range;
    const LevelAlignment aligned = MeasuredCurveOnGrid(measurement_, smoothing_, targetCurve_, grid, range);
    if (aligned.status != LevelAlignment::Status::Aligned) {
        std::fprintf(err,
                     "caraudio-cli: %s has no level between %.0f and %.0f Hz where the target has one, so it "
                     "cannot be set against the target.\n",
                     measurementPath_.c_str(), range.lowHz, range.highHz);
        return false;
    }
    offsetDb_ = aligned.offsetDb;
    measured_ = aligned.aligned;
    predicted_ = PredictedResponse(measured_, channel);
    return true;
}

void OverlayColumns::PrintHeader(std::FILE* out) const {
    std::fprintf(out, "* Measured: %s, %s smoothing, moved %+.2f dB onto the target over 200..2000 Hz\n",
                 measurementPath_.c_str(), std::string(SmoothingText(smoothing_)).c_str(), offsetDb_);
    std::fprintf(
        out, "* Predicted: measured plus the channel's EQ and crossovers; '-' where nothing was measured\n");
    std::fprintf(out, "* Freq(Hz) SPL(dB) Measured(dB) Predicted(dB) Target(dB)\n");
}

void OverlayColumns::PrintPoint(int i, std::FILE* out) const {
    const auto at = static_cast<size_t>(i);
    PrintLevel(measured_[at], out);
    PrintLevel(predicted_[at], out);
    PrintLevel(targetCurve_[at], out);
    std::fputc('\n', out);
}

}  // namespace caraudio::cli
