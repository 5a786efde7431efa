#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "ValueScales.h"

namespace caraudio::storage {

inline constexpr const char* kTuningFileName = "caedata.dat";
// A tuning file is a few lines; anything far larger is not one.
inline constexpr size_t kMaxTuningFileBytes = 1u << 20;
// The alert's text when the tuning file gives none.
inline constexpr const char* kDefaultAlertMessage = "EQ增益调得太大，可能会爆音！";

// The dealer's tuning file, read once at start and never written.
struct TuningSettings {
    double scale = 0.0;  // automatic gain compensation: `scale` / 100; 0 is off
    uint32_t id1 = 0;    // handshake identifiers
    uint32_t id2 = 0;
    int maxvol = 20;  // EQ band gain limits, dB
    int minvol = -20;
    int showFreqId = 1;  // non-zero: band numbers head the band table
    int alertDelay = 8000;
    int alertEnable = 0;
    std::string alertMessage;  // empty until the file has been read

    GainLimits Gains() const { return {minvol, maxvol}; }
};

// Reads caedata.dat from the first of `folders` that has one it can read; a
// missing file gives the defaults. `found` receives the file used (empty for
// none), `refused` each one passed over (not a regular file, unreadable, too large).
TuningSettings LoadTuningSettings(const std::vector<std::string>& folders, std::string* found = nullptr,
                                  std::vector<RefusedFile>* refused = nullptr);
// The same from the text of a tuning file.
TuningSettings ParseTuningSettings(std::string_view text);

}  // namespace caraudio::storage
