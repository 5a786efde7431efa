#pragma once

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

}  // namespace caraudio::edits
