#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "EqCurveModel.h"
#include "FrequencySpan.h"
#include "MeasuredWith.h"
#include "Measurement.h"
#include "Smoothing.h"
#include "Target.h"

namespace caraudio::cli {

// What the box's band frequencies reach.
inline constexpr double kLowestHz = 20, kHighestHz = 20000;

// The whole text as a number, whatever the locale; a leading '+' is allowed.
bool WholeNumber(std::string_view text, double& value);
// "auto" (none) or LO..HI (LO-HI as before) in Hz within the box's bands.
bool ReadSpan(std::string_view text, std::optional<analysis::FrequencySpan>& span);

// --smoothing and --measured-with values; an empty text keeps what is given.
// Say why not on err.
bool ReadSmoothingArg(const std::string& text, analysis::Smoothing& smoothing, std::FILE* err);
bool ReadMeasuredWithArg(const std::string& text, analysis::MeasuredWith& with, std::FILE* err);

// A --target: flat (also when empty), a house curve, or a target file read
// at once, so a bad file costs nothing.
class TargetArg {
public:
    // Says why not on err.
    bool Read(const std::string& text, std::FILE* err);
    Response OnGrid(const FrequencyGrid& grid) const;
    // Where the target has levels: a file's span, or everywhere.
    analysis::FrequencySpan Span() const;
    bool IsFile() const { return target_.kind == analysis::TargetKind::File; }
    const std::string& Path() const { return target_.path; }
    // "* Target: FILE" and how it was read; nothing for flat or a house curve.
    void PrintFileLines(std::FILE* out) const;

private:
    analysis::TargetText target_;
    analysis::Measurement file_;
    analysis::MeasurementSource source_;
};

}  // namespace caraudio::cli
