#include "ProcessingResponse.h"

#include <cmath>
#include <numbers>

#include "ChannelCurves.h"
#include "ParameterTable.h"
#include "ValueScales.h"

namespace caraudio::analysis {
namespace {

// Bands under this gain are not computed by the response model either.
constexpr double kAudibleGainDb = 0.01;
constexpr double kDeepestDivisor = 1e-3;  // -60 dB

std::complex<double> BiquadAt(const EqFilterRecord& r, const FrequencyGrid& grid, int i) {
    const std::complex<double> num(r.b0 + r.b1 * grid.Cos1(i) + r.b2 * grid.Cos2(i),
                                   -(r.b1 * grid.Sin1(i) + r.b2 * grid.Sin2(i)));
    const std::complex<double> den(r.a0 + r.a1 * grid.Cos1(i) + r.a2 * grid.Cos2(i),
                                   -(r.a1 * grid.Sin1(i) + r.a2 * grid.Sin2(i)));
    return num / den;
}

void MultiplyBiquad(ComplexResponse& out, const EqFilterRecord& r, const FrequencyGrid& grid) {
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) out[static_cast<size_t>(i)] *= BiquadAt(r, grid, i);
}

// The section to the power slope / -12, its phase unwrapped from the lowest
// grid point up so that a fractional power follows one branch.
void MultiplyPass(ComplexResponse& out, const EqFilterRecord& r, const FrequencyGrid& grid) {
    const double power = r.gain / -12;
    double unwrapped = 0, last = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const std::complex<double> h = BiquadAt(r, grid, i);
        const double phase = std::arg(h);
        if (i == 0) {
            unwrapped = phase;
        } else {
            double step = phase - last;
            step -= 2 * std::numbers::pi * std::round(step / (2 * std::numbers::pi));
            unwrapped += step;
        }
        last = phase;
        out[static_cast<size_t>(i)] *= std::polar(std::pow(std::abs(h), power), unwrapped * power);
    }
}

// The model computes a pass filter only when it is on and in range; one it
// draws nothing for plays nothing.
bool Drawn(const EqFilterRecord& r) {
    for (double db : r.response)
        if (db != 0) return true;
    return false;
}

bool Bit(const EffectBlock& image, int index, int channel) {
    return (image.Get(*FindParam(index)) >> channel & 1) != 0;
}

}  // namespace

ComplexResponse ProcessingResponse(const EffectBlock& image, int channel, ProcessingParts parts,
                                   const FrequencyGrid& grid) {
    ComplexResponse out = Unity();
    if (channel < 0 || channel >= kChannelCount) return out;
    const int volume = image.Get(*FindParam(param::Volume(channel)));
    if (parts.mute && (Bit(image, param::MuteCtrl, channel) || volume == 0)) {
        out.fill(0.0);
        return out;
    }
    if (parts.crossovers || parts.eq) {
        FrequencyGrid built = grid;  // the model keeps a grid it may build; this copy is built
        ChannelCurves curves(built);
        curves.RebuildChannel(channel, image);
        const EqCurveModel& model = curves.Model(channel);
        if (parts.eq)
            for (int b = 0; b < model.BandCount(); ++b)
                if (std::fabs(model.Filter(b).gain) >= kAudibleGainDb)
                    MultiplyBiquad(out, model.Filter(b), built);
        if (parts.crossovers)
            for (int index : {model.HighPass(), model.LowPass()})
                if (index >= 0 && Drawn(model.Filter(index))) MultiplyPass(out, model.Filter(index), built);
    }
    if (parts.levelPolarityDelay) {
        const double sign = Bit(image, param::PhaseCtrl, channel) ? -1.0 : 1.0;
        const double gain = std::pow(10.0, (volume + kMinVolumeDb) / 20.0);
        const double delaySamples = image.Get(*FindParam(param::Delay(channel)));
        for (int i = 0; i < FrequencyGrid::kPoints; ++i)
            out[static_cast<size_t>(i)] *= sign * std::polar(gain, -grid.W(i) * delaySamples);
    }
    return out;
}

ComplexResponse PlayedComplex(const PlayedSettings& played, const FrequencyGrid& grid) {
    switch (played.with) {
    case MeasuredWith::Flat:
        return Unity();
    case MeasuredWith::Crossovers:
        return ProcessingResponse(played.image, played.channel, {true, false, false, false}, grid);
    case MeasuredWith::Current:
        return ProcessingResponse(played.image, played.channel, {true, true, true, false}, grid);
    }
    return Unity();
}

ComplexResponse SpeakerAloneComplex(const ComplexResponse& measured, const ComplexResponse& played) {
    ComplexResponse out;
    for (size_t i = 0; i < out.size(); ++i) {
        std::complex<double> by = played[i];
        const double m = std::abs(by);
        if (m < kDeepestDivisor) by = m > 0 ? by * (kDeepestDivisor / m) : kDeepestDivisor;
        out[i] = measured[i] / by;
    }
    return out;
}

}  // namespace caraudio::analysis
