#pragma once

#include <string>

#include "LevelAlignment.h"
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

// The reference range the editor accepts: low below high, both in 20..20000 Hz.
bool ReferenceRangeAccepted(const analysis::ReferenceRange& range);

// A channel's setup (by block index) from the [Measurement] section. Each value
// that is missing or not accepted takes its default, so a damaged line
// loses only itself.
MeasurementSetup LoadMeasurementSetup(const storage::IniDocument& doc, int channel);
void StoreMeasurementSetup(storage::IniDocument& doc, int channel, const MeasurementSetup& setup);

}  // namespace caraudio::app
