#include "ChannelMeasurements.h"

#include <QFile>
#include <limits>

#include "AtomicFile.h"
#include "GridInterpolation.h"
#include "MeasuredCurve.h"
#include "PredictedResponse.h"

namespace caraudio::app {

using analysis::TargetKind;

MeasurementFile ReadMeasurementFile(const QString& path, const analysis::ColumnChoice& choice) {
    MeasurementFile file;
    const analysis::MeasurementLimits limits;
    std::string bytes;
    file.source = storage::ReadFile(QFile::encodeName(path).toStdString(), bytes, limits.bytes);
    switch (file.source.status) {
    case storage::ReadStatus::Read:
        file.access = MeasurementFile::Access::Read;
        file.read = analysis::ReadMeasurement(bytes, limits, choice);
        break;
    case storage::ReadStatus::TooLarge:
        // Not read into memory at all: far beyond any measurement.
        file.access = MeasurementFile::Access::Read;
        file.read.status = analysis::MeasurementStatus::TooLarge;
        break;
    case storage::ReadStatus::Missing:
        file.access = MeasurementFile::Access::Missing;
        break;
    case storage::ReadStatus::Failed:
    case storage::ReadStatus::NotRegular:
        file.access = MeasurementFile::Access::Unreadable;
        break;
    }
    return file;
}

MeasurementFile ReadTargetFile(const QString& path) {
    return ReadMeasurementFile(path, {"", analysis::CurveRole::Target});
}

ChannelMeasurements::Channel& ChannelMeasurements::Change(int channel) {
    grid_[Index(channel)].stale = true;
    return channels_[Index(channel)];
}

void ChannelMeasurements::SetShown(int channel, bool measured, bool predicted, bool target) {
    MeasurementSetup& s = channels_[Index(channel)].setup;
    s.showMeasured = measured;
    s.showPredicted = predicted;
    s.showTarget = target;
}

bool ChannelMeasurements::HasOverlays(int channel) const {
    const Channel& c = At(channel);
    return c.measured || c.setup.target == TargetKind::House ||
           (c.setup.target == TargetKind::File && c.target);
}

Response ChannelMeasurements::TargetOnGrid(int channel, const FrequencyGrid& grid) const {
    const Channel& c = At(channel);
    if (c.setup.target == TargetKind::House) return analysis::HouseCurveOnGrid(c.setup.house, grid);
    if (c.setup.target == TargetKind::File && c.target) return analysis::InterpolateOntoGrid(*c.target, grid);
    return Response{};
}

void ChannelMeasurements::Update(int channel, const FrequencyGrid& grid) {
    const Channel& c = At(channel);
    OnGrid& g = grid_[Index(channel)];
    g.stale = false;
    g.target = TargetOnGrid(channel, grid);
    g.measured.fill(std::numeric_limits<double>::quiet_NaN());
    g.alignment = analysis::LevelAlignment::Status::Aligned;
    g.targetSpan =
        c.setup.target == TargetKind::File && c.target ? analysis::SpanOf(*c.target) : analysis::kEverywhere;
    g.speaker = g.measured;
    g.levelledOver = g.measuredSpan = {0, 0};
    if (!c.measured) return;
    const Response played =
        analysis::PlayedOnGrid(PlayedThrough(c.setup, channel), *c.measured, c.setup.smoothing, grid);
    analysis::LevelAlignment aligned = analysis::MeasuredCurveOnGrid(
        *c.measured, c.setup.smoothing, g.target, grid, c.setup.range, g.targetSpan, played);
    g.speaker = aligned.aligned;
    g.measured = analysis::AsMeasured(aligned.aligned, played);
    g.alignment = aligned.status;
    g.levelledOver = aligned.used;
    g.measuredSpan = analysis::SpanOf(*c.measured);
}

std::optional<ChannelMeasurements::FitCurves> ChannelMeasurements::CurvesForFit(int channel,
                                                                                const FrequencyGrid& grid) {
    if (!At(channel).measured) return std::nullopt;
    if (grid_[Index(channel)].stale) Update(channel, grid);
    const OnGrid& g = grid_[Index(channel)];
    return FitCurves{g.speaker, g.target, g.alignment, g.measuredSpan, g.targetSpan};
}

std::vector<widgets::EqOverlayCurve> ChannelMeasurements::Overlays(int channel, const EqCurveModel& model,
                                                                   const OverlayNames& names) {
    if (!HasOverlays(channel)) return {};
    if (grid_[Index(channel)].stale) Update(channel, model.Grid());
    const Channel& c = At(channel);
    const OnGrid& g = grid_[Index(channel)];
    using widgets::EqOverlayRole;
    std::vector<widgets::EqOverlayCurve> curves;
    curves.reserve(3);
    if (c.measured) {
        curves.push_back({EqOverlayRole::Measured, names.measured, g.measured, c.setup.showMeasured});
        curves.push_back({EqOverlayRole::Predicted, names.predicted,
                          analysis::PredictedResponse(g.speaker, model), c.setup.showPredicted});
    }
    // A target file that is not there (yet) has nothing to draw.
    if (c.setup.target != TargetKind::File || c.target)
        curves.push_back({EqOverlayRole::Target, names.target, g.target, c.setup.showTarget});
    return curves;
}

}  // namespace caraudio::app
