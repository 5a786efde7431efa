#pragma once

#include <array>
#include <cstddef>

namespace caraudio {

// The 1024 angular frequencies every response is computed at, log-spaced
// from a start frequency (clamped to 10..20 Hz) up to, not including, pi at
// 48 kHz. Built once, by the first RecomputeAll, and never rebuilt.
class FrequencyGrid {
public:
    static constexpr int kPoints = 1024;
    static constexpr double kSampleRate = 48000.0;

    // The table the program's models share.
    static FrequencyGrid& Shared();

    // Builds the table unless it is built already; later calls change nothing.
    void Build(double startHz);
    bool IsBuilt() const { return startHz_ >= 0; }
    // -1 until built.
    double StartHz() const { return startHz_; }

    double W(int i) const { return w_[static_cast<size_t>(i)]; }
    double Hz(int i) const { return w_[static_cast<size_t>(i)] * kSampleRate / (2 * 3.14159265358979); }
    // cos and sin of w and 2w, kept so a response needs no trigonometry.
    double Cos1(int i) const { return cos1_[static_cast<size_t>(i)]; }
    double Sin1(int i) const { return sin1_[static_cast<size_t>(i)]; }
    double Cos2(int i) const { return cos2_[static_cast<size_t>(i)]; }
    double Sin2(int i) const { return sin2_[static_cast<size_t>(i)]; }

private:
    double startHz_ = -1;
    std::array<double, kPoints> w_{}, cos1_{}, sin1_{}, cos2_{}, sin2_{};
};

}  // namespace caraudio
