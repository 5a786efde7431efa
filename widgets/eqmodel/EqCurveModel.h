#pragma once

#include <array>
#include <memory>

#include "FrequencyGrid.h"

namespace caraudio {

enum class EqFilterRole : int { Band = 0, HighPass = 1, LowPass = 2 };

enum class EqFilterType : int { Peaking = 0, Linkwitz = 1, Bessel = 2, Butterworth = 3, Shelf = 4, VariableQ = 5 };

using Response = std::array<double, FrequencyGrid::kPoints>;

// One filter: what it is, its biquad coefficients and its response in dB at
// every grid point (all zeros while it is off).
struct EqFilterRecord {
    EqFilterRole role = EqFilterRole::Band;
    EqFilterType type = EqFilterType::Peaking;
    double frequency = 0;
    // dB for Peaking and Shelf; for the pass types the slope in dB per octave
    // as a negative number, 0 meaning off.
    double gain = 0;
    double q = 0;
    double shelfFactor = 0;
    double a0 = 0, a1 = 0, a2 = 0, b0 = 0, b1 = 0, b2 = 0;
    Response response{};
};

// The inputs of a filter as its owner fills them.
struct EqFilterInput {
    EqFilterRole role = EqFilterRole::Band;
    EqFilterType type = EqFilterType::Peaking;
    double frequency = 0;
    double gain = 0;
    double q = 0;
    double shelfFactor = 0;
};

// The response curve of one output channel: 31 bands and two pairs of
// crossover filters, each filter with its own response, summed into the
// curves the editor draws.
class EqCurveModel {
public:
    static constexpr int kBands = 31;
    static constexpr int kRecords = kBands + 4;

    explicit EqCurveModel(FrequencyGrid& grid = FrequencyGrid::Shared()) : grid_(grid) {}

    bool InitBands(const std::array<EqFilterInput, kBands>& bands);
    bool SetBand(int index, const EqFilterInput& band);
    bool SetAllBands(const std::array<EqFilterInput, kBands>& bands);
    void SetHighPass(double frequency, double slope, double q, EqFilterType type);
    void SetLowPass(double frequency, double slope, double q, EqFilterType type);
    void SetHighPass2(double frequency, double slope, double q, EqFilterType type);
    void SetLowPass2(double frequency, double slope, double q, EqFilterType type);
    void RecomputeAll(double startHz);
    void SumCurves();

    bool HasRecords() const { return records_ != nullptr; }
    const EqFilterRecord& Filter(int index) const { return (*records_)[static_cast<size_t>(index)]; }
    int HighPass() const { return highPass_; }
    int LowPass() const { return lowPass_; }
    int HighPass2() const { return highPass2_; }
    int LowPass2() const { return lowPass2_; }
    int BandCount() const { return bandCount_; }
    const Response& Curve1() const { return curve1_; }
    const Response& Curve2() const { return curve2_; }
    bool HasCurve2() const { return highPass2_ >= 0 || lowPass2_ >= 0; }
    int Current() const { return current_; }
    void SetCurrent(int index) { current_ = index; }
    double Peak() const { return peak_; }
    const FrequencyGrid& Grid() const { return grid_; }

    // The response of one record at every grid point, from its coefficients.
    static void ComputeResponse(EqFilterRecord& r, const FrequencyGrid& grid);
    static void ComputeCoefficients(EqFilterRecord& r);

private:
    void SetPass(int slot, int& index, EqFilterRole role, double frequency, double slope, double q,
                 EqFilterType type);
    void Recompute(EqFilterRecord& r);
    static void CopyInput(EqFilterRecord& r, const EqFilterInput& in);

    FrequencyGrid& grid_;
    // Allocated once by InitBands; a new model has none.
    std::unique_ptr<std::array<EqFilterRecord, kRecords>> records_;
    int highPass_ = -1, lowPass_ = -1, highPass2_ = -1, lowPass2_ = -1;
    int bandCount_ = 0;
    Response curve1_{};
    Response curve2_{};
    int current_ = -1;
    double peak_ = 0;
};

}  // namespace caraudio
