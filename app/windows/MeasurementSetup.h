#pragma once

#include <optional>
#include <string>

#include "EffectBlock.h"
#include "LevelAlignment.h"
#include "MeasuredWith.h"
#include "Smoothing.h"
#include "Target.h"

namespace caraudio::storage {
class IniDocument;
}

namespace caraudio::app {

// What the user chose for one channel's measurement on the editor, as kept
// in config.ini: the files by path, so they are read again at each start.
struct MeasurementSetup {
    std::string file;  // empty: no measurement
    // The file's level column as the user chose it, by name or number (see
    // analysis::ColumnChoice); empty: the automatic choice.
    std::string column;
    // What played while the measurement was taken, and the channel's
    // settings when it was loaded: those are what it was taken through,
    // whatever is edited since. Every measurement loaded in the panel has
    // them; one kept by an older version may not.
    analysis::MeasuredWith measuredWith = analysis::MeasuredWith::Flat;
    std::optional<EffectBlock> settingsAtLoad;
    // Loading found the settings damaged, or a choice other than flat
    // without them: it is taken as flat until the user chooses again. Not
    // kept.
    bool settingsLost = false;
    analysis::Smoothing smoothing = analysis::Smoothing::None;
    analysis::ReferenceRange range;
    analysis::TargetKind target = analysis::TargetKind::Flat;
    analysis::HouseCurve house;
    std::string targetFile;  // the File target's path
    bool showMeasured = true;
    bool showPredicted = true;
    bool showTarget = true;

    bool operator==(const MeasurementSetup&) const = default;
};

// The key of config.ini's [Measurement] line that keeps the channel's
// settings when its measurement was loaded.
std::string SettingsAtLoadKey(int channel);

// What the channel's measurement was taken through, to take out of it.
analysis::PlayedSettings PlayedThrough(const MeasurementSetup& setup, int channel);

// The reference range the editor accepts: low below high, both in 20..20000 Hz.
bool ReferenceRangeAccepted(const analysis::ReferenceRange& range);

// A channel's setup (by block index) from the [Measurement] section. Each value
// that is missing or not accepted takes its default, so a damaged line
// loses only itself.
MeasurementSetup LoadMeasurementSetup(const storage::IniDocument& doc, int channel);
void StoreMeasurementSetup(storage::IniDocument& doc, int channel, const MeasurementSetup& setup);

}  // namespace caraudio::app
