#include "EditorGrid.h"

namespace caraudio::analysis {

FrequencyGrid& EditorGrid() {
    static FrequencyGrid grid = [] {
        FrequencyGrid g;
        g.Build(17);
        return g;
    }();
    return grid;
}

}  // namespace caraudio::analysis
