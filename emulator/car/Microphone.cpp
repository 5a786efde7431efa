#include "Microphone.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>

#include "CookbookSections.h"
#include "VirtualCar.h"

namespace caraudio::emulator {

Microphone FlatMicrophone() {
    return {{}, -3.2, "EMU-7100001"};
}

Microphone BudgetMicrophone() {
    return {{PassSection(true, 40, 0.6), PeakSection(9000, 1.5, 4), PassSection(false, 16000, 0.8)},
            -11.5,
            "EMU-7100002"};
}

double MicrophoneDb(const Microphone& mic, double hz) {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / kCarRate), z2 = z1 * z1;
    std::complex<double> h = 1;
    for (const Section& s : mic.sections) h *= (s.b0 + s.b1 * z1 + s.b2 * z2) / (1.0 + s.a1 * z1 + s.a2 * z2);
    return 20 * std::log10(std::abs(h));
}

std::string CalibrationFileText(const Microphone& mic) {
    char line[96];
    std::snprintf(line, sizeof line, "\"Sens Factor =%.2fdB, SERNO: %s\"\n", mic.sensitivityDb,
                  mic.serial.c_str());
    std::string text = line;
    for (int i = 0;; ++i) {
        const double hz = 10 * std::pow(2.0, i / 24.0);
        if (hz > 24000) break;
        std::snprintf(line, sizeof line, "%.3f\t%.3f\n", hz, MicrophoneDb(mic, std::min(hz, 23999.0)));
        text += line;
    }
    return text;
}

}  // namespace caraudio::emulator
