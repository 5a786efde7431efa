#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace caraudio::measure {

// What a measurement session folder holds beside its files, so it can be
// reopened, and read by a person: how it was measured, and per channel its
// files and what was read from them. Kept as INI text, "measurement.ini".
struct MeasuredChannel {
    std::string label;                  // "CH1"
    std::string impulseFile, textFile;  // names inside the folder
    double snrDb = 0, peakDbfs = 0, arrivalMs = 0, driftPpm = 0;
};

struct MeasurementIndex {
    std::string when;    // local time, as "2026-12-11 17:20"
    std::string timing;  // "loopback on input 2", "acoustic, CH1"
    double sweepLowHz = 20, sweepHighHz = 20000, sweepSeconds = 1.5, levelDbfs = -12;
    int repeats = 1;
    std::string calibration;  // the calibration file's path; empty: none
    std::vector<MeasuredChannel> channels;
};

inline constexpr std::string_view kMeasurementIndexName = "measurement.ini";

std::string MeasurementIndexText(const MeasurementIndex& index);
// Nothing when the text is no measurement index (no [Measurement] section).
std::optional<MeasurementIndex> ReadMeasurementIndex(std::string_view text);

}  // namespace caraudio::measure
