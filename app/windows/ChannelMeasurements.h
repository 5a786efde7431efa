#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "AtomicFile.h"
#include "EqCurveModel.h"
#include "LevelAlignment.h"
#include "Measurement.h"
#include "MeasurementSetup.h"
#include "SkEqOverlay.h"

namespace caraudio::app {

// A measurement file read from disk: Missing and Unreadable when its bytes
// could not be had, else what the reader made of them.
struct MeasurementFile {
    enum class Access { Read, Missing, Unreadable };
    Access access = Access::Missing;
    storage::ReadResult source;  // why the bytes could not be had
    analysis::MeasurementRead read;
    bool Ok() const { return access == Access::Read && read.status == analysis::MeasurementStatus::Read; }
};
MeasurementFile ReadMeasurementFile(const QString& path, const analysis::ColumnChoice& choice = {});
// A target file: its column named "target", else its first.
MeasurementFile ReadTargetFile(const QString& path);

// The legend's names, in the active language.
struct OverlayNames {
    QString measured, predicted, target;
};

// Each output channel's measurement, target and what the editor draws of
// them. The measured curve on the grid (smoothing, interpolation, what it
// was taken through, level) is made again only after a change of the setup
// or the files; an EQ edit costs only the predicted curve, one addition per
// grid point.
class ChannelMeasurements {
public:
    struct Channel {
        MeasurementSetup setup;
        std::optional<analysis::Measurement> measured;  // the file's points, once read
        std::optional<analysis::Measurement> target;    // the target file's points, once read
        // How each was read: encoding, columns, where the data ended.
        analysis::MeasurementSource measuredSource, targetSource;
    };

    const Channel& At(int channel) const { return channels_[Index(channel)]; }
    // For a change; the curves on the grid are made again when next asked for.
    Channel& Change(int channel);
    // Which curves show: no curve changes.
    void SetShown(int channel, bool measured, bool predicted, bool target);

    // Whether the editor draws anything for the channel: a measurement, or
    // a target other than flat.
    bool HasOverlays(int channel) const;
    // The curves for the editor on the channel model's grid, hidden ones
    // included as not shown; none when there is nothing to draw.
    std::vector<widgets::EqOverlayCurve> Overlays(int channel, const EqCurveModel& model,
                                                  const OverlayNames& names);
    // The speaker alone as the editor sets it against the target (what a
    // fit fits) and the target; none until the channel's measurement is read.
    struct FitCurves {
        Response speakerAlone{}, target{};
        analysis::LevelAlignment::Status alignment = analysis::LevelAlignment::Status::Aligned;
        analysis::FrequencySpan measuredSpan, targetSpan;  // where each has levels
    };
    std::optional<FitCurves> CurvesForFit(int channel, const FrequencyGrid& grid);
    // The channel's target on the grid: flat, its house curve or its file
    // (NaN where the file has no level; flat while the file is not read).
    Response TargetOnGrid(int channel, const FrequencyGrid& grid) const;
    // How the last measured curve was set against the target, and over
    // which part of the reference range.
    analysis::LevelAlignment::Status Alignment(int channel) const { return grid_[Index(channel)].alignment; }
    analysis::FrequencySpan LevelledOver(int channel) const { return grid_[Index(channel)].levelledOver; }

private:
    struct OnGrid {
        bool stale = true;
        Response target{};
        Response measured{};  // as it was measured, moved as the speaker alone is
        Response speaker{};   // the speaker alone, on the target
        analysis::LevelAlignment::Status alignment = analysis::LevelAlignment::Status::Aligned;
        analysis::FrequencySpan levelledOver{0, 0};
        analysis::FrequencySpan measuredSpan{0, 0}, targetSpan;
    };
    static size_t Index(int channel) { return static_cast<size_t>(channel); }
    void Update(int channel, const FrequencyGrid& grid);

    std::array<Channel, 6> channels_;
    std::array<OnGrid, 6> grid_;
};

}  // namespace caraudio::app
