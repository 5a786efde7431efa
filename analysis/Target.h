#pragma once

#include <string>
#include <string_view>

#include "EqCurveModel.h"

namespace caraudio::analysis {

// A car house curve: a bass lift and a treble tilt. With no lift and no tilt
// it is the flat target.
//
// The lift has the shape of an analog low shelf (the audio-EQ-cookbook
// shelf, slope S = 1, i.e. Q = 1/sqrt(2)): bassDb far below bassHz, half of
// it at bassHz, none far above; a shape a DSP's shelf filter can follow. The
// tilt adds tiltDbPerDecade per decade above tiltFromHz (nothing below).
struct HouseCurve {
    double bassDb = 0;
    double bassHz = 80;
    double tiltDbPerDecade = 0;
    double tiltFromHz = 1000;
};

// What the program accepts for each field.
inline constexpr double kMaxHouseBassDb = 24;
inline constexpr double kMinHouseBassHz = 10, kMaxHouseBassHz = 1000;
inline constexpr double kMaxHouseTiltDbPerDecade = 20;
inline constexpr double kMinHouseTiltFromHz = 20, kMaxHouseTiltFromHz = 20000;
bool HouseCurveInRange(const HouseCurve& h);

double HouseCurveDb(const HouseCurve& h, double hz);
Response HouseCurveOnGrid(const HouseCurve& h, const FrequencyGrid& grid);

enum class TargetKind { Flat, House, File };

// A target as typed on the command line: `flat`,
// `house:BASS_DB@HZ[,TILT_DB[@HZ]]` (e.g. `house:6@80,-1.5`; the tilt's
// corner defaults to 1000 Hz), or else the name of a target file in the
// measurement format.
struct TargetText {
    enum class Status {
        Read,
        Empty,
        BadHouse,         // `house:` followed by text of another form
        HouseOutOfRange,  // the form is right, a value is not accepted
    };
    Status status = Status::Empty;
    TargetKind kind = TargetKind::Flat;
    HouseCurve house;  // Flat and House
    std::string path;  // File
};
TargetText ParseTargetText(std::string_view text);

}  // namespace caraudio::analysis
