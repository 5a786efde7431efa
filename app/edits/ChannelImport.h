#pragma once

#include <array>

#include "FilterImportPlan.h"

namespace caraudio {
class ParamDatabase;
}

namespace caraudio::edits {

// Applies a planned filter import to block 0..5 through the model's setters,
// as typed edits would: linked channels follow, the throttle sends it, an
// EQ bypass ends and the gain compensation runs (`compensationScale` is the
// tuning file's scale / 100; 0 is off). A level the plan sets is the user's
// own choice and is applied last. False, with nothing changed, unless the
// plan's outcome is Planned.
bool ApplyFilterImport(ParamDatabase& db, int channel, const analysis::FilterImportPlan& plan,
                       double compensationScale);

// Sets all 31 bands of block 0..5 (raw values, as the image stores them) the
// same way: linked channels follow, an EQ bypass ends, the gain
// compensation runs.
void ApplyBands(ParamDatabase& db, int channel, const std::array<analysis::BandValues, kBandCount>& bands,
                double compensationScale);

}  // namespace caraudio::edits
