#include "CliCurveArgs.h"

#include <charconv>
#include <cmath>

#include "CliMeasurementFile.h"
#include "GridInterpolation.h"

namespace caraudio::cli {

using namespace caraudio::analysis;

bool WholeNumber(std::string_view text, double& value) {
    if (text.starts_with('+')) text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && at == end && std::isfinite(value);
}

bool ReadSpan(std::string_view text, std::optional<FrequencySpan>& span) {
    if (text == "auto") {
        span.reset();
        return true;
    }
    size_t at = text.find("..");
    size_t gap = 2;
    if (at == std::string_view::npos) at = text.find('-'), gap = 1;
    double lo = 0, hi = 0;
    if (at == std::string_view::npos || !WholeNumber(text.substr(0, at), lo) ||
        !WholeNumber(text.substr(at + gap), hi) || lo < kLowestHz || hi > kHighestHz || !(lo < hi))
        return false;
    span = FrequencySpan{lo, hi};
    return true;
}

bool ReadSmoothingArg(const std::string& text, Smoothing& smoothing, std::FILE* err) {
    if (text.empty()) return true;
    const auto s = ParseSmoothing(text);
    if (!s) {
        std::fprintf(err, "caraudio-cli: --smoothing takes none, 1/48, 1/24, 1/12, 1/6 or 1/3.\n");
        return false;
    }
    smoothing = *s;
    return true;
}

bool ReadMeasuredWithArg(const std::string& text, MeasuredWith& with, std::FILE* err) {
    if (text.empty()) return true;
    const auto w = ParseMeasuredWith(text);
    if (!w) {
        std::fprintf(err, "caraudio-cli: --measured-with takes flat, crossovers or current.\n");
        return false;
    }
    with = *w;
    return true;
}

bool TargetArg::Read(const std::string& text, std::FILE* err) {
    target_ = ParseTargetText(text.empty() ? std::string_view("flat") : text);
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
    return !IsFile() || ReadMeasurementFile(target_.path, {"", CurveRole::Target}, file_, source_, err);
}

Response TargetArg::OnGrid(const FrequencyGrid& grid) const {
    return IsFile() ? InterpolateOntoGrid(file_, grid) : HouseCurveOnGrid(target_.house, grid);
}

FrequencySpan TargetArg::Span() const {
    return IsFile() ? SpanOf(file_) : kEverywhere;
}

void TargetArg::PrintFileLines(std::FILE* out) const {
    if (!IsFile()) return;
    std::fprintf(out, "* Target: %s%s\n", target_.path.c_str(), ColumnText(source_).c_str());
    PrintReadingNotes(target_.path, source_, out);
}

}  // namespace caraudio::cli
