#include "CliMeasurementTarget.h"

#include "CliFiles.h"
#include "GridInterpolation.h"
#include "MeasuredCurve.h"

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
        std::fprintf(err, "caraudio-cli: %s.\n", why.c_str());
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

}  // namespace

bool MeasurementAgainstTarget::Read(const std::string& measurementPath, const std::string& smoothing,
                                    const std::string& target, std::FILE* err) {
    if (!smoothing.empty()) {
        const auto s = ParseSmoothing(smoothing);
        if (!s) {
            std::fprintf(err, "caraudio-cli: --smoothing takes none, 1/48, 1/24, 1/12, 1/6 or 1/3.\n");
            return false;
        }
        smoothing_ = *s;
    }
    target_ = ParseTargetText(target.empty() ? std::string_view("flat") : target);
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
    measurementPath_ = measurementPath;
    return ReadMeasurementFile(measurementPath, measurement_, err);
}

bool MeasurementAgainstTarget::PutOnGrid(const FrequencyGrid& grid, std::FILE* err) {
    targetCurve_ = target_.kind == TargetKind::File ? InterpolateOntoGrid(targetFile_, grid)
                                                    : HouseCurveOnGrid(target_.house, grid);
    const ReferenceRange range;
    const LevelAlignment aligned =
        MeasuredCurveOnGrid(measurement_, smoothing_, targetCurve_, grid, range,
                            target_.kind == TargetKind::File ? SpanOf(targetFile_) : kEverywhere);
    if (aligned.status != LevelAlignment::Status::Aligned) {
        std::fprintf(err,
                     "caraudio-cli: %s, so they share nothing of the reference range %.0f..%.0f Hz and the "
                     "measurement cannot be set against the target.\n",
                     CoverageText().c_str(), range.lowHz, range.highHz);
        return false;
    }
    offsetDb_ = aligned.offsetDb;
    levelledOver_ = aligned.used;
    measured_ = aligned.aligned;
    return true;
}

FrequencySpan MeasurementAgainstTarget::Covered() const {
    return Overlap(SpanOf(measurement_),
                   target_.kind == TargetKind::File ? SpanOf(targetFile_) : kEverywhere);
}

std::string MeasurementAgainstTarget::CoverageText() const {
    auto span = [](FrequencySpan s) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f..%.0f Hz", s.lowHz, s.highHz);
        return std::string(text);
    };
    return measurementPath_ + " covers " + span(SpanOf(measurement_)) + " and the target " +
           (target_.kind == TargetKind::File ? target_.path + " " + span(SpanOf(targetFile_))
                                             : std::string("every frequency"));
}

void MeasurementAgainstTarget::PrintMeasuredLine(std::FILE* out) const {
    const ReferenceRange range;
    std::fprintf(out, "* Measured: %s, %s smoothing, moved %+.2f dB onto the target over %.0f..%.0f Hz",
                 measurementPath_.c_str(), std::string(SmoothingText(smoothing_)).c_str(), offsetDb_,
                 levelledOver_.lowHz, levelledOver_.highHz);
    if (levelledOver_ != FrequencySpan{range.lowHz, range.highHz})
        std::fprintf(out, " (as much of %.0f..%.0f Hz as both cover)", range.lowHz, range.highHz);
    std::fputc('\n', out);
}

}  // namespace caraudio::cli
