#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ComplexResponse.h"

namespace caraudio::analysis {

// A measurement microphone's calibration as its maker ships it: the
// sensitivity and serial number from the header, and the microphone's
// deviation in dB at increasing frequencies (any phase column is read past).
struct MicCalibration {
    std::string serial;
    bool hasSensitivity = false;
    double sensitivityDb = 0;  // "Sens Factor"
    std::vector<double> hz, db;
};

struct MicCalibrationRead {
    bool ok = false;
    MicCalibration calibration;
    std::string error;  // says which line and why
};

// The header line, quoted or not ("Sens Factor =-0.7064dB, AGain =18dB,
// SERNO: 7012345"), `*` comments (one like "*1000Hz -40.3" among them),
// then "frequency dB [phase]" lines split by tabs, spaces, commas or
// semicolons, with a decimal comma where the fields are split otherwise.
MicCalibrationRead ReadMicCalibration(std::string_view text);

// The deviation at `hz`: straight between the file's points on log
// frequency, held at the end values beyond them.
double CalibrationDbAt(const MicCalibration& calibration, double hz);

// What the sound was before the microphone coloured it: the response less
// the deviation at every grid point.
ComplexResponse Calibrated(const ComplexResponse& response, const MicCalibration& calibration,
                           const FrequencyGrid& grid);

}  // namespace caraudio::analysis
