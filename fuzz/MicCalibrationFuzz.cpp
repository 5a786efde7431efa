// Calibration files from anywhere: reading never crashes, and whatever it
// accepts has rising frequencies and deviations a response can be divided by.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "EditorGrid.h"
#include "FuzzCheck.h"
#include "MicCalibration.h"

using namespace caraudio;
using namespace caraudio::analysis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MicCalibrationRead r =
        ReadMicCalibration(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!r.ok) {
        FUZZ_CHECK(!r.error.empty());
        return 0;
    }
    const MicCalibration& c = r.calibration;
    FUZZ_CHECK(!c.hz.empty() && c.hz.size() == c.db.size());
    for (size_t i = 0; i < c.hz.size(); ++i) {
        FUZZ_CHECK(std::isfinite(c.hz[i]) && c.hz[i] > 0 && std::fabs(c.db[i]) <= 60);
        if (i > 0) FUZZ_CHECK(c.hz[i] > c.hz[i - 1]);
    }
    const ComplexResponse calibrated = Calibrated(Unity(), c, EditorGrid());
    for (const auto& v : calibrated) FUZZ_CHECK(std::isfinite(std::abs(v)) && std::abs(v) > 0);
    return 0;
}
