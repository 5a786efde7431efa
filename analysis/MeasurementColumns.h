#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Measurement.h"
#include "MeasurementLine.h"

namespace caraudio::analysis {

// One curve of a file: the fields that hold its frequency, level and phase.
struct LevelColumn {
    std::string name;  // as the header names the level; empty without a header
    int frequency = 0;
    int level = 1;
    int phase = -1;  // none
};

struct FileColumns {
    std::vector<LevelColumn> levels;
    // Several curves, or more than three fields: each field is read by its
    // place, empty fields are missing values, and a line may stop short where
    // a shorter curve has ended.
    bool byPlace = false;
};

// The columns from the header's names when it names each of the first data
// line's fields: a field named for the frequency ("Hz", "Freq...") starts a
// curve, one named for the phase belongs to the level before it, every other
// is a level, but the third of three is the phase unless named as a level.
// Without such a header: frequency, level, and a third field is the phase;
// more fields than three give no levels.
FileColumns ColumnsOf(const LineFields* header, int dataFields);

// The level column a choice names (see ColumnChoice), or -1.
int ChosenColumn(const FileColumns& columns, const ColumnChoice& choice);

}  // namespace caraudio::analysis
