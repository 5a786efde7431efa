#include "CliMeasurementTarget.h"

#include "CliMeasurementFile.h"
#include "MeasuredCurve.h"
#include "ValueScales.h"

namespace caraudio::cli {

using namespace caraudio::analysis;

namespace {

// "high-pass 80Hz Linkwitz 24dB/Oct" as the main window's controls show it;
// "high-pass off" without a slope.
std::string PassText(const EffectBlock& image, const char* name, int typeIndex, int freqIndex, bool high) {
    const auto byte = static_cast<uint8_t>(image.Get(*FindParam(typeIndex)));
    if (SlopeDbPerOctave(CrossoverSlopeField(byte)) == 0) return std::string(name) + " off";
    const int freq = image.Get(*FindParam(freqIndex));
    return std::string(name) + " " + (high ? FormatHighPassFreq(freq) : FormatLowPassFreq(freq)) + " " +
           std::string(CrossoverTypeLabel(CrossoverTypeField(byte))) + " " +
           std::string(SlopeLabel(CrossoverSlopeField(byte)));
}

// What the "* Measured with:" line says was taken out of the measurement.
std::string PlayedText(const PlayedSettings& p) {
    const std::string channel = ChannelLabel(p.channel);
    if (p.with == MeasuredWith::Flat)
        return "flat (the speaker alone: nothing of " + channel +
               "'s settings is taken out of the measurement)";
    const std::string crossovers =
        PassText(p.image, "high-pass", param::HighPassType(p.channel), param::HighPassFreq(p.channel), true) +
        ", " +
        PassText(p.image, "low-pass", param::LowPassType(p.channel), param::LowPassFreq(p.channel), false);
    if (p.with == MeasuredWith::Crossovers)
        return "crossovers (" + channel + "'s crossovers in the box now, " + crossovers +
               ", taken out of the measurement)";
    int withGain = 0;
    for (int b = 0; b < kBandCount; ++b)
        withGain += p.image.Get(*FindParam(param::BandGain(p.channel, b))) != 0;
    return "current (" + channel +
           "'s EQ and crossovers in the box now, bands with gain: " + std::to_string(withGain) + ", " +
           crossovers + ", taken out of the measurement; its level " +
           FormatVolume(p.image.Get(*FindParam(param::Volume(p.channel)))) +
           " is a flat offset, which moving onto the target takes out)";
}

}  // namespace

bool MeasurementAgainstTarget::Read(const OverlayArgs& args, std::FILE* err) {
    if (!ReadSmoothingArg(args.smoothing, smoothing_, err) ||
        !ReadMeasuredWithArg(args.measuredWith, played_.with, err) || !target_.Read(args.target, err))
        return false;
    measurementPath_ = args.measurementPath;
    return ReadMeasurementFile(measurementPath_, {args.column}, measurement_, source_, err);
}

bool MeasurementAgainstTarget::PutOnGrid(const FrequencyGrid& grid, const EffectBlock& image, int channel,
                                         std::FILE* err) {
    targetCurve_ = target_.OnGrid(grid);
    played_.channel = channel;
    played_.image = image;
    const Response played = PlayedOnGrid(played_, measurement_, smoothing_, grid);
    const ReferenceRange range;
    const LevelAlignment aligned =
        MeasuredCurveOnGrid(measurement_, smoothing_, targetCurve_, grid, range, target_.Span(), played);
    if (aligned.status != LevelAlignment::Status::Aligned) {
        std::fprintf(err,
                     "caraudio-cli: %s, so they share nothing of the reference range %.0f..%.0f Hz and the "
                     "measurement cannot be set against the target.\n",
                     CoverageText().c_str(), range.lowHz, range.highHz);
        return false;
    }
    offsetDb_ = aligned.offsetDb;
    levelledOver_ = aligned.used;
    speaker_ = aligned.aligned;
    measured_ = AsMeasured(speaker_, played);
    return true;
}

FrequencySpan MeasurementAgainstTarget::Covered() const {
    return Overlap(SpanOf(measurement_), target_.Span());
}

std::string MeasurementAgainstTarget::CoverageText() const {
    auto span = [](FrequencySpan s) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f..%.0f Hz", s.lowHz, s.highHz);
        return std::string(text);
    };
    return measurementPath_ + " covers " + span(SpanOf(measurement_)) + " and the target " +
           (target_.IsFile() ? target_.Path() + " " + span(target_.Span()) : std::string("every frequency"));
}

void MeasurementAgainstTarget::PrintMeasuredLine(std::FILE* out) const {
    const ReferenceRange range;
    std::fprintf(out, "* Measured: %s%s, %s smoothing, moved %+.2f dB onto the target over %.0f..%.0f Hz",
                 measurementPath_.c_str(), ColumnText(source_).c_str(),
                 std::string(SmoothingText(smoothing_)).c_str(), offsetDb_, levelledOver_.lowHz,
                 levelledOver_.highHz);
    if (levelledOver_ != FrequencySpan{range.lowHz, range.highHz})
        std::fprintf(out, " (as much of %.0f..%.0f Hz as both cover)", range.lowHz, range.highHz);
    std::fputc('\n', out);
    std::fprintf(out, "* Measured with: %s\n", PlayedText(played_).c_str());
    PrintReadingNotes(measurementPath_, source_, out);
    target_.PrintFileLines(out);
}

}  // namespace caraudio::cli
