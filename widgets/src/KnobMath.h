#pragma once

namespace caraudio::widgets {

// The knob's angles, in degrees clockwise from pointing right (screen y
// down), with pi taken as 3.14 as the dial always has been.
struct KnobMath {
    int min = 0;
    int max = 100;
    int includedAngle = 30;
    int dotRadius = 20;
    int centreX = 0;
    int centreY = 0;

    struct Dot {
        int x = 0;
        int y = 0;
    };
    struct Pointing {
        double angle = 0;
        int value = 0;
        Dot dot;
        bool dotMoves = true;  // false straight below the centre
    };

    // The gap as the dial draws it: a whole circle or more of gap would
    // leave no dial to divide by, so at most 359 degrees, and never below 0.
    int Gap() const;
    double Scale() const;  // value units per degree
    int StartAngle() const { return 90 + Gap() / 2; }
    double Sweep() const { return 360 - Gap(); }
    double AngleFor(int value) const;
    // Where the dot sits for a swept angle; false when the angle is past the
    // end of the dial (the dot then stays).
    bool DotFor(double angle, Dot& dot) const;
    Dot StartDot() const;
    Dot EndDot() const;
    Pointing Point(int x, int y) const;
    int Clamp(int value) const;
};

}  // namespace caraudio::widgets
